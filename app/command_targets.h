#pragma once
// App builds the targets and hands them to the router and the main frame.

#include <memory>
#include <vector>

namespace rz {

class CommandTarget;
class SongDocCommands;
class TransportCommands;
class FileCommands;
class EditCommands;
class ViewCommands;
class SetupCommands;
class HelpCommands;
class MapCommands;

// The application's command targets: the song's, asked after the active
// view, and one per menu, asked after the main frame.
struct CommandTargets {
    CommandTargets();
    ~CommandTargets();
    CommandTargets(const CommandTargets&) = delete;
    CommandTargets& operator=(const CommandTargets&) = delete;

    // The menus' targets; no two claim one command, so their order decides nothing.
    std::vector<CommandTarget*> menus() const;

    std::unique_ptr<SongDocCommands> song;
    std::unique_ptr<TransportCommands> transport;
    std::unique_ptr<FileCommands> file;
    std::unique_ptr<EditCommands> edit;
    std::unique_ptr<ViewCommands> view;
    std::unique_ptr<SetupCommands> setup;
    std::unique_ptr<HelpCommands> help;
    std::unique_ptr<MapCommands> maps;
};

} // namespace rz
