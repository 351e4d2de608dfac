#include "ui/port_icons.h"

#include "ui/bitmap_catalog.h"

#include <QPainter>

namespace rz {
namespace {

constexpr QRgb kMagentaKey = 0xFFFF00FF;

// A five-pin socket seen from the front.
void paintSocket(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(70, 70, 80));
    p.drawEllipse(r.adjusted(1, 1, -1, -1));
    p.setBrush(QColor(230, 230, 230));
    const QPointF c = r.center();
    for (const QPointF& pin : {QPointF(-4, 0), QPointF(4, 0), QPointF(-3, -3), QPointF(3, -3),
                               QPointF(0, -4)})
        p.drawEllipse(c + pin, 1, 1);
}

// A short keyboard.
void paintKeys(QPainter& p, const QRectF& r)
{
    p.setPen(QColor(20, 20, 20));
    p.setBrush(Qt::white);
    const QRectF body = r.adjusted(0, 3, -1, -2);
    p.drawRect(body);
    for (int k = 1; k < 4; ++k)
        p.drawLine(QPointF(body.left() + k * body.width() / 4, body.top()),
                   QPointF(body.left() + k * body.width() / 4, body.bottom()));
    p.setBrush(QColor(20, 20, 20));
    for (int k = 0; k < 3; ++k)
        p.drawRect(QRectF(body.left() + (k + 1) * body.width() / 4 - 1.5, body.top(), 3, 5));
}

// A chip with its legs.
void paintChip(QPainter& p, const QRectF& r)
{
    p.setPen(QColor(20, 20, 20));
    p.setBrush(QColor(40, 110, 60));
    const QRectF body = r.adjusted(3, 2, -3, -2);
    p.drawRect(body);
    for (int y = int(body.top()) + 2; y < int(body.bottom()); y += 3) {
        p.drawLine(QPointF(r.left(), y), QPointF(body.left(), y));
        p.drawLine(QPointF(body.right(), y), QPointF(r.right(), y));
    }
}

// A socket crossed out: the port is not there.
void paintMissing(QPainter& p, const QRectF& r)
{
    paintSocket(p, r);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(r.topLeft() + QPointF(2, 2), r.bottomRight() - QPointF(2, 2));
    p.drawLine(r.topRight() + QPointF(-2, 2), r.bottomLeft() + QPointF(2, -2));
}

} // namespace

QImage paintPortIcons()
{
    QImage strip(kPortIconWidth * kPortIconCount, kPortIconHeight, QImage::Format_RGB32);
    strip.fill(QColor::fromRgb(kMagentaKey));
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    using Paint = void (*)(QPainter&, const QRectF&);
    const Paint cells[kPortIconCount] = {nullptr, paintSocket, paintKeys, paintChip, paintMissing};
    for (int i = 0; i < kPortIconCount; ++i) {
        if (cells[i])
            cells[i](p, QRectF(i * kPortIconWidth, 0, kPortIconWidth - 1, kPortIconHeight - 1));
    }
    return strip;
}

QPixmap portIcon(int index)
{
    if (index < 0 || index >= kPortIconCount)
        return {};
    const QImage cell = BitmapCatalog::image(bitmap_id::kPortIcons)
                            .copy(index * kPortIconWidth, 0, kPortIconWidth, kPortIconHeight);
    QImage keyed = cell.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y)
        for (int x = 0; x < keyed.width(); ++x)
            if (keyed.pixel(x, y) == kMagentaKey)
                keyed.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(keyed);
}

} // namespace rz
