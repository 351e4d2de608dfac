#pragma once

namespace rz {

class CSongDoc;

// Rebuilds every track's lane items for the clip and clock-time views:
// runs of MIDI events as blocks, split at gaps of four quarter notes and at
// the edges of a time selection and cut into selected and unselected runs;
// one item per audio clip, whose event's duration it sets from the tempo map
// and the repeat count, keeping the clip's peak buffer while the clip stays.
// The caller stops the overview worker first.
void BuildLaneItems(CSongDoc& song);

} // namespace rz
