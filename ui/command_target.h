#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace rz {

// Command identifiers keep their stored numbers (maps and files hold them).
using CommandId = uint32_t;

// What an update row decides about one command's menu item, button or key.
struct CmdUi {
    bool enabled = true;
    bool checked = false;
    bool radio = false;              // shown as a radio mark
    std::optional<std::string> text; // replaces the item's text when set
    bool visible = true;
};

// A class that handles commands. Each concrete class declares one table of
// rows {firstId, lastId, handler, update} (see CommandTable) and hands it out
// through the three functions below.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    // True when a row for `id` has a handler.
    virtual bool hasHandler(CommandId id) const = 0;
    // Runs the handlers of the rows for `id` in order until one accepts;
    // false when none did.
    virtual bool handle(CommandId id) = 0;
    // Runs the update of the first row for `id` that has one; false when
    // there is none.
    virtual bool update(CommandId id, CmdUi& ui) = 0;
};

// The row type of a class T: member functions, either may be null.
template <class T>
struct CommandRow {
    CommandId firstId = 0;
    CommandId lastId = 0;
    bool (T::*handler)(CommandId) = nullptr; // true when it handled the command
    void (T::*update)(CommandId, CmdUi&) = nullptr;
};

// Base for targets: T declares `static std::span<const CommandRow<T>> commandTable();`.
template <class T>
class CommandTable : public CommandTarget {
public:
    bool hasHandler(CommandId id) const override
    {
        for (const CommandRow<T>& row : T::commandTable())
            if (covers(row, id) && row.handler)
                return true;
        return false;
    }

    bool handle(CommandId id) override
    {
        for (const CommandRow<T>& row : T::commandTable())
            if (covers(row, id) && row.handler && (self().*row.handler)(id))
                return true;
        return false;
    }

    bool update(CommandId id, CmdUi& ui) override
    {
        for (const CommandRow<T>& row : T::commandTable()) {
            if (covers(row, id) && row.update) {
                (self().*row.update)(id, ui);
                return true;
            }
        }
        return false;
    }

private:
    static bool covers(const CommandRow<T>& row, CommandId id)
    {
        return id >= row.firstId && id <= row.lastId;
    }
    T& self() { return static_cast<T&>(*this); }
};

} // namespace rz
