#pragma once

#include "core/color.h"

class QPainter;
class QRect;

namespace rz {

// A one-pixel frame just inside `rect`: the top and left edges in
// `topLeft`, the bottom and right edges in `bottomRight`. GUI thread.
void draw3dRect(QPainter& painter, const QRect& rect, Color topLeft, Color bottomRight);

} // namespace rz
