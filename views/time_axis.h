#pragma once

#include "song/measure_map.h"

#include <cstdint>

namespace rz {

class CSongDoc;

// The shared horizontal scale of the tick-axis views: whole grid steps per
// pixel column, counted from a scroll origin in columns. Pure; every
// product is worked out in 64 bits and results are clamped to int.
struct TimeAxis {
    int32_t gridTicks = 1; // ticks per column, at least 1
    int plotLeft = 0;      // x of column `origin`
    int32_t origin = 0;    // first visible column, never below 0

    // The song's grid at the program's time zoom.
    static TimeAxis forSong(const CSongDoc& song, int plotLeft, int32_t origin);
    // The grid for a time base at a time-zoom index (clamped into 0..8).
    static int32_t gridTicksFor(int timeBase, int timeZoom);

    int32_t columnOf(int32_t tick) const;
    int xOfTick(int32_t tick) const;
    int32_t tickOfX(int x) const;
    // The last column a song ending at `endTick` reaches: the scroll range.
    int32_t scrollMax(int32_t endTick) const { return columnOf(endTick); }
    // The largest origin that still fills a plot `plotWidth` columns wide;
    // 0 when the song is shorter than the plot.
    int32_t maxOrigin(int32_t endTick, int plotWidth) const;
};

// The mouse-placement snap unit: `snapValue` 240ths of a quarter at a time
// base, at least one tick.
int32_t snapUnit(int snapValue, int timeBase);
// The nearest unit counted from `measureStart`, halves upward.
int32_t snapFrom(int32_t tick, int32_t measureStart, int32_t unit);
// The same from the start of the measure holding the tick; an empty map
// snaps from tick 0.
int32_t snapInMap(const MeasureMap& map, int32_t tick, int32_t unit);

// Clamps a 64-bit pixel or column value into int.
int clampToInt(int64_t value);

} // namespace rz
