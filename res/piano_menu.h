#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 154: the piano roll's right-click menu.
std::span<const MenuEntry> pianoContextMenu();

} // namespace rz
