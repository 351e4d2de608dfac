#include "views/track/track_row_layout.h"

#include "core/zoom_percent.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int kNumberUnit = 30; // pixels at 100 %
constexpr int kFontUnit = 12;

} // namespace

TrackRowLayout TrackRowLayout::make(int fZoom, int yZoom)
{
    const int both = zoomPercent(std::min(std::clamp(fZoom, 0, 10), std::clamp(yZoom, 0, 10)));
    TrackRowLayout layout;
    layout.headerHeight = LaneLayout::rulerHeightFor(fZoom);
    layout.rowHeight = LaneLayout::laneHeightFor(yZoom);
    layout.numberWidth = both * kNumberUnit / 100;
    layout.fontHeight = -((both * kFontUnit + 50) / 100);
    return layout;
}

} // namespace rz
