#pragma once

#include <algorithm>
#include <array>

namespace rz {

// The row ("YZoom") and header-font ("FZoom") zoom percentages by index.
inline constexpr std::array<int, 11> kZoomPercents{63, 80, 100, 120, 140, 160, 180, 200, 240, 280, 320};

constexpr int zoomPercent(int index)
{
    return kZoomPercents[size_t(std::clamp(index, 0, int(kZoomPercents.size()) - 1))];
}

} // namespace rz
