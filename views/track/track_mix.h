#pragma once

#include "core/color.h"

#include <algorithm>

namespace rz {

// The mix slider of the track list: a groove the width of the cell less a
// pixel each side, and a 10-pixel knob whose offset in the groove is the
// track's volume percent 0..200. Pure.
namespace track_mix {

inline constexpr int kKnobWidth = 10;
// A narrower cell draws no slider and starts no drag: the value divides
// by the width left for the knob.
inline constexpr int kMinCellWidth = 36;
inline constexpr int kMaxPercent = 200;

// Black at 0, yellow at 100, red at 200; grey outside the range.
constexpr Color grooveColor(int m)
{
    if (m < 0 || m > kMaxPercent)
        return 0x808080;
    if (m < 100)
        return makeColor(uint32_t(m * 239 / 100), uint32_t(m * 231 / 100), uint32_t(m * 49 / 100));
    return makeColor(239, uint32_t(231 - (m - 100) * 207 / 100), uint32_t(49 - (m - 100) * 33 / 100));
}

// The knob's left edge from the cell's left edge, for percent `m`.
constexpr int knobOffset(int m, int cellWidth)
{
    return 1 + (cellWidth - kKnobWidth) * std::clamp(m, 0, kMaxPercent) / kMaxPercent;
}

// The percent for a knob `offset` pixels into the groove; the cell is at
// least kMinCellWidth wide.
constexpr int percentAt(int offset, int cellWidth)
{
    const int room = std::max(cellWidth - kKnobWidth, 1);
    return std::clamp(offset, 0, room) * kMaxPercent / room;
}

} // namespace track_mix
} // namespace rz
