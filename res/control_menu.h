#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 153: the controller view's right-click menu.
std::span<const MenuEntry> controlContextMenu();

} // namespace rz
