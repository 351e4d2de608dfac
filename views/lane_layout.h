#pragma once

namespace rz {

// The vertical layout the lane views share with the track view: a ruler
// band of measure numbers, a second band (the track header's second band;
// the clip view puts its cue flags there), then one lane per track row from
// the track view's top row. Row 0 (the conductor track) and the last row
// (the empty track) have no lane. Pure.
struct LaneLayout {
    int rulerHeight = 0; // R
    int secondBand = 0;  // C
    int laneHeight = 1;  // L, at least 1
    int firstRow = 0;    // the track view's top row

    // From the header-font zoom ("FZoom") and lane zoom ("YZoom") indices,
    // each clamped into the percentage table.
    static LaneLayout make(int headerZoom, int laneZoom, int secondBand, int firstRow);
    static int rulerHeightFor(int headerZoom);
    static int laneHeightFor(int laneZoom);

    int lanesTop() const { return rulerHeight + secondBand; }
    // The top of the lane of track row `row`.
    int rowY(int row) const;
    // The track row whose lane holds `y`; rows above the lanes come out
    // at or below the first row.
    int rowAt(int y) const;
    // Whole lanes between the bands and `plotBottom` (client y).
    int lanesShown(int plotBottom) const;
    // The largest first row that still fills the plot, for `trackCount`
    // tracks; 0 when every lane fits.
    int maxFirstRow(int trackCount, int plotBottom) const;
};

// Which lane views are open in the editor and controller panes.
struct PaneViews {
    bool clip = false;
    bool piano = false;
    bool velocity = false;
    bool tempo = false;
    bool control = false;
};

// Who draws the ruler bands and who carries the shared horizontal bar.
struct PaneOwnership {
    bool clipShowsOwnBar = true;   // else the controller pane's bar serves both
    bool tempoDrawsRuler = true;   // else its plot begins at the top
};

PaneOwnership paneOwnership(const PaneViews& views);

} // namespace rz
