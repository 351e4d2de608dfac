#pragma once

// Writing tracks' playback offsets into their events. GUI thread; the caller
// hands the record to CSongDoc::ApplyEdit.

#include <cstdint>
#include <memory>
#include <span>

namespace rz {

class CSongDoc;
struct CUndoRecord;

// The offsets to write.
struct OffsetKinds {
    bool key = true;      // notes and key pressure, folded back by octaves
    bool time = true;     // every event, not before the song's start
    bool velocity = true; // note velocities above 0, held within 1..127
};

// "Apply offsets": the events of the tracks from `from` up to (not
// including) `to` carry the chosen offsets, and those offsets become 0.
// Null, changing nothing, when no event would change.
std::unique_ptr<CUndoRecord> BuildOffsetsRecord(const CSongDoc& song, std::span<const size_t> tracks,
                                                int32_t from, int32_t to, OffsetKinds which);

} // namespace rz
