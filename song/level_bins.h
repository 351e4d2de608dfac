#pragma once

// How long notes sound at each loudness. GUI thread, transport stopped.

#include <array>
#include <cstdint>

namespace rz {

class CSongDoc;

inline constexpr int kLevelBinCount = 256;
using LevelBins = std::array<uint64_t, kLevelBinCount>;

// Ticks x level of every sounding note, by level: level = velocity x
// channel volume (CC7) x expression (CC11), bin = level / 127 / 64. Tracks
// with an initial program that share a port and channel are read together,
// so a controller on one applies to the notes of the others; any other
// track stands alone. Volume starts at 100, expression at 127. A note still
// sounding when its group ends counts up to the group's last change. Reads
// the tracks' play images, leaving their play cursors as they were.
LevelBins ComputeLevelBins(CSongDoc& song);

} // namespace rz
