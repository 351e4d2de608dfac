#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 151: the clip view's right-click menu without a clip selected.
std::span<const MenuEntry> clipContextMenu();
// Menu resource 162 after its "Audio effect" popup, which the program fills
// with its audio effects: the commands for selected clips.
std::span<const MenuEntry> clipSelectionMenu();

} // namespace rz
