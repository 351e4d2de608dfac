#pragma once

#include <QPointF>
#include <QRectF>

class QPainter;

namespace rz {

class MusicFont;

// The marks an expression number 0..12 shows: "f", "ff", "fp", "fz", "fff",
// "mp", "mf", "p", "pp", "ppp", "sf", "sfz", and the trill for 12.
const char* dynamicMarkLetters(int index);
inline constexpr int kHighestDynamic = 12;

// Ink bounds of a dynamic mark with its baseline origin at (0, 0), and the
// mark drawn there, in the music font at pixel size P. The letters come
// from the music font's own dynamics face; without it nothing is drawn.
QRectF dynamicMarkBounds(const MusicFont& font, int index, int pixelSize);
void drawDynamicMark(QPainter& painter, const MusicFont& font, int index, QPointF origin,
                     int pixelSize);

} // namespace rz
