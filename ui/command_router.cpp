#include "ui/command_router.h"

#include "ui/gui_thread.h"

namespace rz {

void CommandRouter::clearFocusedTopLevel(CommandTarget* window)
{
    if (m_focusedTopLevel == window)
        m_focusedTopLevel = nullptr;
}

void CommandRouter::setApplication(CommandTarget* application)
{
    m_application.clear();
    if (application)
        m_application.push_back(application);
}

void CommandRouter::setActiveView(CommandTarget* view, CommandTarget* document)
{
    m_activeView = view;
    m_document = document;
}

std::vector<CommandTarget*> CommandRouter::chain() const
{
    std::vector<CommandTarget*> targets;
    for (CommandTarget* t : {m_focusedTopLevel, m_activeView, m_document, m_mainFrame})
        if (t)
            targets.push_back(t);
    targets.insert(targets.end(), m_application.begin(), m_application.end());
    return targets;
}

CmdUi CommandRouter::update(CommandId id) const
{
    const std::vector<CommandTarget*> targets = chain();
    CmdUi ui;
    for (CommandTarget* target : targets)
        if (target->update(id, ui))
            return ui;
    ui.enabled = false;
    for (CommandTarget* target : targets)
        if (target->hasHandler(id))
            ui.enabled = true;
    return ui;
}

bool CommandRouter::execute(CommandId id)
{
    RZ_ASSERT_GUI_THREAD();
    if (!update(id).enabled)
        return false;
    bool handled = false;
    for (CommandTarget* target : chain()) {
        if (target->handle(id)) {
            handled = true;
            break;
        }
    }
    if (handled)
        for (const auto& listener : m_executedListeners)
            listener(id);
    return handled;
}

void CommandRouter::addExecutedListener(std::function<void(CommandId)> listener)
{
    m_executedListeners.push_back(std::move(listener));
}

} // namespace rz
