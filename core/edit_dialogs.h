#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rz {

class CSongDoc;
struct FindCriteria;

// The edit dialogs song commands open. A program without one of them greys
// the commands that need it.
enum class EditDialog {
    CopyTime,    // "Copy Time..."
    DeleteTime,  // "Delete Time..."
    PasteTime,   // "Paste Time..."
    PasteEvents, // "Paste Events..."
    SelectTime,  // "Select Time..."
    Transpose,   // "Transpose..."
    Quantize,    // "Quantize..."
    Velocities,  // "Velocities..."
    Duration,    // "Duration..."
    Move,        // "Move..."
    Thin,        // "Thin controller data..."
    Randomize,   // "Randomize..."
    Find,        // "Find"
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
    int32_t controller = 11; // a controller number or one of the selectors above
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
};

} // namespace rz
