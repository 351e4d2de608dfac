#pragma once

#include <QRect>

#include <algorithm>

namespace rz {

// Segment ends of a plotted line are held this far outside the plot, in pixels.
inline constexpr int kPlotFarX = 1000;

inline int heldX(int x, const QRect& plot)
{
    return std::clamp(x, plot.left() - kPlotFarX, plot.right() + kPlotFarX);
}

} // namespace rz
