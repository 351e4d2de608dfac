// The main window's status line and the set's view of it. GUI thread.

#include "app/status_line.h"

#include "app/display_options.h"
#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "app/qt_text.h"

namespace rz {

void StatusLine::setPromptId(uint32_t id)
{
    if (MainFrame* frame = m_seams.frame())
        frame->setPromptId(id);
}

void StatusLine::clearStatusText()
{
    if (MainFrame* frame = m_seams.frame())
        frame->clearStatusText();
}

uint32_t StatusLine::promptId() const
{
    const MainFrame* frame = m_seams.frame();
    return frame ? frame->promptId() : 0;
}

void StatusLine::setText(std::string_view text)
{
    setPane(1, qText(text));
}

void StatusLine::setPane(int index, const QString& text)
{
    if (MainFrame* frame = m_seams.frame())
        frame->statusBar()->setPartText(index, text);
}

void StatusLine::showSetProgress(std::string_view prompt, std::string_view text)
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    setPane(0, qText(prompt));
    setPane(1, qText(text));
    frame->repaint();
}

void StatusLine::endSetProgress()
{
    setPromptId(m_seams.display.performanceMode() ? kPerformanceIdlePromptId : kIdlePromptId);
    setPane(1, QString());
}

bool StatusLine::performanceLocked() const
{
    const MainFrame* frame = m_seams.frame();
    return frame && frame->toolBar()->isPressed();
}

} // namespace rz
