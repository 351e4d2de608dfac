#pragma once

#include "res/main_menu.h"
#include "ui/command_target.h"

#include <functional>
#include <memory>
#include <span>

class QMenu;
class QObject;

namespace rz {

// A right-click menu of one level of command rows and separators; a pick
// goes to `sink`, tied to `owner`'s life. GUI thread.
std::unique_ptr<QMenu> commandMenu(std::span<const MenuEntry> entries, QObject* owner,
                                   std::function<bool(CommandId)> sink);

} // namespace rz
