#pragma once

// File > Import > Tracks: another song's tracks copied into a song as one
// undo step. GUI thread.

#include "song/undo_record.h"

namespace rz {

class CSongDoc;

// Copies `source`'s tracks from 1 up to, not including, its last (the
// conductor track and the trailing empty track stay behind) into `song` at
// `row`, held within 1..track count - 1, under the label "Import Tracks".
// Events move to `song`'s time base; each audio clip gets a copy of its file
// under a new work-folder name. A song with no track to import, a failed
// file copy or a refused edit leaves `song` unchanged.
ApplyResult ImportTracks(CSongDoc& song, CSongDoc& source, int row);

} // namespace rz
