#pragma once

#include <QPoint>
#include <QSize>
#include <Qt>

namespace rz {

// Where a point of the main window lies, for moving and resizing it.
enum class FrameZone { Outside, Client, Caption, Right, Bottom, BottomRight };

// Pixels.
inline constexpr int kCaptionHitHeight = 32;
inline constexpr int kResizeEdge = 5;
inline constexpr int kResizeCorner = 30; // (right - x) + (bottom - y) below this

// The zone of `point` (window pixels) in a window of `size`. The resize
// zones exist only while the window is not maximised.
FrameZone frameHitTest(QSize size, QPoint point, bool maximised);

// The cursor a zone shows; `moving` while a move or resize is running.
Qt::CursorShape frameZoneCursor(FrameZone zone, bool maximised, bool moving);

} // namespace rz
