#pragma once

#include <cstdint>

namespace rz {

// The key moved by `semitones`, folded back into 0..127 by whole octaves:
// what thru echo and applied key offsets both play.
constexpr int transposeFolded(int key, int semitones)
{
    int64_t moved = int64_t(key) + semitones;
    if (moved > 127)
        moved -= (moved - 127 + 11) / 12 * 12;
    else if (moved < 0)
        moved += (-moved + 11) / 12 * 12;
    return int(moved);
}

} // namespace rz
