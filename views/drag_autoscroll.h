#pragma once

#include <cstdint>

namespace rz {

// One beat of the drag autoscroll timer, pure. Horizontal: a pointer left of
// the plot scrolls left by its distance from the plot, one at or right of
// the plot's right edge (exclusive) scrolls right by its distance, within
// 0 .. maximum origin. Vertical (lane views with an enabled vertical bar):
// one row up above the lanes top, one row down at or below the plot bottom.
struct AutoscrollInput {
    int mouseX = 0;
    int mouseY = 0;
    int plotLeft = 0;
    int plotRight = 0;  // exclusive
    int64_t origin = 0;
    int64_t maxOrigin = 0;

    bool rows = false;  // the vertical step applies
    int rowsTop = 0;    // the lanes top, or the ruler's bottom for a drag begun above the lanes
    int plotBottom = 0; // exclusive
    int firstRow = 0;
    int maxFirstRow = 0;
};

struct AutoscrollStep {
    int64_t origin = 0;
    int firstRow = 0;
    bool moved = false;
};

AutoscrollStep autoscrollStep(const AutoscrollInput& in);

// One beat of an edge autoscroll along one axis (the track list's rows and
// columns): a pointer before `low` scrolls back, one at or past `high`
// (exclusive) forward, each by ceil(distance / unit) with the distance
// counted from the edge's outer pixel, within 0 .. maxPos. Pure.
int edgeScrollStep(int pointer, int low, int high, int pos, int maxPos, int unit);

} // namespace rz
