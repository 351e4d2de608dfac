#pragma once

#include <cstdint>
#include <optional>

namespace rz {

class CSongDoc;

// The edit dialogs song commands open. A program without one of them greys
// the commands that need it.
enum class EditDialog {
    CopyTime,    // "Copy Time..."
    DeleteTime,  // "Delete Time..."
    PasteTime,   // "Paste Time..."
    PasteEvents, // "Paste Events..."
    SelectTime,  // "Select Time..."
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
};

} // namespace rz
