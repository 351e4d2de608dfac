#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/color.h"
#include "core/midi_bytes.h"
#include "core/smpte_time.h"

namespace rz {

class CSongDoc;
struct CUndoRecord;
struct FindCriteria;

// The edit dialogs song commands open. A program without one of them greys
// the commands that need it.
enum class EditDialog {
    CopyTime,    // "Copy Time..."
    DeleteTime,  // "Delete Time..."
    PasteTime,   // "Paste Time..."
    PasteEvents, // "Paste Events..."
    SelectTime,  // "Select Time..."
    KeySignature,    // "Insert Key Signature..."
    MeasureNumbers,  // "Insert Measure Numbers..."
    Meter,           // "Insert Meter..."
    TrackProperties, // "Track properties..."
    EventProperties, // "Event Properties..."
    InsertTime,      // "Insert Time..."
    ControllerSeries, // "Insert a series of controller values..."
    Chord,           // "Chord properties"
    CueProperties,
    WaveProperties,  // "Waveform Properties"
    EditLyrics,      // "Edit Lyrics"
    ExpressionText,  // "Expression text"
    Wedge,           // "Wedge properties"
    SongProperties,  // "Song properties..."
    Transpose,   // "Transpose..."
    Quantize,    // "Quantize..."
    Velocities,  // "Velocities..."
    Duration,    // "Duration..."
    Move,        // "Move..."
    Thin,        // "Thin controller data..."
    Randomize,   // "Randomize..."
    Find,        // "Find"
    SelectController, // "Select Controller"
    FilterEvents, // "Filter events..."
};

// What to copy of a selected time range.
enum class CopyTimeMode : int32_t {
    All = 0,          // "All within time range"
    Tempos = 1,       // "Just tempos changes"
    TrackEvents = 2,  // "Just events on selected tracks"
    Controllers = 3,  // "Just controller changes shown in the controller view"
};

struct CopyTimeParams {
    CopyTimeMode mode = CopyTimeMode::All;
    int32_t offset = 0; // ticks the event window moves back ("Offset event selection by")
};

struct DeleteTimeParams {
    int32_t offset = 0;          // ticks, used at most the range's start
    int32_t shortenThreshold = 0; // ticks
    bool measures = false;        // "Beat and measure boundaries"
    bool preserveNumbers = false; // "Preserve measure numbers"
    bool shorten = false;         // "Shorten events which encroach by more than"
    bool shiftAll = false;        // "All within time range, then shift other events to fill hole"
    bool cues = false;
    bool events = false;          // "Events in tracks"
    bool selectedTracksOnly = false;
    bool tempos = false;          // "Tempo changes"
};

enum class PasteMethod : int32_t {
    Insert = 0,  // "Insert to make room"
    Blend = 1,
    Replace = 2,
};

struct PasteTimeParams {
    int32_t firstCopy = 0;   // tick; offered as the song position
    int32_t copies = 1;
    PasteMethod method = PasteMethod::Insert;
    int32_t offset = 0;      // ticks, used at most firstCopy
    bool stretch = false;    // "Stretch events which overlap by more than"
    int32_t stretchThreshold = 0; // ticks
    bool cues = true;
    bool tempos = true;
    bool events = true;      // "Events in tracks"
    bool selectedTracksOnly = false;
    bool measures = true;    // "Beat(s) and/or Measure(s)"
    bool preserveNumbers = false;
};

enum class PasteTarget : int32_t {
    SourceTracks = 0,   // "&Source track(s)"
    SelectedTracks = 1, // "Selected &track(s)"
    Mixdown = 2,        // "Selected track(s), ALL events to EACH (&mixdown)"
};

struct PasteEventsParams {
    int32_t firstCopy = 0;  // tick
    int32_t secondCopy = 0; // tick of the second copy
    int32_t copies = 1;
    PasteTarget target = PasteTarget::SourceTracks;
    bool onlyNotes = false;
};

struct SelectTimeParams {
    int32_t from = 0;
    int32_t to = 0;
};

// Positions are ticks of the song the dialog was opened on.
struct KeySignatureParams {
    int32_t key = 0; // -7 (seven flats) .. 7 (seven sharps)
    int32_t from = 0;
    int32_t through = 0;
};

enum class MeasureNumberMethod : int32_t {
    Slide = 0,     // "Slide existing numbers down"
    Overwrite = 1, // "Overwrite existing numbers"
};

struct MeasureNumbersParams {
    int32_t number = 1;
    char letter = 0;     // 'A'..'Z', 0 none
    int32_t count = 999; // measures to label
    MeasureNumberMethod method = MeasureNumberMethod::Slide;
};

enum class MeterMethod : int32_t {
    Resize = 0,        // "Lengthen or shorten specified measures only ..."
    KeepMeter = 1,     // "Add or remove measure boundaries to preserve the meter and key ..."
    KeepNumbers = 2,   // "ALSO add or remove measure numbers to preserve those ..."
};

struct MeterParams {
    int32_t numerator = 4;   // 1..32
    int32_t denominator = 4; // the beat's note value: 1, 2, 4 .. 64
    int32_t clicks = 24;     // MIDI clocks per metronome click
    int32_t from = 0;
    int32_t through = 0;
    MeterMethod method = MeterMethod::Resize;
};

// A track's time offset, ms either way.
inline constexpr int32_t kMaxTrackTimeOffset = 4096;

// The track properties dialog's fields. Insert Track opens it on a preset;
// a numeric field below its range is unset.
struct TrackPropsParams {
    std::string name;
    std::string keyText;      // transposition, -127..127
    std::string timeText;     // time offset, ms
    std::string velocityText; // velocity offset, -127..127
    int32_t kind = -1;        // 0 MIDI, 1 waveform audio, 2 meta
    int32_t clef = -1;        // notation setting
    int32_t splitNote = -1;   // 0..127, shown as a note
    int32_t inputChannel = -1; // 0 all channels, 1..16
    int32_t bank = -2;         // 0..16383, -1 none
    int32_t port = -1;         // 0..15
    int32_t inputPort = -1;    // 0..15
    int32_t patch = -2;        // 0..127, -1 none
    int32_t channel = -1;      // 0..15
    std::array<int32_t, 4> rpnValues{-2, -2, -2, -2};
    // Pan, volume, then the twelve further controllers of the track's slots.
    std::array<int32_t, 14> initialControllers{-2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2};
    std::array<int32_t, 6> channelPressureDest{-2, -2, -2, -2, -2, -2};
    std::array<int32_t, 6> keyPressureDest{-2, -2, -2, -2, -2, -2};
    std::array<int32_t, 6> controllerDest{-2, -2, -2, -2, -2, -2};
    int32_t destController = -2;
    Color color = 0x0EF0FF;
    int32_t playEnabled = 2; // "In": 0, 1, or 2 when not set or mixed
};

// The kinds the event properties dialog offers, by their list index.
enum class EventKindIndex : int32_t {
    None = -1, // mixed kinds, or nothing chosen
    Note = 0,
    Aftertouch = 1,
    Controller = 2,
    PatchChange = 3,
    ChannelPressure = 4,
    PitchWheel = 5,
    SystemExclusive = 6,
    Meta = 7,
    Rpn = 8,
    Nrpn = 9,
};

// The event the dialog opens on: message 0 a new event, 0xFFFFFFFF several
// events of different kinds; a merged field that differs is -1 (track,
// tick, second value) or a data byte of 0xFF.
struct EventPropsRequest {
    uint32_t message = 0;
    int32_t tick = 0;
    int32_t value2 = 0;
    int8_t spelling = -1; // a note's accidental, 0..4; -1 the key's own
    std::vector<uint8_t> data;
    int32_t track = 1;
    bool multiple = false;
};

// What the dialog answers; -1 is an unset field. The built event is left
// at message 0 when the fields do not make one.
struct EventPropsResult {
    EventKindIndex kind = EventKindIndex::None;
    int32_t track = -1;
    int32_t number = -1;   // patch change: program + 128 x bank
    int32_t value = -1;
    int32_t duration = -1;
    int32_t accidental = -1; // a note's: 0 double flat .. 4 double sharp
    int32_t tick = -1;
    uint32_t message = 0;  // the built event
    int32_t value2 = 0;
    std::vector<uint8_t> data;
};

enum class InsertTimeMethod : int32_t {
    Measures = 0,     // "Whole measure(s)"
    Beats = 1,        // "Beat(s) to current measure"
    Ticks = 2,        // "Ticks at current time"
    Milliseconds = 3, // "Miliseconds to align SMPTE timecode to"
};

struct InsertTimeParams {
    int32_t count = 1; // "How many"
    InsertTimeMethod method = InsertTimeMethod::Measures;
    int32_t numerator = 4;  // beats of a new measure
    int32_t beatValue = 2;  // denominator 2^beatValue
    int32_t key = 0;        // key of the new measures
    bool preserveNumbers = true; // "Preserve measure numbers"
    int32_t shift = 0;           // ticks the insertion point moves back
    bool stretch = true;         // "Stretch events which overlap by more than"
    int32_t stretchThreshold = 10; // ticks
};

// A controller number 0..127, or a kind byte with its first data byte
// above it: key pressure (key x 256 + its kind), channel pressure, pitch
// bend.
inline constexpr int32_t kSeriesKeyPressure = midi::kPolyPressure;
inline constexpr int32_t kSeriesChannelPressure = midi::kChannelPressure;
inline constexpr int32_t kSeriesPitchBend = midi::kPitchBend;

struct ControllerSeriesParams {
    int32_t controller = cc::kExpression;
    int32_t from = 0;
    int32_t through = 0;
    int32_t value1 = 0; // pitch bend: signed, -8192..8191
    int32_t value2 = 0;
    bool returnToOriginal = false; // "Return to original value"
};

// A chord symbol: the six bytes of its diagram and its two texts (the
// first text, then the chord's name). The dialog answers the notes to
// insert as messages.
struct ChordParams {
    int32_t tick = 0;
    int32_t track = 1;
    int32_t insertMode = 0; // bit 0 set: no chord marker; 1 or more: the notes too
    std::array<int32_t, 6> chord{};
    std::string text;
    std::string name;
    std::vector<uint32_t> notes;
};

struct ExpressionTextParams {
    std::string text;
    int32_t tick = 0;
    int32_t track = 1;
};

struct WedgeParams {
    int32_t begin = 0;
    int32_t end = 0;
    int32_t direction = 0; // 0 crescendo, 1 decrescendo
    int32_t track = 1;
};

struct CuePropsParams {
    int32_t kind = 0;
    int32_t repeatCount = 0;
    int32_t secondCount = 0;
    int32_t time = 0;
    int32_t secondTime = 0;
    std::string name;
    // A new cue: the dialog opens on a Marker at the song's time selection,
    // or at its position, and ignores the fields above.
    bool inserting = false;
};

struct WavePropsParams {
    std::string fileName; // shown only
    int32_t repeatCount = 1; // 1..99
    int32_t tick = 0;
    int32_t track = 1;
    int64_t clipLength = 0; // one pass, 100-ns units; shown only
};

struct SongPropsParams {
    int32_t format = 1;
    std::filesystem::path pathName;
    std::string title, subtitle, author, copyright, memo;
    CSmpteTime smpteOffset;
    int32_t volumeStep = 0;  // relative volume 2^(step / 16)
    bool specifyTempo = false;
    uint32_t tempo = 0;      // µs per quarter
    uint16_t timeBase = 120; // the chosen one
};

// Values below are as the dialogs return them; song code range-checks each
// where it reads it. "offset" is always the "Offset event selection by"
// shift in ticks (0 when its box is off).

struct TransposeParams {
    int32_t halfSteps = 0;   // -60..60; 0 changes nothing
    int32_t offset = 0;
    bool changeKeys = true;  // "Change key signatures of whole measures"
    bool skipDrums = true;   // "Skip drum tracks"
};

struct QuantizeParams {
    int32_t resolution = 8;  // row 0..14 of the grid table ("Whole" .. "Thirty-second triplet")
    int32_t gridOffset = 0;  // ticks
    bool startTimes = true;  // "Note start times"
    bool endTimes = true;    // "Note end times"
    bool controllers = false; // "Controller times"
    int32_t strength = 100;  // 0..100
    int32_t swing = 50;      // 0..100, 50 none
    int32_t window = 100;    // 0..100
    int32_t offset = 0;
    bool selectedTracksOnly = true;
};

enum class VelocityMethod : int32_t {
    Offsets = 0,     // "Offsets (+ or -)", -127..127
    Percentages = 1, // "Percentages (100 = no change)", 1..1000
    Absolute = 2,    // "Absolute values", 1..127
};

struct VelocityParams {
    VelocityMethod method = VelocityMethod::Offsets;
    int32_t value = 0;
    bool through = false;    // ramp from value to value2 over the scope
    int32_t value2 = 0;
    int32_t strength = 100;  // 0..100, absolute values only
    int32_t offset = 0;
    bool selectedTracksOnly = false;
};

enum class DurationMethod : int32_t {
    Offset = 0,      // "An offset (+/- ticks)"
    Percentage = 1,  // "A percentage (100 = no change)"
    Legato = 2,      // "An auto-legato break time (ticks)"
    Absolute = 3,    // "An absolute value with units:"
};

struct DurationParams {
    DurationMethod method = DurationMethod::Offset;
    std::string value = "1"; // as typed: "240", "1.5", "1:240"
    int32_t units = 0;       // 0 Ticks, then Thirty-second triplet .. Whole note (11)
    int32_t offset = 0;
    bool selectedTracksOnly = false;
};

enum class MoveMethod : int32_t {
    Offset = 0,       // by an offset with units
    AbsoluteTime = 1, // the first item to a time
    Percentage = 2,   // distances from the first item scaled
    ChangeTracks = 3,
};

struct MoveParams {
    MoveMethod method = MoveMethod::Offset;
    int32_t offsetValue = 0;
    int32_t units = 0;       // 0 Ticks, 1 Measures, 2..12 Thirty-second triplet .. Whole note
    int32_t targetTime = 0;  // tick for the first item (absolute time)
    int32_t percent = 100;   // 1..1000
    bool durations = true;   // "Change note durations by same percentage"
    bool cues = false;
    bool tempos = false;     // "Tempo changes"
    bool events = true;      // "Events in tracks"
    int32_t targetTrack = 1; // first target track, 1 or more
    bool mixdown = false;    // "Mix-down events to this single track"
    int32_t offset = 0;
    bool selectedTracksOnly = false;
};

// Thin's selectors besides a controller number 0..127.
inline constexpr int32_t kThinAllControllers = 176;
inline constexpr int32_t kThinAftertouch = 160;
inline constexpr int32_t kThinPitch = 224;
inline constexpr int32_t kThinPressure = 208;

struct ThinParams {
    int32_t controller = cc::kExpression; // a controller number or one of the selectors above
    bool byTime = false;     // "Its time changes by"
    int32_t gap = 0;         // ticks
    bool byValue = false;    // "Its value changes by"
    int32_t minimumChange = 0;
};

struct RandomizeParams {
    bool allEvents = false;  // "All events"; otherwise "Notes only"
    bool byTime = false;     // "Begin times by up to"
    int32_t timeAmount = 0;  // ticks
    bool byValue = false;    // "Note velocities by to up"
    int32_t velocityAmount = 0;
    bool preserveOrder = false; // "Preserve original event order"
};

// The edit dialogs as song code sees them: each runs modally on the GUI
// thread and answers its parameters, or nothing when the user cancels.
class IEditDialogs {
public:
    virtual ~IEditDialogs() = default;

    virtual bool has(EditDialog dialog) const = 0;
    virtual std::optional<CopyTimeParams> copyTime(CSongDoc& song) = 0;
    virtual std::optional<DeleteTimeParams> deleteTime(CSongDoc& song) = 0;
    // position: the song position, offered as the first copy's tick.
    virtual std::optional<PasteTimeParams> pasteTime(CSongDoc& song, int32_t position) = 0;
    virtual std::optional<PasteEventsParams> pasteEvents(CSongDoc& song, int32_t position) = 0;
    virtual std::optional<SelectTimeParams> selectTime(CSongDoc& song) = 0;
    virtual std::optional<KeySignatureParams> keySignature(CSongDoc& song) = 0;
    virtual std::optional<MeasureNumbersParams> measureNumbers(CSongDoc& song) = 0;
    virtual std::optional<MeterParams> meter(CSongDoc& song) = 0;
    // Opens on `preset`; answers the fields as the user left them.
    virtual std::optional<TrackPropsParams> trackProperties(CSongDoc& song,
                                                            const TrackPropsParams& preset) = 0;
    virtual std::optional<EventPropsResult> eventProperties(CSongDoc& song,
                                                            const EventPropsRequest& request) = 0;
    virtual std::optional<InsertTimeParams> insertTime(CSongDoc& song) = 0;
    virtual std::optional<ControllerSeriesParams> controllerSeries(CSongDoc& song) = 0;
    virtual std::optional<ChordParams> chord(CSongDoc& song, const ChordParams& start) = 0;
    virtual std::optional<ExpressionTextParams> expressionText(CSongDoc& song,
                                                               const ExpressionTextParams& start) = 0;
    virtual std::optional<WedgeParams> wedge(CSongDoc& song, const WedgeParams& start) = 0;
    virtual std::optional<CuePropsParams> cueProperties(CSongDoc& song, const CuePropsParams& cue) = 0;
    virtual std::optional<WavePropsParams> waveProperties(CSongDoc& song, const WavePropsParams& clip) = 0;
    // The lyric editor on one track from one event; on OK the record it
    // prepared, for the caller to apply. Null when cancelled.
    virtual std::unique_ptr<CUndoRecord> editLyrics(CSongDoc& song, int32_t track, int32_t event) = 0;
    virtual std::optional<SongPropsParams> songProperties(CSongDoc& song) = 0;
    virtual std::optional<TransposeParams> transpose(CSongDoc& song) = 0;
    virtual std::optional<QuantizeParams> quantize(CSongDoc& song) = 0;
    // extent: ticks from the first to the last event of the scope; 0 disables "through".
    virtual std::optional<VelocityParams> velocities(CSongDoc& song, int64_t extent) = 0;
    virtual std::optional<DurationParams> duration(CSongDoc& song) = 0;
    // firstTick: the first tick of what moves.
    virtual std::optional<MoveParams> move(CSongDoc& song, int32_t firstTick) = 0;
    virtual std::optional<ThinParams> thin(CSongDoc& song) = 0;
    virtual std::optional<RandomizeParams> randomize(CSongDoc& song) = 0;
    // Shows and edits the criteria; false, with them unchanged, on Cancel.
    virtual bool find(CSongDoc& song, FindCriteria& criteria) = 0;
    // The controller kind a view shows, opened on `current` for `track`:
    // 0xB0 | number << 8 for a controller, 0xD0 or 0xE0.
    virtual std::optional<int> selectController(CSongDoc& song, int track, int current) = 0;
    // The event list's filter, opened on the song's track `track` (-1 none):
    // the kinds shown, bit n for the kind byte's high nibble n, and one
    // controller or -1. False, with both unchanged, on Cancel; a program
    // without the dialog never shows it (has() says so).
    virtual bool filterEvents(CSongDoc& song, int32_t track, uint16_t& mask, int32_t& controller)
    {
        (void)song, (void)track, (void)mask, (void)controller;
        return false;
    }
};

} // namespace rz
