#include "staff/symbols/staff_marks.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rz {
namespace {

constexpr uint8_t kNoDiagram = 0x86;
constexpr int kOpen = 5;
constexpr int kMuted = 6;

int shownOf(uint8_t b) { return b & 7; }
int fretOf(uint8_t b) { return (b >> 3) & 15; }

// The string above `k` that the same finger stops, when `k` is that finger's
// lowest string: the two are joined by a barre.
int barreEnd(const std::array<uint8_t, 6>& bytes, int k)
{
    const int finger = shownOf(bytes[size_t(k)]);
    for (int lower = 0; lower < k; ++lower)
        if (shownOf(bytes[size_t(lower)]) == finger)
            return -1;
    for (int higher = 5; higher > k; --higher)
        if (shownOf(bytes[size_t(higher)]) == finger)
            return higher;
    return -1;
}

// An arc over the strings between the dot at `from` and the point `to`, in
// an ellipse box one fret space above and below them.
void drawBarre(QPainter& painter, QPointF from, QPointF to, qreal fretSpace)
{
    const QRectF box(QPointF(from.x(), std::min(from.y(), to.y()) - fretSpace),
                     QPointF(to.x(), std::max(from.y(), to.y()) + fretSpace));
    if (box.width() <= 0)
        return;
    const auto angle = [&](QPointF p) {
        const QPointF c = box.center();
        return std::atan2(-(p.y() - c.y()) / (box.height() / 2), (p.x() - c.x()) / (box.width() / 2))
               * 180 / std::numbers::pi;
    };
    const qreal start = angle(to);
    qreal sweep = angle(from) - start;
    if (sweep < 0)
        sweep += 360;
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

QFont sized(QFont font, int pixels)
{
    font.setPixelSize(std::max(pixels, 7));
    return font;
}

} // namespace

int DrawStaffMarks(QPainter& painter, QRect rect, const std::array<uint8_t, 6>& bytes,
                   const QString& name, int progress, const QFont& chordFont)
{
    const int w = rect.width();
    const int h = rect.height();
    if (w <= 0 || h <= 0)
        return 0;
    painter.save();
    const QColor ink = progress >= 5 ? QColor(Qt::red) : QColor(Qt::black);
    painter.setFont(sized(chordFont, 2 * h / 5));
    painter.setPen(ink);
    if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == kNoDiagram; })) {
        painter.drawText(QRect(QPoint(rect.left(), rect.bottom() - 9 * h / 20), rect.bottomRight()),
                         Qt::AlignCenter | Qt::TextDontClip, name);
        painter.restore();
        return 0;
    }
    painter.drawText(QRect(QPoint(rect.left(), rect.top() - 13 * h / 20), QPoint(rect.right(), rect.top())),
                     Qt::AlignCenter | Qt::TextDontClip, name);
    for (int k = 0; k <= 4; ++k)
        painter.drawLine(rect.left(), rect.top() + k * h / 4, rect.right() + 1, rect.top() + k * h / 4);
    int low = 99, high = -1, lowestFinger = -1;
    for (size_t s = 0; s < bytes.size(); ++s)
        if (shownOf(bytes[s]) <= 4) {
            low = std::min(low, fretOf(bytes[s]));
            high = std::max(high, fretOf(bytes[s]));
            if (lowestFinger < 0 || shownOf(bytes[s]) < shownOf(bytes[size_t(lowestFinger)]))
                lowestFinger = int(s);
        }
    const int base = high < 4 ? 0 : low;
    const int mark = std::max(2, w / 12);
    const int dot = std::max(2, w / 10);
    for (int k = 0; k < 6; ++k) {
        const uint8_t b = bytes[size_t(k)];
        const int shown = shownOf(b);
        const int x = rect.left() + k * w / 5;
        const bool sounded = progress >= 5 || (shown < 6 && k <= progress);
        const QColor colour = sounded ? QColor(Qt::red) : QColor(Qt::black);
        painter.setPen(colour);
        painter.drawLine(x, rect.top(), x, rect.bottom() + h / 15);
        const QPoint above(x, rect.top() - w / 9);
        if (shown == kOpen) {
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(above, mark, mark);
        } else if (shown == kMuted) {
            painter.drawLine(above + QPoint(-mark, -mark), above + QPoint(mark, mark));
            painter.drawLine(above + QPoint(-mark, mark), above + QPoint(mark, -mark));
        } else if (shown <= 4) {
            const QPoint centre(x, rect.top() + std::max(fretOf(b) - base, 0) * h / 4 + h / 8);
            painter.setBrush(colour);
            painter.drawEllipse(centre, dot, dot);
            if (const int end = barreEnd(bytes, k); end >= 0) {
                const int fret = std::max(fretOf(bytes[size_t(end)]) - base, 0);
                drawBarre(painter, centre,
                          QPointF(rect.left() + end * w / 5, rect.top() + fret * h / 4 + h / 10), h / 4.0);
            }
            if (h >= 100) {
                painter.setPen(Qt::white);
                painter.setFont(sized(chordFont, h / 10));
                painter.drawText(QRect(centre - QPoint(dot, dot), centre + QPoint(dot, dot)),
                                 Qt::AlignCenter, QString::number(shown + 1));
            }
        }
    }
    if (base == 0 || lowestFinger < 0) {
        painter.fillRect(QRect(rect.left(), rect.top() - std::max(h / 40, 1), w + 1, std::max(h / 40, 1)), ink);
    } else {
        painter.setPen(ink);
        painter.setFont(sized(chordFont, 7 * h / 20));
        const int fret = fretOf(bytes[size_t(lowestFinger)]) - base;
        painter.drawText(QRect(rect.right() + w / 6, rect.top() + fret * h / 4, w, h / 4),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, QString::number(base + 1));
    }
    painter.restore();
    return base == 0 || lowestFinger < 0 ? 0 : base;
}

} // namespace rz
