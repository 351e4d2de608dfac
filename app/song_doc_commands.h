#pragma once

#include "res/command_ids.h"
#include "ui/command_target.h"

#include <span>

namespace rz {

class ISongHost;

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
    bool onWaveRemix(CommandId id);
    void onUpdateWaveRemix(CommandId id, CmdUi& ui);
    // The Insert menu and the transforms: each greyed while its dialog is missing.
    bool onDialogCommand(CommandId id);
    void onUpdateDialogCommand(CommandId id, CmdUi& ui);
    bool onProperties(CommandId id);
    void onUpdateProperties(CommandId id, CmdUi& ui);
    bool onSelectAllTime(CommandId id);
    void onUpdateSelectAllTime(CommandId id, CmdUi& ui);
    bool onFind(CommandId id);
    void onUpdateFind(CommandId id, CmdUi& ui);

private:
    ISongHost& m_host;
};

} // namespace rz
