#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rz {

class CSongDoc;
struct CUndoRecord;

// A song never has more measures than this: event addresses and views count
// measures in 16 bits, and a far-away event must not grow the map unbounded.
inline constexpr size_t kMaxSongMeasures = 65535;

struct BuildMapsOptions {
    // ".rss" songs: texts at tick 0 are markers like texts anywhere else.
    bool rss = false;
    // Time-code songs run at one fixed tempo (µs per quarter); the file's
    // tempo events are then ignored.
    std::optional<uint32_t> fixedTempo;
};

// Reads the conductor track's play image into the tempo map, the measure map,
// the song's texts, cues and settings records, and the conductor's events.
// False, with a reason, when the song would need more than kMaxSongMeasures
// measures. GUI thread.
bool BuildMaps(CSongDoc& song, const BuildMapsOptions& options, std::string& reason);

// Changes the song's time base, scaling every tick, duration, cue and tempo
// entry (rounded) and laying the measures out again. The undo list is
// emptied (its records hold ticks of the old time base) and the saved mark
// set to a record no list holds, so the song stays modified until it is saved.
// GUI thread, transport stopped.
void RescalePpq(CSongDoc& song, uint16_t newTimeBase);

// Appends copies of the last measure (numbered on, no letter) until the map
// reaches past `tick`. False, with nothing appended, when that takes more
// than kMaxSongMeasures measures.
bool extendMeasuresPast(CSongDoc& song, int32_t tick);

// Whether extending the map to cover `until` (as CSongDoc::ExtendMeasureMap
// does) stays within kMaxSongMeasures.
bool measureMapCanReach(const CSongDoc& song, int32_t until);

} // namespace rz
