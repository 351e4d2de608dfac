#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "song/measure_map.h"
#include "staff/model/staff_model.h"

namespace rz {

// Staff sizes S in pixels, indexed by the view's "ZoomY".
inline constexpr int kStaffSizes[10] = {20, 24, 28, 32, 36, 40, 44, 48, 52, 56};
inline constexpr int kMaxZoomY = 9;
// Scroll bars are this thick along the right and bottom edges.
inline constexpr int kStaffBar = 17;
// The lead sheet's page leaves this much on either side.
inline constexpr int kLeadMargin = 10;

int clampZoomY(int zoomY);
int staffSizeOfZoom(int zoomY);

// The sizes every rebuild derives from the staff size S.
struct StaffMetrics {
    int staffSize = 20;  // S
    int glyph = 19;      // G = S - 1, also the music font's pixel size (the staff's height)
    int halfGlyph = 9;
    int lineSpace = 5;   // S / 4
    int headerWidth = 0; // the header column; 0 on a lead sheet
    int leadIn = 14;     // the least space before a measure's first element

    static StaffMetrics of(int staffSize, bool leadSheet);
    // One staff step (half a line space) at the music font's size.
    double step() const { return glyph / 8.0; }
};

// What the line layout reads besides the model.
struct LineLayoutInput {
    bool leadSheet = false;
    int clientWidth = 0;
    int clientHeight = 0;
    int headerWidth = 0; // the score's header column
    int rulerHeight = 0; // the score's ruler band
    int staffSize = 20;
    // The key a staff shows in a measure (after its track's transposition).
    std::function<int(const CStaffTrack& staff, int measure)> shownKey;
};

// The view's lines and scroll limits. In the score there is one line.
struct StaffLines {
    std::vector<int> lineStarts;           // first measure of each line
    std::vector<uint32_t> headerFlags;     // lead sheet: the staff-header flags per measure
    int totalWidth = 0;                    // score: the strip's width
    int totalHeight = 0;                   // score: the staves; lead sheet: all lines
    int lineHeight = 0;                    // lead sheet
    int visibleWidth = 0;                  // the notation area
    int visibleHeight = 0;
    int maxOriginX = 0;
    int maxOriginY = 0;

    int lineCount() const { return int(lineStarts.size()); }
    // The line holding a measure; 0 without lines.
    int lineOf(int measure) const;
    // The first measure after a line (the song's measure count for the last).
    int lineEnd(int line, int measureCount) const;
};

// Lays the model out for a client size: the lead sheet breaks the measures
// into justified lines and places every element and lyric on them; both
// forms get their scroll limits. Deterministic: a function of its inputs.
// Every laid-out width stays at least 1 pixel, whatever the window's width.
StaffLines LayoutLines(StaffModel& model, const LineLayoutInput& in, const NotationMetrics& metrics);

// Grows the model to cover `songMeasures` (the song grew while recording):
// each new record a copy of the last with its header flags cleared and
// default widths, each staff's per-measure arrays padded. Returns true when
// anything was added. Never shrinks, never frees what painting reads.
bool ensureMeasures(StaffModel& model, const MeasureMap& songMeasures, const StaffMetrics& metrics);

// The measure whose layout x is the last at or before x; `cache` is the
// view's own starting guess, kept within the measures. -1 without measures.
int MeasureAtX(const StaffModel& model, int x, int& cache);

// The x of a tick in a measure (the lead-in counted unless at its start).
int xOfTick(const CStaffMeasure& measure, int64_t tick);
// The measure holding a tick, clamped into the model's measures.
int measureOfTick(const StaffModel& model, int64_t tick);

// A document point's time, staff and pitch.
struct StaffPoint {
    int32_t tick = 0;
    int staff = -1;    // index into the model's staves; -1 none
    int position = 0;  // staff steps from the middle line, up positive
    int pitch = -1;    // -1 on a percussion staff
};

// The staff and pitch under a document y (score) and the tick under a
// document x; the tick snaps to `snapTicks` when it is positive.
StaffPoint PointToTime(const StaffModel& model, const StaffMetrics& metrics, int x, int y,
                       int snapTicks, int& cache);
// The document x of a tick and the y of a position on a staff.
int TimeToPointX(const StaffModel& model, int64_t tick);
int TimeToPointY(const StaffModel& model, const StaffMetrics& metrics, int staff, int position);
// A staff position from a pitch through the staff's clef, and back.
int positionOfPitch(const CStaffTrack& staff, int pitch);
int pitchOfPosition(const CStaffTrack& staff, int position);

// The lead sheet's vertical follow: the line holding the position, and the
// target y gliding into the next line over the last quarter before it.
struct LeadFollow {
    int line = 0;
    int targetY = 0;
    int originY = 0;
};
LeadFollow leadSheetFollow(const StaffModel& model, const StaffLines& lines, int64_t position,
                           int timeBase, int glyph, int lineCache);

} // namespace rz
