#include "res/staff_menu.h"

#include "res/view_switch_menu.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr auto kStaffMenu = joinMenu(kViewSwitchEntries, std::array<MenuEntry, 5>{{
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Spawn top level &window", kIdSpawnTopLevelWindow},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Staff options...", kIdStaffOptions},
    {0, Kind::Command, "Pr&operties", kIdProperties},
}});

} // namespace

std::span<const MenuEntry> staffContextMenu()
{
    return kStaffMenu;
}

} // namespace rz
