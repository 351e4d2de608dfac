#include "res/control_menu.h"

#include "res/command_ids.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr MenuEntry kControlMenu[] = {
    {0, Kind::Command, "&Insert control change...", kIdInsertControllerSeries},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "&Tempo map", kIdViewTempoMap},
    {0, Kind::Command, "&Faders", kIdViewFaders},
    {0, Kind::Command, "&MOD wheel map", kIdViewModWheel},
    {0, Kind::Command, "&Expression map", kIdViewExpression},
    {0, Kind::Command, "&Pitch wheel map", kIdViewPitchWheel},
    {0, Kind::Command, "&Channel pressure map", kIdViewChannelPressure},
    {0, Kind::Command, "&Other controller map...", kIdViewOtherController},
};

} // namespace

std::span<const MenuEntry> controlContextMenu()
{
    return kControlMenu;
}

} // namespace rz
