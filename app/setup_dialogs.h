#pragma once

#include "ui/command_target.h"

#include <functional>
#include <map>

namespace rz {

// Setup commands whose dialogs live in libraries the application does not
// build itself: each library registers an opener for its command, as views
// register with the ViewFactory, and a command without one stays grey.
// GUI thread.
class SetupDialogs {
public:
    // Runs the dialog modally; true when it closed with OK.
    using Opener = std::function<bool()>;

    void registerDialog(CommandId id, Opener opener) { m_openers[id] = std::move(opener); }
    bool canOpen(CommandId id) const { return m_openers.contains(id); }
    // False when nothing is registered for `id` or the dialog was cancelled.
    bool open(CommandId id) const
    {
        const auto it = m_openers.find(id);
        return it != m_openers.end() && it->second();
    }

private:
    std::map<CommandId, Opener> m_openers;
};

} // namespace rz
