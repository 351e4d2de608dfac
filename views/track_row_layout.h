#pragma once

namespace rz {

// The track list's vertical layout, which every time-axis view copies so
// its lanes line up with the rows: the column header, the empty band
// under it (the time-axis views' ruler), the row height; and the
// number column's width and the view font's height. Pure.
struct TrackRowLayout {
    static constexpr int kRulerGap = 17; // pixels

    int headerHeight = 18;
    int rowHeight = 14;
    int numberWidth = 30;
    int fontHeight = -12; // negative: the character height in pixels

    // From the header-font zoom ("FZoom") and the row zoom ("YZoom"), each
    // clamped into the zoom table.
    static TrackRowLayout make(int fZoom, int yZoom);

    // The top of row `row` with `topRow` rows scrolled off.
    int rowTop(int row, int topRow) const { return headerHeight + kRulerGap + (row - topRow - 1) * rowHeight; }
    // The row at client y, or a row <= topRow above the rows.
    int rowAt(int y, int topRow) const;
    // Whole rows between the ruler gap and `gridBottom`.
    int visibleRows(int gridBottom) const;
};

} // namespace rz
