#include "res/slider_menu.h"

#include "res/command_ids.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr MenuEntry kSliderMenu[] = {
    {0, Kind::Command, "Tempo map", kIdViewTempoMap},
    {0, Kind::Command, "Faders", kIdViewFaders},
    {0, Kind::Command, "Pitch wheel map", kIdViewPitchWheel},
    {0, Kind::Command, "Channel pressure map", kIdViewChannelPressure},
    {0, Kind::Command, "Other controller map...", kIdViewOtherController},
};

} // namespace

std::span<const MenuEntry> sliderContextMenu()
{
    return kSliderMenu;
}

} // namespace rz
