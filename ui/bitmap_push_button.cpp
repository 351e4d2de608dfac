#include "ui/bitmap_push_button.h"

#include "ui/color_ref.h"
#include "ui/gui_thread.h"
#include "ui/resource_cursors.h"
#include "ui/status_prompt.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kTransparentKey = 0xFF00FF;

int& hoveredButtons()
{
    static int count = 0;
    return count;
}

} // namespace

BitmapPushButton::BitmapPushButton(int bitmapId, QPoint topLeft, QWidget* parent,
                                   uint32_t command, int options)
    : QWidget(parent), m_command(command), m_options(options), m_bitmapId(bitmapId),
      m_strip(BitmapCatalog::image(bitmapId))
{
    setGeometry(topLeft.x(), topLeft.y(), m_strip.width() / kButtonFrames, m_strip.height());
    setMouseTracking(true);
    if (m_options & kTransparent)
        setAttribute(Qt::WA_TranslucentBackground);
    m_repeat.setInterval(kRepeatMs);
    connect(&m_repeat, &QTimer::timeout, this, &BitmapPushButton::tick);
    updateCursor();
}

BitmapPushButton::~BitmapPushButton()
{
    // A hovered button that goes away must not keep the idle prompt away.
    if (m_hover)
        hoveredButtons() = std::max(0, hoveredButtons() - 1);
}

int BitmapPushButton::hoverCount()
{
    return hoveredButtons();
}

void BitmapPushButton::setPressed(bool pressed)
{
    if (m_latched == pressed)
        return;
    m_latched = pressed;
    updateCursor();
    update();
}

void BitmapPushButton::setBitmap(int bitmapId, uint32_t command)
{
    m_command = command;
    m_bitmapId = bitmapId;
    m_strip = BitmapCatalog::image(bitmapId);
    repaint();
}

ButtonFrame BitmapPushButton::currentFrame() const
{
    if (!isEnabled())
        return ButtonFrame::Disabled;
    if (m_latched || (m_hover && m_downInside))
        return ButtonFrame::Pressed;
    if (m_hover && !m_mouseDown)
        return ButtonFrame::Hover;
    return ButtonFrame::Normal;
}

void BitmapPushButton::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    const int frameWidth = m_strip.width() / kButtonFrames;
    const QPoint origin(-frameWidth * int(currentFrame()), 0);
    if (m_options & kTransparent)
        DrawTransparentBitmap(painter, m_strip, origin, kTransparentKey);
    else
        painter.drawImage(origin, m_strip);
}

void BitmapPushButton::notifyParent()
{
    if ((m_command & 0xFFFF) == kSystemCommandWord)
        emit systemCommand(uint16_t(m_command >> 16));
    else
        emit command(m_command);
}

void BitmapPushButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_options & kLatch) {
        if (!m_latched) {
            setPressed(true);
            notifyParent();
        }
        return;
    }
    if (m_mouseDown)
        return;
    m_mouseDown = true;
    m_downInside = true;
    update();
    if (m_options & kRepeat) {
        m_countdown = kRepeatDelayTicks;
        m_repeat.start();
        notifyParent();
    }
}

// Qt sends the second click of a double click as a press before this event.
void BitmapPushButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void BitmapPushButton::tick()
{
    if (!m_downInside)
        return;
    if (m_countdown > 0) {
        --m_countdown;
        return;
    }
    notifyParent();
}

void BitmapPushButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_mouseDown)
        return;
    m_mouseDown = false;
    m_repeat.stop();
    const bool fire = m_downInside && rect().contains(event->position().toPoint());
    if (!m_downInside) {
        update();
        return;
    }
    m_downInside = false;
    leaveHover();
    update();
    if (fire && !(m_options & kRepeat))
        notifyParent();
}

void BitmapPushButton::mouseMoveEvent(QMouseEvent* event)
{
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->clearStatusText();
    if (!m_hover) {
        enterHover();
        return;
    }
    const bool inside = m_mouseDown && rect().contains(event->position().toPoint());
    if (inside != m_downInside) {
        m_downInside = inside;
        update();
    }
}

void BitmapPushButton::enterHover()
{
    ++hoveredButtons();
    m_hover = true;
    update();
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(m_command);
}

void BitmapPushButton::leaveHover()
{
    if (!m_hover)
        return;
    m_hover = false;
    hoveredButtons() = std::max(0, hoveredButtons() - 1);
    update();
    if (hoveredButtons() == 0)
        if (IStatusPrompt* prompt = mainStatusPrompt())
            prompt->setPromptId(kIdlePromptId);
}

void BitmapPushButton::leaveEvent(QEvent*)
{
    leaveHover();
}

void BitmapPushButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_mouseDown = false;
        m_downInside = false;
        m_repeat.stop();
        leaveHover();
    }
    QWidget::changeEvent(event);
}

void BitmapPushButton::updateCursor()
{
    setCursor(m_latched ? Qt::ArrowCursor : resourceCursor(kCursorHand));
}

} // namespace rz
