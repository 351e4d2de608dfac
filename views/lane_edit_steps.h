#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace rz {

class CSongDoc;
class EventListBuilder;
struct CCueSet;
struct CUndoRecord;

// Edit steps the lane views' mouse editing shares. GUI thread.

// Opens the cue properties dialog on a new cue at `tick`; on OK applies the
// cue as "Insert Cue". Nothing without the dialog.
void InsertCueAt(CSongDoc& song, int32_t tick);

// The measure holding the play position becomes the time range; with
// `widen` an existing range grows to include it. False without a measure.
bool SelectPlayMeasure(CSongDoc& song, bool widen);

// What is selected, as the song's selection kind and range keep it: kinds
// and the tick span [from, to), 64 bits wide.
struct SelectionSpan {
    uint32_t kind = 0;
    int64_t from = INT64_MAX;
    int64_t to = INT64_MIN;
    void add(uint32_t itemKind, int64_t start, int64_t end);
};
// The notes of the shown tracks that carry the song's selection stamp.
SelectionSpan selectedNotes(const CSongDoc& song, const std::vector<int>& shown);
// Every note of the shown tracks takes a new selection stamp.
void selectShownNotes(CSongDoc& song, const std::vector<int>& shown);

// One record of dragged events and cues, marked for the views (the cues'
// removals ascending, their new entries in time order); null when neither
// changed.
std::unique_ptr<CUndoRecord> draggedItemsRecord(const char* label, EventListBuilder& events,
                                                std::unique_ptr<CCueSet> cues);

} // namespace rz
