#pragma once

// What the cue properties dialog decides, without Qt: where it opens, what
// each kind enables, the order each kind needs and OK's refusals.

#include "core/edit_dialogs.h"

#include <cstdint>

namespace rz {

class CSongDoc;

inline constexpr char kStopAfterRestart[] = "The start time must be AT OR AFTER the end time.";
inline constexpr char kVampOrder[] = "A vamp's begin time must come before its end time.";

// The fields a kind uses.
struct CueKindControls {
    bool playTimes = false;
    bool endingBars = false;
    bool stop = false;
};
CueKindControls cueKindControls(int kind);

// Where the dialog opens: editing, the cue's own; inserting, a Marker at the
// song's time selection (stop its start, restart its end) or at the song's
// position.
struct CueStart {
    int32_t kind = 0;
    int32_t stop = 0;
    int32_t restart = 0;
};
CueStart cueStartOf(const CSongDoc& song, const CuePropsParams& cue);

// Positions are ticks, or times in time code form; both compare alike.
// Whether the kind wants the two swapped: vamp-like kinds restart before
// stop, the others stop at or before restart.
bool cueNeedsSwap(int kind, double stop, double restart);
// OK's message for positions in an order the kind refuses; null when fine.
// A Marker has no stop of its own, so it never refuses.
const char* cueOrderMessage(int kind, double stop, double restart);

} // namespace rz
