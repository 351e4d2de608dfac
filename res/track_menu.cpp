#include "res/track_menu.h"

#include "res/command_ids.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr MenuEntry kTrackMenu[] = {
    {0, Kind::Command, "Cu&t", kIdEditCut},
    {0, Kind::Command, "&Copy", kIdEditCopy},
    {0, Kind::Command, "&Paste", kIdEditPaste},
    {0, Kind::Command, "&Delete", kIdDelete},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "&Insert new track...", kIdInsertTrack},
    {0, Kind::Command, "&Apply track offsets", kIdApplyTrackOffsets},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "&Solo", kIdSolo},
    {0, Kind::Command, "&Un-solo", kIdUnsolo},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Spawn top level &window", kIdSpawnTopLevelWindow},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "P&roperties", kIdProperties},
};

} // namespace

std::span<const MenuEntry> trackContextMenu()
{
    return kTrackMenu;
}

} // namespace rz
