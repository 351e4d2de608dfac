#pragma once

// What the event transforms share: their scope, their records and the
// clipping question. GUI thread.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/edit_dialogs.h"
#include "song/clipboard_edit.h"
#include "song/measure_map.h"
#include "song/undo_record.h"

namespace rz {

class CSongDoc;
struct QuantizeParams;

// Which events a transform walks, chosen by the selection: a time range
// ([from - shift, to - shift) of tracks 0 to n-2), the selected events, or
// the tracks of the track view (its current row in current-row mode, else
// its selected rows).
struct TransformScope {
    int32_t shift = 0;              // ticks the time-range window moves back
    bool selectedTracksOnly = false; // a time range skips unselected rows
};

// Calls `visit(track, index)` for each event of the scope, track by track,
// each track's events in order.
void forEachInScope(const CSongDoc& song, const TransformScope& scope,
                    const std::function<void(size_t, size_t)>& visit);

// The tracks of the track view that a transform without a selection works on.
std::vector<size_t> scopeTracks(const CSongDoc& song);

// An edit's events: each changed copy replaces its source event; the copy
// goes back into the same track (or another), placed by its tick.
class TransformRecord {
public:
    void replace(size_t track, size_t index, CMidiEvent copy) { replace(track, index, track, std::move(copy)); }
    void replace(size_t track, size_t index, size_t target, CMidiEvent copy);
    void remove(size_t track, size_t index);
    bool empty() const { return m_builder.empty(); }
    std::unique_ptr<CEventList> build() { return m_builder.build(); }

private:
    EventListBuilder m_builder;
};

// The copy differs from the event in something the song keeps.
bool eventChanged(const CMidiEvent& before, const CMidiEvent& after);

// The record of an event edit (flag kUndoEvents) under `label`; nothing when
// no event changed.
std::unique_ptr<CUndoRecord> eventRecord(std::string label, TransformRecord& events);

// Whether the list, applied to the song, leaves every event as it was: each
// copy goes back to its source's track and equals it, one for one.
bool leavesEventsAsTheyWere(const CSongDoc& song, const CEventList& list);

// The record of a transform's events under `label`; nothing when it would
// leave every event as it was, so an edit that changes nothing leaves no
// undo step and does not mark the song modified.
std::unique_ptr<CUndoRecord> transformRecord(const CSongDoc& song, std::string label,
                                             std::unique_ptr<CEventList> events);

// Asks "<what>  Proceed anyway?" when something was clipped; false when the
// user cancels.
bool proceedDespiteClipping(const CSongDoc& song, bool clipped, std::string_view what);

// Ticks of a note value in the duration table (0 Ticks, 1 Thirty-second
// triplet .. 11 Whole note) at the song's time base; at least 1.
int64_t durationUnitTicks(int units, int timeBase);

// The grid a quantize snaps to.
struct QuantizeGrid {
    int64_t grid = 1;       // ticks between lines, at least 1
    int64_t gridOffset = 0; // ticks
    bool startTimes = true;
    bool endTimes = true;
    bool controllers = false;
    int strength = 100;     // percent of the way to the line
    int swing = 0;          // -50..50: percent of a grid step odd lines move
    int window = 100;       // percent of half a step an event may be from its line
};

// The grid of the dialog's values, each brought into its range.
QuantizeGrid quantizeGrid(const QuantizeParams& params, int timeBase);

// Quantizes a copy of an event: `measureStart` is the start of the measure
// that held it. True when the event counts as changed.
bool QuantizeEvent(const QuantizeGrid& grid, int64_t measureStart, CMidiEvent& event);

// The ticks `count` whole measures span from the measure holding `from`:
// forward the last measure repeats past the map's end, backward measure 0
// repeats before the start.
int64_t measuresSpan(const MeasureMap& map, int32_t from, int64_t count);

inline constexpr char kNothingToMove[] = "Nothing has been selected to move.";
inline constexpr char kMoveClipped[] =
    "Note: one or more events will be clipped up against the beginning of the song.";

// Where each moved item's tick goes.
class MovePlan {
public:
    MovePlan(const CSongDoc& song, const MoveParams& p, int64_t first);

    int32_t moved(int64_t tick)
    {
        int64_t t = tick;
        switch (m_p.method) {
        case MoveMethod::Offset:
        case MoveMethod::AbsoluteTime: t = tick + m_offset; break;
        case MoveMethod::Percentage: t = m_first + (tick - m_first) * m_percent / 100; break;
        case MoveMethod::ChangeTracks: break;
        }
        if (t < 0)
            m_clipped = true;
        return int32_t(std::clamp<int64_t>(t, 0, kLastEditTick));
    }

    void moveEvent(CMidiEvent& event)
    {
        event.tick = moved(event.tick);
        if (m_p.method == MoveMethod::Percentage && m_p.durations && event.isNote())
            event.value2 = int32_t(std::clamp<int64_t>(int64_t(event.value2) * m_percent / 100, 1, INT32_MAX));
    }

    bool clipped() const { return m_clipped; }

private:
    const MoveParams& m_p;
    int64_t m_first;
    int64_t m_offset = 0;
    int64_t m_percent = 100;
    bool m_clipped = false;
};

} // namespace rz
