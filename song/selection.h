#pragma once

#include <cstdint>

namespace rz {

// Bits of the song's selection kind: what the current selection holds.
inline constexpr uint32_t kSelectTimeRange = 0x1;
inline constexpr uint32_t kSelectEvents = 0x2;
inline constexpr uint32_t kSelectTracks = 0x4;  // whole rows of the track view
inline constexpr uint32_t kSelectTempo = 0x8;
inline constexpr uint32_t kSelectCues = 0x10;
inline constexpr uint32_t kSelectAudioClip = 0x20;
// Points of a controller lane, set by the controller lane for its own selection.
inline constexpr uint32_t kSelectControllerPoints = 0x40;

} // namespace rz
