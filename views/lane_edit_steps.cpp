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

} // namespace rz
