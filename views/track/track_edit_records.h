#pragma once

#include "song/undo_record.h"

#include <memory>
#include <vector>

namespace rz {

class CSongDoc;
class ISynthLookup;

// The undo records of the track list's row edits, for CSongDoc::ApplyEdit.
// Each is null when it would change nothing. Pure; GUI thread.

// "Delete Tracks": the selected rows go.
std::unique_ptr<CUndoRecord> deleteTracksRecord(const std::vector<int>& selectedRows);
// "Drag Tracks": the selected rows, in row order, move to `dropRow`.
std::unique_ptr<CUndoRecord> dragTracksRecord(const CSongDoc& song, const std::vector<int>& selectedRows, int dropRow);
// "Sort Tracks": the user tracks ordered by the text of a column (fixed
// index), as numbers in right-aligned columns and as bytes otherwise;
// equal keys keep their order.
std::unique_ptr<CUndoRecord> sortTracksRecord(const CSongDoc& song, int column, const ISynthLookup* synths);

} // namespace rz
