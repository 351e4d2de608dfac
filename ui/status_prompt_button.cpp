#include "ui/status_prompt_button.h"

#include "ui/status_prompt.h"

#include <QContextMenuEvent>
#include <QMouseEvent>

namespace rz {

StatusPromptButton::StatusPromptButton(uint32_t ctrlId, const QString& text, QWidget* parent)
    : QPushButton(text, parent), m_ctrlId(ctrlId)
{
    setMouseTracking(true);
}

void StatusPromptButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    setDown(true);
    emit command(m_ctrlId);
}

// The second press of a double click already came as a press.
void StatusPromptButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void StatusPromptButton::mouseReleaseEvent(QMouseEvent* event)
{
    setDown(false);
    event->accept();
}

void StatusPromptButton::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (m_hover)
        return;
    m_hover = true;
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(m_ctrlId);
}

void StatusPromptButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    if (!m_hover)
        return;
    m_hover = false;
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(kIdlePromptId);
}

void StatusPromptButton::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

} // namespace rz
