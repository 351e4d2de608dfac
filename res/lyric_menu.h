#pragma once

#include "res/main_menu.h"

#include <span>

namespace rz {

// Menu resource 157: the lyric view's right-click menu.
std::span<const MenuEntry> lyricContextMenu();

} // namespace rz
