#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/leading_number.h"
#include "core/smpte_time.h"
#include "song/measure_map.h"
#include "song/midi_event.h"
#include "song/tempo_map.h"

namespace rz {

class CSongDoc;
struct CUndoRecord;

// The event list's columns, left to right.
namespace event_column {
inline constexpr int kSwatch = 0;
inline constexpr int kTrack = 1;
inline constexpr int kTick = 2;
inline constexpr int kSmpte = 3;
inline constexpr int kDuration = 4;
inline constexpr int kType = 5;
inline constexpr int kNumber = 6;
inline constexpr int kValue = 7;
inline constexpr int kCount = 8;
} // namespace event_column

// The longest text a cell takes.
inline constexpr size_t kMaxEventCellText = 99;

// What the cell parsers read of the song. The maps are borrowed.
struct EventCellSong {
    int trackCount = 0; // with the conductor and the empty last track
    int timeBase = 120;
    const MeasureMap* measures = nullptr;
    const TempoMap* tempos = nullptr;
    CSmpteTime smpteOffset;
    int technology = 8; // the event's track's synthesizer "Technology" bits
};

// The song's part for an event of track `track`.
EventCellSong eventCellSong(const CSongDoc& song, int track);

// An edited event and the track it now belongs to.
struct EventCellEdit {
    int track = 0;
    CMidiEvent event;
};

// Whether a cell of an event of `kind` may be edited: never while the
// transport runs or in performance mode. Pure.
// Meta events count by kind alone here: only their texts (types below 7)
// take a value, which the event's own overload checks.
bool eventCellEditable(uint8_t kind, int column, bool stopped, bool performing);
bool eventCellEditable(const CMidiEvent& event, int column, bool stopped, bool performing);

// Reads `text` (bytes as typed, at most kMaxEventCellText used) into a copy
// of `event` of track `track` by the column's rule. Nothing when the text
// does not parse, the cell cannot be edited or nothing would change; every
// field of an answer is in its range.
std::optional<EventCellEdit> parseEventCell(const EventCellSong& song, int track,
                                            const CMidiEvent& event, int column,
                                            std::string_view text);

// The same, telling text the cell cannot read (a note name typed where a
// number belongs, a measure the song does not have) from text that changes
// nothing: the first leaves the value as it was and is worth a word.
struct EventCellReading {
    std::optional<EventCellEdit> edit;
    bool unreadable = false;
};
EventCellReading readEventCell(const EventCellSong& song, int track, const CMidiEvent& event, int column,
                               std::string_view text);

// The "Event Properties" record moving event `index` of `track` to the edit;
// a change of tick or track re-inserts it in time order.
std::unique_ptr<CUndoRecord> eventCellRecord(int track, int index, int32_t oldTick,
                                             EventCellEdit edit);

} // namespace rz
