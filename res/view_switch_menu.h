#pragma once

#include "res/command_ids.h"
#include "res/main_menu.h"

#include <array>
#include <cstddef>

namespace rz {

// The editor views a right-click menu switches between, then `tail`.
template <size_t N>
constexpr std::array<MenuEntry, 8 + N> withViewSwitches(const std::array<MenuEntry, N>& tail)
{
    using Kind = MenuEntry::Kind;
    std::array<MenuEntry, 8 + N> entries = {{
        {0, Kind::Command, "Clips  Cues", kIdViewClipsAndCues},
        {0, Kind::Command, "Events", kIdViewEvents},
        {0, Kind::Command, "Staff", kIdViewStaff},
        {0, Kind::Command, "Piano roll", kIdViewPianoRoll},
        {0, Kind::Command, "Karaoke", kIdViewKaraoke},
        {0, Kind::Command, "Lead-sheet", kIdViewLeadSheet},
        {0, Kind::Command, "Time", kIdViewWaveform},
        {0, Kind::Command, "Velocity", kIdViewVelocity},
    }};
    for (size_t i = 0; i < N; ++i)
        entries[8 + i] = tail[i];
    return entries;
}

} // namespace rz
