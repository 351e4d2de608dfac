#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 150: the tempo view's right-click menu.
std::span<const MenuEntry> tempoContextMenu();

} // namespace rz
