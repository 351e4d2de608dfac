#pragma once

#include "core/leading_number.h"

#include <string_view>

namespace rz {

class CSongDoc;

// How a cell change ended.
enum class CellEdit {
    Ignored,  // no such row, an out-of-range number or a refused bank
    Applied,  // one undo step
    Live,     // changed at once while playing, soloed or performing; no undo step
    Refused,  // the song refused the record (and said why)
};

// At most 99 characters, leading blanks removed: what a cell takes.
std::string_view cellInput(std::string_view text);

// Whether the cell of `row` in column `column` (fixed index) may be edited:
// in cell mode, on a track row, by the column rules of the track's kind;
// while the transport runs or in performance mode only "in". Pure.
bool CanEditCell(const CSongDoc* song, int row, int column, bool cellMode, bool performanceMode);

// The one path of every cell change. On the last row the text names a new
// track; otherwise it sets the column's field in one "Change Track
// Property" step, or, for "in" and "mix" while a solo is active, the
// transport runs or performance mode is on, changes the track at once
// under the SongMutex and restarts playback. GUI thread.
CellEdit InsertTrack(CSongDoc& song, int row, int column, std::string_view text, bool performanceMode);

} // namespace rz
