#pragma once

#include "ui/command_target.h"

#include <map>
#include <string>
#include <vector>

namespace rz {

// A command target whose rows a test sets per instance. Each handler call is
// logged as "name:id", accepted or not.
class ScriptedTarget : public CommandTarget {
public:
    ScriptedTarget(std::string name, std::vector<std::string>& log)
        : m_name(std::move(name)), m_log(log)
    {
    }

    ScriptedTarget& accepts(CommandId id)
    {
        m_handlers[id] = true;
        return *this;
    }
    ScriptedTarget& declines(CommandId id)
    {
        m_handlers[id] = false;
        return *this;
    }
    ScriptedTarget& updates(CommandId id, CmdUi ui)
    {
        m_updates[id] = std::move(ui);
        return *this;
    }

    bool hasHandler(CommandId id) const override { return m_handlers.contains(id); }
    bool handle(CommandId id) override
    {
        const auto it = m_handlers.find(id);
        if (it == m_handlers.end())
            return false;
        m_log.push_back(m_name + ":" + std::to_string(id));
        return it->second;
    }
    bool update(CommandId id, CmdUi& ui) override
    {
        const auto it = m_updates.find(id);
        if (it == m_updates.end())
            return false;
        ui = it->second;
        return true;
    }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
    std::map<CommandId, bool> m_handlers;
    std::map<CommandId, CmdUi> m_updates;
};

inline CmdUi disabledUi()
{
    CmdUi ui;
    ui.enabled = false;
    return ui;
}

} // namespace rz
