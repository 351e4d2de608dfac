#pragma once

#include "res/command_ids.h"
#include "res/main_menu.h"

#include <array>
#include <algorithm>
#include <cstddef>

namespace rz {

// The editor views a right-click menu switches between.
inline constexpr std::array<MenuEntry, 8> kViewSwitchEntries = {{
    {0, MenuEntry::Kind::Command, "Clips  Cues", kIdViewClipsAndCues},
    {0, MenuEntry::Kind::Command, "Events", kIdViewEvents},
    {0, MenuEntry::Kind::Command, "Staff", kIdViewStaff},
    {0, MenuEntry::Kind::Command, "Piano roll", kIdViewPianoRoll},
    {0, MenuEntry::Kind::Command, "Karaoke", kIdViewKaraoke},
    {0, MenuEntry::Kind::Command, "Lead-sheet", kIdViewLeadSheet},
    {0, MenuEntry::Kind::Command, "Time", kIdViewWaveform},
    {0, MenuEntry::Kind::Command, "Velocity", kIdViewVelocity},
}};

// One menu of the parts, in order.
template <size_t... N>
constexpr std::array<MenuEntry, (N + ...)> joinMenu(const std::array<MenuEntry, N>&... parts)
{
    std::array<MenuEntry, (N + ...)> entries{};
    size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), entries.begin() + std::ptrdiff_t(at)), at += N), ...);
    return entries;
}

} // namespace rz
