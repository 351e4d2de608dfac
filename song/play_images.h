#pragma once

namespace rz {

class CSongDoc;

// Rebuilds the play images of the user tracks whose done flag (`chased`) is
// clear; keepDone false clears every flag first. Tracks that play different
// patches on one port and channel get patch-change points so the channel
// carries each in turn ("AutoProps" on). Ends with UpdateSongEnd. GUI thread,
// transport stopped.
void RebuildPlayImages(CSongDoc& song, bool keepDone);

} // namespace rz
