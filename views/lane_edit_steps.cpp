#include "views/lane_edit_steps.h"

#include "core/edit_dialogs.h"
#include "song/clipboard_edit.h"
#include "song/cue.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>

namespace rz {

void InsertCueAt(CSongDoc& song, int32_t tick)
{
    IEditDialogs* dialogs = song.context().editDialogs;
    if (!dialogs || !dialogs->has(EditDialog::CueProperties))
        return;
    const CuePropsParams start{.kind = kCueMarker, .time = tick, .secondTime = tick, .name = {}};
    const std::optional<CuePropsParams> params = dialogs->cueProperties(song, start);
    if (!params)
        return;
    CCue cue;
    cue.kind = validCueKind(params->kind);
    cue.repeatCount = params->repeatCount;
    cue.secondCount = params->secondCount;
    cue.time = std::max(params->time, 0);
    cue.secondTime = std::max(params->secondTime, 0);
    cue.name = params->name.substr(0, kMaxStoredCueName);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoCues;
    record->label = "Insert Cue";
    record->cues = std::make_unique<CCueSet>();
    record->cues->cues.push_back(std::move(cue));
    song.ApplyEdit(std::move(record));
}

bool SelectPlayMeasure(CSongDoc& song, bool widen)
{
    const int index = FindMeasure(song.measureMap, song.position());
    if (index < 0)
        return false;
    const MeasureRec& m = song.measureMap[size_t(index)];
    int32_t from = m.start;
    int32_t to = int32_t(std::clamp<int64_t>(int64_t(m.start) + m.length, 0, kLastEditTick));
    if (widen && (song.selectionKind & kSelectTimeRange) && song.selectionFrom >= 0) {
        from = std::min(from, song.selectionFrom);
        to = std::max(to, song.selectionTo);
    }
    song.selectionKind = kSelectTimeRange;
    song.selectionFrom = from;
    song.selectionTo = to;
    return true;
}

void SelectionSpan::add(uint32_t itemKind, int64_t start, int64_t end)
{
    kind |= itemKind;
    from = std::min(from, start);
    to = std::max(to, end);
}

SelectionSpan selectedNotes(const CSongDoc& song, const std::vector<int>& shown)
{
    SelectionSpan span;
    for (int t : shown)
        for (const CMidiEvent& e : song.tracks[size_t(t)]->events)
            if (e.isNote() && e.selectionStamp == song.selectionStamp)
                span.add(kSelectEvents, e.tick, int64_t(e.tick) + e.value2);
    return span;
}

void selectShownNotes(CSongDoc& song, const std::vector<int>& shown)
{
    ++song.selectionStamp;
    for (int t : shown)
        for (CMidiEvent& e : song.tracks[size_t(t)]->events)
            if (e.isNote())
                e.selectionStamp = song.selectionStamp;
}

std::unique_ptr<CUndoRecord> draggedItemsRecord(const char* label, EventListBuilder& events,
                                                std::unique_ptr<CCueSet> cues)
{
    auto record = std::make_unique<CUndoRecord>();
    record->label = label;
    record->flags = kUndoViewMark;
    if (!events.empty()) {
        record->events = events.build();
        record->flags |= kUndoEvents;
    }
    if (cues && !cues->cues.empty()) {
        std::sort(cues->removeKeys.begin(), cues->removeKeys.end());
        sortCuesByTime(cues->cues);
        record->cues = std::move(cues);
        record->flags |= kUndoCues;
    }
    if (record->flags == kUndoViewMark)
        return nullptr;
    return record;
}

} // namespace rz
