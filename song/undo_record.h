#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "core/smpte_time.h"
#include "song/cue.h"
#include "song/event_list.h"
#include "song/measure_map.h"
#include "song/tempo_map.h"
#include "song/track_list.h"
#include "song/track_props.h"

namespace rz {

// What an undo record carries; the same bits are the update hint every view
// receives after undo and redo.
inline constexpr uint32_t kUndoCues = 0x1;
inline constexpr uint32_t kUndoTempo = 0x2;
inline constexpr uint32_t kUndoEvents = 0x4;
inline constexpr uint32_t kUndoMeasures = 0x8;
inline constexpr uint32_t kUndoInsertTime = 0x10;
inline constexpr uint32_t kUndoDeleteTime = 0x20;
inline constexpr uint32_t kUndoControllerEdit = 0x40;
// Set by some views along with other bits; applying, undo and redo ignore it.
inline constexpr uint32_t kUndoViewMark = 0x80;
inline constexpr uint32_t kUndoCoalesce = 0x100;
inline constexpr uint32_t kUndoTrackList = 0x1000;
inline constexpr uint32_t kUndoTrackProps = 0x2000;
inline constexpr uint32_t kUndoSelectTracks = 0x4000;
inline constexpr uint32_t kUndoSongString1 = 0x100000;
inline constexpr uint32_t kUndoSongString2 = 0x200000;
inline constexpr uint32_t kUndoSongProps = 0x400000;

// An insert key's position part that asks for the position to be found from
// the event's tick.
inline constexpr uint32_t kComputedPosition = 0xFFFFFF;

// The insert key of an event added to `track`, its position found when the
// record is applied.
inline uint32_t placedOn(size_t track) { return uint32_t(track << 24) | kComputedPosition; }

// The measure map in run-length form: one entry wherever a measure differs
// from what the one before it implies, its start the measure's tick.
struct CMeasureMapSnapshot {
    int32_t measureCount = 0;
    std::vector<MeasureRec> entries;
};

// A map's snapshot, every measure laid out from its meter. Edits build the
// map they want on a copy and carry this in their record.
std::unique_ptr<CMeasureMapSnapshot> SnapshotMeasureMap(const MeasureMap& map, int timeBase);

// The song-level properties an edit of them exchanges.
struct CSongPropsSnapshot {
    uint16_t format = 1;
    std::filesystem::path pathName;
    std::string title, subtitle, author, copyright, memo; // bytes as stored
    CSmpteTime smpteOffset;
    double relativeVolume = 1.0;
    uint32_t performanceTempo = 0; // µs per quarter; 0 none
};

// Spellings and notation attributes of one track's events, kept by a track
// properties edit whose key or notation change resets them, so that undo can
// put them back.
struct TrackEventMarks {
    int32_t trackIndex = 0;
    std::vector<int8_t> spellings;
    std::vector<uint8_t> notations;
};

// The time length (flags 0x10, 0x20), the track property changes (0x2000),
// a song string (0x100000, 0x200000: held only) or the song properties (0x400000).
using UndoPayload =
    std::variant<std::monostate, int32_t, std::vector<CTrackProps>, std::string, CSongPropsSnapshot>;

// Why ApplyEdit did not apply a record. Every refused record is destroyed.
enum class ApplyResult {
    Applied,
    TransportRunning,   // released silently
    TooManyTracks,      // "Sorry, you have reached the maximum of 250 tracks."
    SecondMetaTrack,    // "Only 1 meta track is permitted ..."
    MissingTargetTrack, // "Sorry, target track(s) do not exist."
    AudioMidiMismatch,  // "Please paste audio clips to audio tracks, ..."
    Malformed,          // keys out of range or out of order; asserts in debug builds
    LockTimeout,        // the SongMutex could not be had
};

// The song's selection as an edit found it: kind (kSelect* bits) and ticks.
struct SelectionMark {
    uint32_t kind = 0;
    int32_t from = -1;
    int32_t to = -1;
};

// One edit as data. Applying it exchanges each part with the song, so that
// afterwards the record holds what it takes to go back, and after undo what
// it takes to go forward again. Built on the heap and handed to
// CSongDoc::ApplyEdit, which owns it from then on.
struct CUndoRecord {
    uint32_t flags = 0;
    std::string label;      // shown after "&Undo " and "&Redo "
    int32_t start = 0;      // tick where time is inserted or deleted
    UndoPayload payload;
    std::unique_ptr<CCueSet> cues;
    std::unique_ptr<CTrackList> tracks;
    std::unique_ptr<CEventList> events;
    std::unique_ptr<CMeasureMapSnapshot> measures;
    std::unique_ptr<CTempoSet> tempo;

    // Filled by the exchanges, not by builders.
    // Whether inserted tracks get their ports looked up: the track list owns
    // its tracks (a drag's list borrows the song's).
    bool lookUpTrackPorts = true;
    // Measures in the map before the record was applied forward; undo cuts the
    // copies that applying appended to reach the song's end.
    int32_t measuresBefore = -1;
    std::vector<TrackEventMarks> eventMarks;
    // The cue set's insert keys are the places an earlier exchange took its
    // cues from (set once the record has been applied).
    bool cuePlacesKnown = false;
    // The selection when the record was applied: a time range in it is
    // selected again after the record runs either way.
    SelectionMark selectionBefore;
    // Changes made as part of this step after it was applied (what a save
    // changed): run after it forward and before it back.
    std::unique_ptr<CUndoRecord> follower;

    // The length of inserted or deleted time; 0 when the payload is none.
    int32_t timeLength() const;
    std::vector<CTrackProps>* trackProps() { return std::get_if<std::vector<CTrackProps>>(&payload); }
    CSongPropsSnapshot* songProps() { return std::get_if<CSongPropsSnapshot>(&payload); }
    // True for the records that only hold a song string.
    bool isSongString() const { return flags == kUndoSongString1 || flags == kUndoSongString2; }
};

// The saved mark of a song whose saved state no record on its list reaches
// any more: no record's address equals it.
const CUndoRecord* unreachableSavedRecord();

} // namespace rz
