#pragma once

// The two tempo inserts of the Insert menu, built as undo records. GUI
// thread; the caller hands the record to CSongDoc::ApplyEdit.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "song/tempo_map.h"

namespace rz {

class CSongDoc;
struct CUndoRecord;

// What the tempo insert dialog gives. Tempos in µs per quarter note.
struct TempoInsert {
    int32_t startTick = 0;
    int32_t endTick = 0;
    uint32_t startTempo = 0;
    uint32_t endTempo = 0;
    int curve = 0;        // 0 linear in beats per minute, 1 linear in µs
    bool restore = false; // the tempo in force at the end returns there
    int32_t stepTicks = 0; // the ramp's step; 0 or less: the song's grid
};

// "Insert Tempo": the entries from start to end (both included) make way
// for the new ones: one at the start when the tempos are equal or the end
// is not after the start, else a ramp in grid steps with an entry wherever
// the tempo changes. Null, changing nothing, for a negative start or a
// tempo outside 1..16777215.
std::unique_ptr<CUndoRecord> BuildTempoInsert(const CSongDoc& song, const TempoInsert& insert);

// One point of a tempo series.
struct TempoPoint {
    int32_t tick = 0;
    uint32_t tempo = 0; // µs per quarter note
};

// Tempos faster than about 350 beats per minute are stored as this.
inline constexpr uint32_t kFastestSeriesTempo = 171428;

// "Insert Series of Tempos": each point an entry at its tick, replacing the
// entries from the first point to the beat after the last; a tempo below
// 171429 µs is stored as 171428 and a point repeating the tempo before it
// adds nothing. With `alignAudio` the song's audio clips move with it to the
// ticks that keep their clock times under the new tempos. Null, changing
// nothing, with fewer than two points, points out of tick order, a negative
// tick or a tempo above 16777215.
std::unique_ptr<CUndoRecord> BuildTempoSeries(const CSongDoc& song,
                                              std::span<const TempoPoint> points,
                                              bool alignAudio = false);

// The fastest tempo a ratio may write: 360 beats per minute.
inline constexpr uint32_t kFastestRatioTempo = 166'666;

// Where a tempo ratio applies: the whole map, or ticks from..to in either order.
struct TempoRatioRange {
    bool wholeSong = true;
    int32_t from = 0;
    int32_t to = 0;
};

// The tempo changes that write the engine's multiplier (100000 = 100 %) into
// the map: each affected entry scaled to trunc(µs x 100000 / multiplier); a
// range gets a scaled entry at its start and, unless it ends at or past
// `mapEnd` or covers one tick, the unscaled tempo back at its end. None
// when the multiplier is not positive or any written tempo would lie outside
// kFastestRatioTempo..kMaxTempo.
std::optional<CTempoSet> BuildTempoRatioSet(const TempoMap& map, int32_t multiplier,
                                            const TempoRatioRange& range, int32_t mapEnd);

} // namespace rz
