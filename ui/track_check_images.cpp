#include "ui/track_check_images.h"

#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"

#include <QPainter>
#include <QPainterPath>

namespace rz {
namespace {

void drawTrackCheck(QPainter& painter, QRectF box, const QColor& colour, qreal width)
{
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.15, box.top() + box.height() * 0.50);
    path.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.78);
    path.lineTo(box.left() + box.width() * 0.88, box.top() + box.height() * 0.18);
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

} // namespace

QImage paintTrackChecks()
{
    QImage strip(kTrackCheckSize * kTrackCheckCount, kTrackCheckSize, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    const QColor colours[kTrackCheckCount] = {Qt::transparent, Qt::black, QColor(0x80, 0x80, 0x80),
                                              fromColorRef(0xC00000)};
    for (int i = 1; i < kTrackCheckCount; ++i)
        drawTrackCheck(painter, QRectF(i * kTrackCheckSize, 0, kTrackCheckSize, kTrackCheckSize), colours[i], 2.0);
    return strip;
}

QImage paintTrackInHeader()
{
    QImage image(12, 12, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(fromColorRef(0x0EF0FF), 1));
    painter.drawRect(QRectF(0.5, 0.5, 11, 11));
    drawTrackCheck(painter, QRectF(1, 1, 10, 10), fromColorRef(0x0EF0FF), 1.6);
    return image;
}

QImage trackCheck(int index)
{
    if (index < 0 || index >= kTrackCheckCount)
        return QImage();
    return BitmapCatalog::image(bitmap_id::kTrackChecks)
        .copy(index * kTrackCheckSize, 0, kTrackCheckSize, kTrackCheckSize);
}

} // namespace rz
