#include "ui/cue_images.h"

#include <QPainter>

#include <algorithm>
#include <iterator>

namespace rz {

// The set pane draws its item images in these colours too.
QColor cueImageColor(int image)
{
    static const QColor kColors[] = {
        QColor(90, 90, 90),   QColor(40, 90, 200),  QColor(230, 200, 40), QColor(60, 170, 80),
        QColor(220, 120, 40), QColor(180, 60, 170), QColor(60, 180, 190), QColor(200, 60, 60),
        QColor(120, 120, 220), QColor(150, 110, 60), QColor(90, 160, 200), QColor(70, 140, 70),
        QColor(160, 160, 160), QColor(90, 120, 180), QColor(150, 150, 190), QColor(200, 170, 90),
        QColor(170, 170, 200)};
    return kColors[size_t(std::clamp(image, 0, int(std::size(kColors)) - 1))];
}

void drawCueImage(QPainter& painter, QPoint topLeft, int image)
{
    painter.save();
    painter.setPen(QColor(0, 0, 0));
    painter.setBrush(cueImageColor(image));
    painter.drawRect(QRect(topLeft, QSize(kCueImageSize, kCueImageSize)).adjusted(2, 2, -3, -3));
    painter.restore();
}

} // namespace rz
