#pragma once

#include "views/time_axis.h"

#include <QRect>

#include <cstdint>
#include <string>

namespace rz {

// The tempo view's two axes: ticks across (the shared time axis) and tempo
// upward, on a scale of tenths of a BPM from 0 at the bottom of the graph
// to 3600 at its top. The graph is `graphHeight` pixels tall; while it is
// lower than the plot it is stretched over the plot and the vertical offset
// is ignored. Pure; every product is worked out in 64 bits.
struct TempoScale {
    static constexpr int kFullScale = 3600;     // tenths of a BPM at the top
    static constexpr int kHighestPick = 3590;   // the mouse never asks for 0 BPM
    static constexpr int kFitToWindow = 50;     // the smallest graph: fit the plot
    static constexpr uint32_t kFastestTempo = 166666; // µs per quarter at 360 BPM
    static constexpr int kHitRadius = 3;        // pixels either way

    TimeAxis axis;
    QRect plot;           // the plot rectangle, client pixels
    int graphHeight = kFitToWindow;
    int yOffset = 0;      // pixels of the graph above the plot

    // 600,000,000 / u in 64 bits, held to 0..kFullScale for drawing and hit
    // tests; the entries keep their tempo.
    static int tenthsOf(uint32_t microsPerQuarter);
    // The tempo of tenths of a BPM, held to what three bytes store.
    static uint32_t tempoOfTenths(int64_t tenths);

    bool graphFits() const { return graphHeight < plotHeight(); }
    int plotHeight() const { return plot.height() > 0 ? plot.height() : 1; }
    int yOfTenths(int tenths) const;
    int yOfTempo(uint32_t microsPerQuarter) const { return yOfTenths(tenthsOf(microsPerQuarter)); }
    QPoint pointOf(int32_t tick, uint32_t microsPerQuarter) const;
    // The tempo under a y, the y held inside the plot: the top gives 360 BPM,
    // the bottom the slowest tempo three bytes store.
    uint32_t tempoAtY(int y) const;
    // Tenths of a BPM a drag moves a tempo per pixel: the graph's own
    // scale, but never more than one BPM, which a hand can aim.
    static constexpr int kCoarsestDragStep = 10;
    int dragStep() const;
    // A y counted from the graph's top, which a vertical scroll leaves put.
    int graphY(int y) const { return graphFits() ? y : y + yOffset; }
    // The largest offset: the graph's part below the plot.
    int maxOffset() const;

    // The zoom table: 50 (fit), 300, 600, 900, 1800, 3600 pixels.
    struct Zoom {
        int graphHeight = kFitToWindow;
        int yOffset = 0;
    };
    static bool isZoomStep(int graphHeight);
    // A stored height off the table reads as fit.
    static int storedZoom(int graphHeight) { return isZoomStep(graphHeight) ? graphHeight : kFitToWindow; }
    // One step in or out, keeping the plot's middle where it was; the
    // offset then held to 0 .. height - plot height.
    static Zoom zoomIn(Zoom from, int plotHeight);
    static Zoom zoomOut(Zoom from, int plotHeight);
    // "Pixel=%0d.%d", or "Fit to window" after zooming out to it.
    static std::string zoomText(int graphHeight, bool zoomedOut);
};

} // namespace rz
