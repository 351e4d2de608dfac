#include "ui/color_ref.h"

#include "ui/gui_thread.h"

#include <QImage>
#include <QPainter>
#include <QPoint>

namespace rz {

QColor fromColorRef(Color color)
{
    return QColor(colorRed(color), colorGreen(color), colorBlue(color));
}

Color toColorRef(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return makeColor(uint32_t(rgb.red()), uint32_t(rgb.green()), uint32_t(rgb.blue()));
}

void DrawTransparentBitmap(QPainter& painter, const QImage& image, const QPoint& topLeft,
                           Color key)
{
    RZ_ASSERT_GUI_THREAD();
    if (image.isNull())
        return;
    // scanLine() below detaches the copy, so the caller's image stays as it was.
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = qRgb(colorRed(key), colorGreen(key), colorBlue(key)) & RGB_MASK;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if ((line[x] & RGB_MASK) == keyRgb)
                line[x] = 0;
    }
    painter.drawImage(topLeft, masked);
}

} // namespace rz
