#include "res/clip_menu.h"

#include "res/command_ids.h"

namespace rz {

namespace {

using Kind = MenuEntry::Kind;

constexpr MenuEntry kClipMenu[] = {
    {0, Kind::Command, "Insert Cue...", kIdInsertCue},
    {0, Kind::Separator, "", 0},
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

constexpr MenuEntry kClipSelectionMenu[] = {
    {0, Kind::Command, "Wave remix/export...", kIdWaveRemix},
    {0, Kind::Separator, "", 0},
    {0, Kind::Command, "Properties", kIdProperties},
};

} // namespace

std::span<const MenuEntry> clipContextMenu()
{
    return kClipMenu;
}

std::span<const MenuEntry> clipSelectionMenu()
{
    return kClipSelectionMenu;
}

} // namespace rz
