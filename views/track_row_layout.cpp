#include "views/track_row_layout.h"

#include "core/zoom_percent.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int kHeaderUnit = 18; // pixels at 100 %
constexpr int kRowUnit = 14;
constexpr int kNumberUnit = 30;
constexpr int kFontUnit = 12;

} // namespace

TrackRowLayout TrackRowLayout::make(int fZoom, int yZoom)
{
    const int both = zoomPercent(std::min(std::clamp(fZoom, 0, 10), std::clamp(yZoom, 0, 10)));
    TrackRowLayout layout;
    layout.headerHeight = zoomPercent(fZoom) * kHeaderUnit / 100;
    layout.rowHeight = std::max(zoomPercent(yZoom) * kRowUnit / 100, 1);
    layout.numberWidth = both * kNumberUnit / 100;
    layout.fontHeight = -((both * kFontUnit + 50) / 100);
    return layout;
}

int TrackRowLayout::rowAt(int y, int topRow) const
{
    const int offset = y - headerHeight - kRulerGap;
    const int rows = offset >= 0 ? offset / rowHeight : -((-offset + rowHeight - 1) / rowHeight);
    return topRow + 1 + rows;
}

int TrackRowLayout::visibleRows(int gridBottom) const
{
    return std::max(gridBottom - headerHeight - kRulerGap, 0) / rowHeight;
}

} // namespace rz
