#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 152: the event list's right-click menu.
std::span<const MenuEntry> eventContextMenu();

} // namespace rz
