#pragma once
// Prompts (IStatusPrompt) and the set (ISetDocumentHost) reach the main
// window's status line and performance lock through it; App builds it.

#include "set/set_document.h"
#include "ui/status_prompt.h"

#include <QString>

#include <functional>
#include <string_view>

namespace rz {

class DisplayOptions;
class MainFrame;

struct StatusLineSeams {
    DisplayOptions& display;
    std::function<MainFrame*()> frame;        // null before start-up and after close
    std::function<void()> lockPerformance;    // performance mode on, the tool bar's button down
};

// The main window's status line: the prompt shown, the song's status text,
// the set's progress and the clock. The set's performance lock is the tool
// bar's button. GUI thread.
class StatusLine : public IStatusPrompt, public ISetDocumentHost {
public:
    explicit StatusLine(StatusLineSeams seams) : m_seams(std::move(seams)) {}

    // IStatusPrompt: the frame keeps the prompt shown.
    void setPromptId(uint32_t id) override;
    void clearStatusText() override;
    uint32_t promptId() const;
    // The second pane's text; `index` names any pane.
    void setText(std::string_view text);
    void setPane(int index, const QString& text);

    // ISetDocumentHost.
    void showSetProgress(std::string_view prompt, std::string_view text) override;
    void endSetProgress() override;
    bool performanceLocked() const override;
    void lockPerformance() override { m_seams.lockPerformance(); }

private:
    StatusLineSeams m_seams;
};

} // namespace rz
