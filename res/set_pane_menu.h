#pragma once

#include <cstdint>
#include <span>

namespace rz {

// One row of a context menu; command 0 is a separator.
struct MenuRow {
    uint32_t command = 0;
    const char* label = "";
};

// The set pane's context menu (menu 145, submenu 0).
inline constexpr int kSetPaneMenuId = 145;
std::span<const MenuRow> setPaneMenu();

} // namespace rz
