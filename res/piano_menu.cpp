#include "res/piano_menu.h"

#include "res/view_switch_menu.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr auto kPianoMenu = joinMenu(kViewSwitchEntries, std::array<MenuEntry, 2>{{
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Properties", kIdProperties},
}});

} // namespace

std::span<const MenuEntry> pianoContextMenu()
{
    return kPianoMenu;
}

} // namespace rz
