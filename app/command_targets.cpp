// The application's command targets, owned together. GUI thread.

#include "app/command_targets.h"

#include "app/edit_commands.h"
#include "app/file_commands.h"
#include "app/help_commands.h"
#include "app/maps/map_commands.h"
#include "app/setup_commands.h"
#include "app/song_doc_commands.h"
#include "app/transport_commands.h"
#include "app/view_commands.h"

namespace rz {

CommandTargets::CommandTargets() = default;
CommandTargets::~CommandTargets() = default;

std::vector<CommandTarget*> CommandTargets::menus() const
{
    return {transport.get(), file.get(), edit.get(), view.get(), setup.get(), help.get(), maps.get()};
}

} // namespace rz
