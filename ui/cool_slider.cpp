#include "ui/cool_slider.h"

#include "ui/color_ref.h"
#include "ui/frame_3d.h"
#include "ui/gui_thread.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kBackground = 0x303030;
constexpr Color kGrip = 0x808080;
constexpr int kMargin = 5; // pixels of background around the bar

bool hasValue(int32_t value)
{
    return value >= 0 && value <= CoolSlider::kMaxValue;
}

} // namespace

CoolSlider::CoolSlider(QWidget* parent, int ctrlId, int32_t value)
    : QWidget(parent), m_ctrlId(ctrlId)
{
    setWindowTitle(QStringLiteral("CoolSlider"));
    layoutThumb();
    setPos(value);
}

Color CoolSlider::bodyColor(int32_t v)
{
    if (!hasValue(v))
        return makeColor(128, 128, 128);
    if (v < 64)
        return makeColor(24 + 215 * v / 63, 158 + 73 * v / 63, 8 + 41 * v / 63);
    const int32_t d = 64 - v;
    return makeColor(239, 231 + 207 * d / 63, 49 + 33 * d / 63);
}

void CoolSlider::setPos(int32_t value)
{
    m_value = value;
    layoutThumb();
    update();
    if (QWidget* parent = parentWidget(); parent && !m_valueArea.isEmpty())
        parent->update(m_valueArea);
}

void CoolSlider::resizeEvent(QResizeEvent*)
{
    m_thumbOffset = 1;
    layoutThumb();
}

// A square or nearly square slider has no travel: its thumb sits at the
// start and the value cannot be dragged.
void CoolSlider::layoutThumb()
{
    const int w = width();
    const int h = height();
    m_horizontal = w > h;
    m_thumbSize = m_horizontal ? h : w;
    m_travel = m_horizontal ? w - h - 1 : h - w - 1;
    setCursor(m_horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    const int travel = std::max(m_travel, 0);
    const int32_t shown = std::clamp<int32_t>(m_value, 0, kMaxValue);
    const int step = int(int64_t(shown) * travel / kMaxValue);
    if (m_horizontal)
        m_thumb = QRect(1 + step, 0, m_thumbSize, h);
    else
        m_thumb = QRect(0, (h - w) - step, w, m_thumbSize);
}

void CoolSlider::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    painter.fillRect(rect(), fromColorRef(kBackground));
    const Color body = bodyColor(m_value);
    QRect bar = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    painter.fillRect(bar, fromColorRef(body));
    for (int16_t level : {int16_t(30), int16_t(60), int16_t(90)}) {
        draw3dRect(painter, bar, ShadeColor(body, level), body);
        bar.adjust(1, 1, 0, 0);
    }
    if (hasValue(m_value))
        paintGrip(painter);
}

void CoolSlider::paintGrip(QPainter& painter) const
{
    painter.fillRect(m_thumb, fromColorRef(kGrip));
    draw3dRect(painter, m_thumb, 0xFFFFFF, 0x000000);
    const QRect inner = m_thumb.adjusted(1, 1, -1, -1);
    draw3dRect(painter, inner, ShadeColor(kGrip, 180), ShadeColor(kGrip, 60));
    draw3dRect(painter, inner.adjusted(1, 1, -1, -1), ShadeColor(kGrip, 150), ShadeColor(kGrip, 90));
    // Two ridges across the grip, 4 pixels apart.
    const QPoint c = m_thumb.center();
    for (int shift : {-3, 3}) {
        const QRect ridge = m_horizontal
                                ? QRect(c.x() + shift - 1, m_thumb.top() + 3, 2, m_thumb.height() - 7)
                                : QRect(m_thumb.left() + 3, c.y() + shift - 1, m_thumb.width() - 7, 2);
        painter.fillRect(ridge, Qt::black);
    }
}

void CoolSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_travel < 1)
        return;
    m_dragging = true;
    dragTo(event->position().toPoint());
}

void CoolSlider::dragTo(QPoint mouse)
{
    const int along = m_horizontal ? mouse.x() : mouse.y();
    const int edge = std::clamp(along - m_thumbSize / 2, m_thumbOffset, m_thumbOffset + m_travel);
    const int64_t steps = m_horizontal ? edge - m_thumbOffset : m_travel - edge + m_thumbOffset;
    const int32_t value = int32_t(steps * kMaxValue / m_travel);
    m_lastChange = int32_t(int64_t(value) - m_value);
    m_value = value;
    layoutThumb();
    repaint();
    emit dragStep();
}

void CoolSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && m_travel >= 1)
        dragTo(event->position().toPoint());
}

void CoolSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_dragging = false;
    repaint();
    emit dragEnd();
}

} // namespace rz
