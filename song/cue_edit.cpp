#include "song/cue_edit.h"

#include "song/edit_insert.h"
#include "song/song_doc.h"

#include <algorithm>
#include <memory>

namespace rz {

CCue cueFromAnswer(const CSongDoc& song, const CCue& base, const CuePropsParams& answer)
{
    CCue cue = base;
    cue.kind = validCueKind(answer.kind);
    cue.repeatCount = std::clamp(answer.repeatCount, 0, kMaxCueCount);
    cue.secondCount = std::clamp(answer.secondCount, 0, kMaxCueCount);
    cue.time = clampPosition(song, answer.time);
    cue.secondTime = clampPosition(song, answer.secondTime);
    cue.name = answer.name.substr(0, kMaxStoredCueName);
    return cue;
}

ApplyResult CSongDoc::InsertCue(const CuePropsParams& answer)
{
    auto set = std::make_unique<CCueSet>();
    set->cues.push_back(cueFromAnswer(*this, CCue{}, answer));
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoCues;
    record->label = "Insert Cue";
    record->cues = std::move(set);
    return ApplyEdit(std::move(record));
}

} // namespace rz
