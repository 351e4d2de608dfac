#pragma once

#include "views/lane_layout.h"

namespace rz {

// The track list's vertical layout, which every time-axis view copies so
// its lanes line up with the rows: the rows are lanes under the column
// header (the ruler's height) and an empty band as high as the time-axis
// views' second band. Adds the number column's width and the view font's
// height. Pure.
struct TrackRowLayout {
    static constexpr int kRulerGap = 17; // pixels

    int headerHeight = 18;
    int rowHeight = 14;
    int numberWidth = 30;
    int fontHeight = -12; // negative: the character height in pixels

    // From the header-font zoom ("FZoom") and the row zoom ("YZoom"), each
    // clamped into the zoom table.
    static TrackRowLayout make(int fZoom, int yZoom);

    // The rows as lanes with `topRow` rows scrolled off.
    LaneLayout lanes(int topRow) const
    {
        return LaneLayout{.rulerHeight = headerHeight, .secondBand = kRulerGap,
                          .laneHeight = rowHeight, .firstRow = topRow};
    }
    int rowTop(int row, int topRow) const { return lanes(topRow).rowY(row); }
    // The row at client y, or a row <= topRow above the rows.
    int rowAt(int y, int topRow) const { return lanes(topRow).rowAt(y); }
    // Whole rows between the ruler gap and `gridBottom`.
    int visibleRows(int gridBottom) const { return lanes(0).lanesShown(gridBottom); }
};

} // namespace rz
