#pragma once

#include "app/command_target.h"

#include <span>

namespace rz {

class ISongHost;

// Edit-menu ids the song document handles.
inline constexpr CommandId kIdEditSelectTime = 32770;
inline constexpr CommandId kIdEditDelete = 32787;
inline constexpr CommandId kIdEditCopy = 57634;
inline constexpr CommandId kIdEditCut = 57635;

// The current song's commands: the command router's document target, in
// place whether or not a view is active. Without a current song its commands
// are greyed. GUI thread.
class SongDocCommands : public CommandTable<SongDocCommands> {
public:
    explicit SongDocCommands(ISongHost& host) : m_host(host) {}

    static std::span<const CommandRow<SongDocCommands>> commandTable();

    bool onCopyCutDelete(CommandId id);
    void onUpdateCopyCutDelete(CommandId id, CmdUi& ui);
    bool onSelectTime(CommandId id);
    void onUpdateSelectTime(CommandId id, CmdUi& ui);

private:
    ISongHost& m_host;
};

} // namespace rz
