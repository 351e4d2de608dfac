#pragma once

#include "ui/command_target.h"

#include <cstdint>
#include <optional>
#include <span>

namespace rz {

// The actions an external control map entry can run: the entry's low byte.
inline constexpr int kControlActionCount = 47;
inline constexpr int kFirstSkipAction = 27; // "Skip +0"; "Skip +9" is 36
inline constexpr int kLastSkipAction = 36;
inline constexpr int kPlayCueAction = 1;
inline constexpr int kTempoSliderAction = 19;
inline constexpr int kVolumeSliderAction = 23;
inline constexpr int kTapAction = 37;
inline constexpr int kTrackUpAction = 40;
inline constexpr int kTrackDownAction = 41;
inline constexpr int kSongUpAction = 42;
inline constexpr int kSongDownAction = 43;
inline constexpr int kGotoSongAction = 44;

// The actions' names in code order, closed by "." (lists fill until it).
std::span<const char* const> controlActionNames();

// The command an action sends, if it sends one.
std::optional<CommandId> controlActionCommand(int action);
// Actions that repeat while their trigger is held.
bool controlActionRepeats(int action);

} // namespace rz
