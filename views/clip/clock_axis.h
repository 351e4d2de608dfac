#pragma once

#include "song/tempo_map.h"
#include "views/follow_policy.h"

#include <cstdint>
#include <string>

namespace rz {

class CSongDoc;

// The horizontal scale of the clock-time view: a fixed number of
// microseconds per pixel column from a ten-step zoom table, through the
// song's tempo map. Content coordinates are 64-bit: at the finest step a
// long song at a slow tempo runs far past 32 bits. Pure.
struct ClockAxis {
    static constexpr int kZoomSteps = 10;
    static constexpr int kDefaultZoom = 4;
    static constexpr int kGridStep = 100;  // pixels between labelled lines
    static constexpr int kSmallStep = 10;  // pixels between the small ticks
    static constexpr int kSnapColumns = 10; // the snap switch rounds to this many columns

    const TempoMap* tempo = nullptr; // null: the default tempo
    int timeBase = 120;
    int zoom = kDefaultZoom; // 0..9
    int plotLeft = 0;        // x of content column `origin`
    int64_t origin = 0;

    static ClockAxis forSong(const CSongDoc& song, int zoom, int plotLeft, int64_t origin);
    static int clampZoom(int zoom);
    // Microseconds per pixel at a zoom step, clamped into the table.
    static int64_t usPerPixelAt(int zoom);
    int64_t usPerPixel() const { return usPerPixelAt(zoom); }

    double timeOfTick(int32_t tick) const;
    int32_t tickOfTime(double us) const;
    int64_t contentXOfTick(int32_t tick) const;
    int32_t tickOfContentX(int64_t x) const;
    // Window x of a tick, clamped into int.
    int xOfTick(int32_t tick) const;
    int64_t contentXOf(int x) const { return int64_t(x) - plotLeft + origin; }
    // The time under a window x; with `snap` the nearest multiple of ten
    // columns' time.
    double timeOfX(int x, bool snap) const;
    // The tick of timeOfX, never below 0.
    int32_t tickOfX(int x, bool snap) const;

    // "%d:%02d:%02d" of minutes, seconds and hundredths of a time plus an
    // offset, both in microseconds; hours are dropped.
    static std::string label(double timeUs, double offsetUs);
    // The labelled grid line at or before a content x.
    static int64_t gridLineAtOrBefore(int64_t contentX);
};

// What following the play position in the clock-time view needs: content
// columns of the play position, the view's origin, the line drawn last.
struct TimeFollowInput {
    int64_t playX = 0;
    int64_t origin = 0;
    int64_t lineX = -1;
    int plotWidth = 0;
    int64_t contentWidth = 0;
    bool userScrolling = false; // the thumb is held: follow nothing
};

// Keeps the play position in the middle of the plot as far as the content
// allows; a move larger than half the plot repaints in full. Pure.
FollowResult timeFollow(const TimeFollowInput& in);

} // namespace rz
