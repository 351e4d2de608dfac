#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 155: the score's right-click menu.
std::span<const MenuEntry> staffContextMenu();

} // namespace rz
