#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 159: the slider view's right-click menu.
std::span<const MenuEntry> sliderContextMenu();

} // namespace rz
