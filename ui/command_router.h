#pragma once

#include "ui/command_target.h"

#include <functional>
#include <vector>

namespace rz {

// Routes a command along: the focused torn-off window, the active view, the
// active view's song document, the main frame, the application's targets. A command
// runs only when its update says it is enabled, whatever its source (menu,
// key, tool bar, external control). GUI thread. Targets must be cleared
// here before they are destroyed.
class CommandRouter {
public:
    // A torn-off lyric, staff or track window that has the focus.
    void setFocusedTopLevel(CommandTarget* window) { m_focusedTopLevel = window; }
    // Clears the focused window only when it is `window`.
    void clearFocusedTopLevel(CommandTarget* window);
    CommandTarget* focusedTopLevel() const { return m_focusedTopLevel; }

    void setActiveView(CommandTarget* view, CommandTarget* document);
    // Changes the active view and leaves the document target alone.
    void setActiveView(CommandTarget* view) { m_activeView = view; }
    CommandTarget* activeView() const { return m_activeView; }
    // The current song's commands, routed whether or not a view is active.
    void setDocument(CommandTarget* document) { m_document = document; }
    void setMainFrame(CommandTarget* frame) { m_mainFrame = frame; }
    // The application's command targets, asked in this order; none may
    // claim a command another one claims.
    void setApplication(std::vector<CommandTarget*> targets) { m_application = std::move(targets); }
    void setApplication(CommandTarget* application);

    // The first target with an update row decides; without one anywhere a
    // handler means enabled and no handler means disabled.
    CmdUi update(CommandId id) const;
    // Runs the first handler that accepts, only when update() says enabled.
    // True when a handler ran and accepted the command.
    bool execute(CommandId id);

    // Called after every execute() that ran a handler (menus and buttons
    // refresh their state then).
    void addExecutedListener(std::function<void(CommandId)> listener);

private:
    std::vector<CommandTarget*> chain() const;

    CommandTarget* m_focusedTopLevel = nullptr;
    CommandTarget* m_activeView = nullptr;
    CommandTarget* m_document = nullptr;
    CommandTarget* m_mainFrame = nullptr;
    std::vector<CommandTarget*> m_application;
    std::vector<std::function<void(CommandId)>> m_executedListeners;
};

} // namespace rz
