#pragma once

// Cues built from a cue dialog's answer. GUI thread.

#include "core/edit_dialogs.h"
#include "song/cue.h"

namespace rz {

class CSongDoc;

// `base` with the dialog's kind, counts, both times and name, each held to
// what a song stores; the rest of `base` (selection) is kept.
CCue cueFromAnswer(const CSongDoc& song, const CCue& base, const CuePropsParams& answer);

} // namespace rz
