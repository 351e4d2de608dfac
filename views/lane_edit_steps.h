#pragma once

#include <cstdint>

namespace rz {

class CSongDoc;

// Edit steps the lane views' mouse editing shares. GUI thread.

// Opens the cue properties dialog on a new cue at `tick`; on OK applies the
// cue as "Insert Cue". Nothing without the dialog.
void InsertCueAt(CSongDoc& song, int32_t tick);

// The measure holding the play position becomes the time range; with
// `widen` an existing range grows to include it. False without a measure.
bool SelectPlayMeasure(CSongDoc& song, bool widen);

} // namespace rz
