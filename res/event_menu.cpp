#include "res/event_menu.h"

#include "res/view_switch_menu.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr auto kEventMenu = joinMenu(kViewSwitchEntries, std::array<MenuEntry, 4>{{
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Insert Event...", kIdInsertEvent},
    {0, Kind::Command, "Filter Events...", kIdFilterEvents},
    {0, Kind::Command, "Properties", kIdProperties},
}});

} // namespace

std::span<const MenuEntry> eventContextMenu()
{
    return kEventMenu;
}

} // namespace rz
