#include "views/lane_layout.h"

#include "core/zoom_percent.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int kRulerUnit = 18; // pixels at 100 %
constexpr int kLaneUnit = 14;

} // namespace

int LaneLayout::rulerHeightFor(int headerZoom)
{
    return zoomPercent(headerZoom) * kRulerUnit / 100;
}

int LaneLayout::laneHeightFor(int laneZoom)
{
    return std::max(zoomPercent(laneZoom) * kLaneUnit / 100, 1);
}

LaneLayout LaneLayout::make(int headerZoom, int laneZoom, int secondBand, int firstRow)
{
    return LaneLayout{.rulerHeight = rulerHeightFor(headerZoom),
                      .secondBand = std::max(secondBand, 0),
                      .laneHeight = laneHeightFor(laneZoom),
                      .firstRow = std::max(firstRow, 0)};
}

int LaneLayout::rowY(int row) const
{
    return (row - firstRow - 1) * laneHeight + lanesTop();
}

int LaneLayout::rowAt(int y) const
{
    const int offset = y - lanesTop();
    const int lanes = offset >= 0 ? offset / laneHeight : -((-offset + laneHeight - 1) / laneHeight);
    return firstRow + 1 + lanes;
}

int LaneLayout::lanesShown(int plotBottom) const
{
    return std::max(plotBottom - lanesTop(), 0) / std::max(laneHeight, 1);
}

int LaneLayout::maxFirstRow(int trackCount, int plotBottom) const
{
    // Rows 1 .. trackCount - 2 have lanes.
    const int lanes = std::max(trackCount - 2, 0);
    return std::max(lanes - lanesShown(plotBottom), 0);
}

PaneOwnership paneOwnership(const PaneViews& views)
{
    return PaneOwnership{.clipShowsOwnBar = !views.tempo && !views.control,
                         .tempoDrawsRuler = !views.clip && !views.piano && !views.velocity};
}

} // namespace rz
