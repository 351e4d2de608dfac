#include "dialogs/cue_props_model.h"

#include "song/cue.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

CueKindControls cueKindControls(int kind)
{
    return {isVampLike(kind), kind == kCueVamp, kind != kCueMarker};
}

CueStart cueStartOf(const CSongDoc& song, const CuePropsParams& cue)
{
    if (!cue.inserting)
        return {cue.kind, cue.time, cue.secondTime};
    if ((song.selectionKind & kSelectTimeRange) && song.selectionFrom >= 0 && song.selectionTo > song.selectionFrom)
        return {kCueMarker, song.selectionFrom, song.selectionTo};
    return {kCueMarker, song.position(), song.position()};
}

bool cueNeedsSwap(int kind, double stop, double restart)
{
    return isVampLike(kind) ? stop < restart : stop > restart;
}

const char* cueOrderMessage(int kind, double stop, double restart)
{
    if (kind == kCueMarker)
        return nullptr;
    if (isVampLike(kind))
        return restart >= stop ? kVampOrder : nullptr;
    return restart < stop ? kStopAfterRestart : nullptr;
}

} // namespace rz
