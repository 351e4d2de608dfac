#include "res/piano_menu.h"

#include "res/command_ids.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr MenuEntry kPianoMenu[] = {
    {0, Kind::Command, "Clips  Cues", kIdViewClipsAndCues},
    {0, Kind::Command, "Events", kIdViewEvents},
    {0, Kind::Command, "Staff", kIdViewStaff},
    {0, Kind::Command, "Piano roll", kIdViewPianoRoll},
    {0, Kind::Command, "Karaoke", kIdViewKaraoke},
    {0, Kind::Command, "Lead-sheet", kIdViewLeadSheet},
    {0, Kind::Command, "Time", kIdViewWaveform},
    {0, Kind::Command, "Velocity", kIdViewVelocity},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Properties", kIdProperties},
};

} // namespace

std::span<const MenuEntry> pianoContextMenu()
{
    return kPianoMenu;
}

} // namespace rz
