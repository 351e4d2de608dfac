#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 149: the track list's right-click menu.
std::span<const MenuEntry> trackContextMenu();

} // namespace rz
