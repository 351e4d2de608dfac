#pragma once

#include <QColor>
#include <QPoint>

class QPainter;

namespace rz {

// The set tree's 16 x 16 item images, drawn (the program carries no image
// strip for them): image kind + 2 is a cue kind's marker. GUI thread.
inline constexpr int kCueImageSize = 16;
inline constexpr int kCueImageOfKind0 = 2;

QColor cueImageColor(int image);
// Draws image `image` with its top-left corner at `topLeft`.
void drawCueImage(QPainter& painter, QPoint topLeft, int image);

} // namespace rz
