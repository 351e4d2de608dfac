#include "ui/frame_3d.h"

#include "ui/color_ref.h"

#include <QPainter>
#include <QRect>

namespace rz {

void draw3dRect(QPainter& painter, const QRect& rect, Color topLeft, Color bottomRight)
{
    if (rect.width() < 1 || rect.height() < 1)
        return;
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    painter.fillRect(x, y, w - 1, 1, fromColorRef(topLeft));
    painter.fillRect(x, y, 1, h - 1, fromColorRef(topLeft));
    painter.fillRect(x + w - 1, y, 1, h, fromColorRef(bottomRight));
    painter.fillRect(x, y + h - 1, w, 1, fromColorRef(bottomRight));
}

} // namespace rz
