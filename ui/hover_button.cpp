#include "ui/hover_button.h"

#include "ui/bitmap_catalog.h"
#include "ui/gui_thread.h"
#include "ui/resource_cursors.h"
#include "ui/status_prompt.h"

#include <QMouseEvent>
#include <QPainter>

namespace rz {

HoverButton::HoverButton(uint32_t ctrlId, int normalId, int pressedId, QWidget* parent,
                         int focusedId, int disabledId)
    : QWidget(parent), m_ctrlId(ctrlId), m_normal(BitmapCatalog::image(normalId)),
      m_pressedImage(BitmapCatalog::image(pressedId)), m_focused(BitmapCatalog::image(focusedId)),
      m_disabled(BitmapCatalog::image(disabledId))
{
    resize(m_normal.size());
    setMouseTracking(true);
    updateCursor();
}

const QImage& HoverButton::shownImage() const
{
    if (!isEnabled() && !m_disabled.isNull())
        return m_disabled;
    if (m_pressed && !m_pressedImage.isNull())
        return m_pressedImage;
    if (hasFocus() && !m_focused.isNull())
        return m_focused;
    return m_normal;
}

void HoverButton::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    painter.drawImage(0, 0, shownImage());
}

void HoverButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    update();
    emit command(m_ctrlId);
}

// Qt delivers the second click of a double click as a press first, which
// has fired already.
void HoverButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void HoverButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    update();
}

void HoverButton::mouseMoveEvent(QMouseEvent*)
{
    if (m_tracking)
        return;
    m_tracking = true;
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(m_ctrlId);
}

void HoverButton::leaveEvent(QEvent*)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(kIdlePromptId);
}

void HoverButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        updateCursor();
    QWidget::changeEvent(event);
}

void HoverButton::updateCursor()
{
    if (isEnabled())
        setCursor(resourceCursor(kCursorHand));
    else
        unsetCursor();
}

} // namespace rz
