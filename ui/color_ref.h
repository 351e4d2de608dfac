#pragma once

#include "core/color.h"

#include <QColor>

class QImage;
class QPainter;
class QPoint;

namespace rz {

// Colour references are 0x00BBGGRR; the top byte is ignored.
QColor fromColorRef(Color color);
// The alpha channel is dropped.
Color toColorRef(const QColor& color);

// Draws the whole image at `topLeft`, leaving the target as it was wherever a
// pixel is exactly `key` (alpha ignored). `image` is not changed.
// GUI thread.
void DrawTransparentBitmap(QPainter& painter, const QImage& image, const QPoint& topLeft,
                           Color key);

} // namespace rz
