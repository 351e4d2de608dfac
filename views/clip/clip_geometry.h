#pragma once

#include "views/clip/clock_axis.h"
#include "views/lane_layout.h"
#include "views/time_axis.h"

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <optional>
#include <vector>

namespace rz {

class CSongDoc;
struct CTrack;
struct CTrackItem;

// Where things are in a lane view of clips and cues when the mouse acts:
// the time axis, the lanes of the track rows under the ruler and the cue
// band, the plot, and one cue flag rectangle per cue of the song (client
// pixels). Pure.
struct ClipGeometry {
    static constexpr int32_t kNoHit = -1;
    static constexpr int32_t kCueHit = 0x10000000; // | cue index
    static constexpr int kRowShift = 20;           // row << 20 | item index

    TimeAxis axis;
    std::optional<ClockAxis> clock; // set: the lanes run in clock time, not on `axis`
    bool midiItems = false;         // the MIDI tracks' blocks are items too
    bool cuesPinTracks = false;     // a drag holding cues keeps its tracks
    LaneLayout lanes;
    QRect plot;            // the lanes, below the bands
    int trackCount = 0;    // rows of the track list
    int dragDistance = 4;  // pixels a press must move before it drags
    std::vector<QRect> cueRects;

    static int32_t clipHit(int row, int item) { return int32_t(row) << kRowShift | item; }
    static bool isCueHit(int32_t hit) { return hit >= 0 && (hit & kCueHit) != 0; }
    static int rowOf(int32_t hit) { return (hit & ~kCueHit) >> kRowShift; }
    static int itemOf(int32_t hit) { return hit & ((1 << kRowShift) - 1); }
    static int cueOf(int32_t hit) { return hit & ~kCueHit; }

    // Inside the plot's columns and below the ruler band.
    bool inPlot(QPoint at) const;
    int xOfTick(int32_t tick) const { return clock ? clock->xOfTick(tick) : axis.xOfTick(tick); }
    // The tick under x; in clock time with `snap` on ten columns' time.
    int32_t tickOfX(int x, bool snap = false) const;
    // Whether a track's item is one the mouse and the items layer handle.
    bool isItem(const CTrack& track, const CTrackItem& item) const;
    // The index of the first of a track's items that may reach x, found by
    // bisection: items start in order and a lane's items do not overlap.
    static size_t firstItemFrom(const CTrack& track, int32_t tick);
    // The lane block of a tick span on a row (1 pixel in at top and bottom),
    // at least 1 pixel wide.
    QRect TickRowToRect(int32_t fromTick, int32_t toTick, int row) const;
    // Tick (unsnapped, never below 0) and row under a point; row 0 above the
    // lanes.
    struct TickRow {
        int32_t tick = 0;
        int row = 0;
    };
    TickRow PointToTickRow(QPoint at) const;
    // Cue flags first in cue order, then the clip items of the visible lanes
    // from the last to the first.
    int32_t HitTest(const CSongDoc& song, QPoint at) const;
    // Rows with a lane on screen: first .. last, inclusive.
    int firstVisibleRow() const;
    int lastVisibleRow() const;
};

} // namespace rz
