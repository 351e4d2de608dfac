#pragma once
// Stored window places kept on the work area: the main window's first
// placement and the rectangles a song's layout record brings.

#include <algorithm>
#include <cstdint>

namespace rz {

// Pixels of a window that stay on the work area, so a place on a screen that
// is gone comes back.
inline constexpr int kKeepOnScreen = 70;

// A stored value held within low..high; a range that closed up gives low.
// Takes 64 bits so a sum of stored values cannot wrap before it is held.
inline int clampStoredValue(int64_t value, int low, int high)
{
    return int(std::clamp<int64_t>(value, low, std::max(low, high)));
}

} // namespace rz
