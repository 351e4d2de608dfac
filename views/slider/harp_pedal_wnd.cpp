#include "views/slider/harp_pedal_wnd.h"

#include "ui/font_substitutions.h"
#include "ui/gui_thread.h"
#include "ui/resource_cursors.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace harp_pedals {
namespace {

constexpr uint32_t kPedalBits = 3;

// Flat draws a row up, sharp a row down.
int rowsDown(Position position)
{
    return position == kFlat ? -1 : position == kSharp ? 1 : 0;
}

} // namespace

Position positionOf(uint32_t state, int pitchClass)
{
    return Position(state >> (2 * pitchClass) & kPedalBits);
}

uint32_t withPosition(uint32_t state, int pitchClass, Position position)
{
    const int shift = 2 * pitchClass;
    return (state & ~(kPedalBits << shift)) | uint32_t(position) << shift;
}

Geometry::Geometry(QSize size)
    : unit(size.width() / 10), row(size.height() / 6), left((size.width() - 8 * (size.width() / 10)) / 2)
{
}

QRect Geometry::bar(int slot, Position position) const
{
    const int width = unit / 8;
    return QRect(left + slot * unit + (unit - width) / 2, (rowsDown(position) + 2) * row - row / 2, width, row);
}

QRect Geometry::box(int slot, Position position) const
{
    return QRect(left + slot * unit, (2 * (rowsDown(position) + 1) + 1) * row / 2, unit, row);
}

QPointF Geometry::letterCentre(int slot) const
{
    return QPointF(left + unit / 2 + slot * unit, 9 * row / 2);
}

QPointF Geometry::accidentalAnchor(int slot) const
{
    const int barRight = bar(slot, kNatural).right() + 1;
    const int slotRight = left + (slot + 1) * unit;
    return QPointF((barRight + slotRight) / 2.0, 5 * row / 2);
}

std::optional<Hit> hitTest(QSize size, QPoint point)
{
    const Geometry g(size);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (kSlotPitchClass[size_t(slot)] < 0)
            continue;
        for (const Position position : {kFlat, kNatural, kSharp})
            if (g.box(slot, position).contains(point))
                return Hit{slot, position};
    }
    return std::nullopt;
}

} // namespace harp_pedals

namespace {

void paintTextAccidental(QPainter& painter, QPointF at, int height, bool sharp)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(height, 1));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QString sign = sharp ? QStringLiteral("\u266F") : QStringLiteral("\u266D");
    painter.drawText(QPointF(at.x() - metrics.horizontalAdvance(sign) / 2.0, at.y() + metrics.ascent()), sign);
}

} // namespace

HarpPedalWnd::HarpPedalWnd(QWidget* parent) : QWidget(parent), m_accidental(paintTextAccidental)
{
    setObjectName(QStringLiteral("pedal wnd"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HarpPedalWnd::setAccidentalPainter(AccidentalPainter painter)
{
    m_accidental = painter ? std::move(painter) : AccidentalPainter(paintTextAccidental);
}

void HarpPedalWnd::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    using namespace harp_pedals;
    const Geometry g(size());
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(g.left, 2 * g.row, g.left + 8 * g.unit, 2 * g.row);
    const int divider = g.left + g.unit / 2 + 3 * g.unit;
    painter.drawLine(divider, g.row, divider, 3 * g.row);
    const QFont letterFont = programFont(QStringLiteral("Verdana"), -(height() / 8));
    for (int slot = 0; slot < kSlots; ++slot) {
        const int pitchClass = kSlotPitchClass[size_t(slot)];
        if (pitchClass < 0)
            continue;
        const Position position = positionOf(m_state, pitchClass);
        painter.fillRect(g.bar(slot, position), Qt::black);
        const QPointF centre = g.letterCentre(slot);
        painter.setFont(letterFont);
        painter.setPen(Qt::black);
        const QRectF around(centre.x() - g.unit, centre.y() - height() / 8.0, 2.0 * g.unit, height() / 4.0);
        const QString letter = QString::fromLatin1(kSlotLetter[size_t(slot)]);
        painter.drawText(around, Qt::AlignCenter | Qt::TextDontClip, letter);
        if (position != kNatural)
            m_accidental(painter, g.accidentalAnchor(slot), height() / 4, position == kSharp);
    }
}

void HarpPedalWnd::mousePressEvent(QMouseEvent* event)
{
    using namespace harp_pedals;
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<Hit> hit = hitTest(size(), event->position().toPoint())) {
        m_state = withPosition(m_state, kSlotPitchClass[size_t(hit->slot)], hit->position);
        update();
    }
}

void HarpPedalWnd::mouseMoveEvent(QMouseEvent* event)
{
    using namespace harp_pedals;
    if (hitTest(size(), event->position().toPoint()))
        setCursor(resourceCursor(kCursorHand));
    else
        setCursor(Qt::ArrowCursor);
}

} // namespace rz
