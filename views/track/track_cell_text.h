#pragma once

#include "views/track/track_columns.h"

#include <string>

namespace rz {

class CTrack;
class ISynthLookup;

// One cell of the track list: its text (song bytes) and how it aligns,
// left for the name, patch and bank, right for the numbers.
struct CellText {
    std::string text;
    TextAlign align = TextAlign::Right;
};

// The text of column `column` (fixed index) for `track`. Patch and bank
// names come from `synths` when the track's port has a synthesizer; null
// shows the plain numbers. Pure.
CellText GetCellText(const CTrack& track, int column, const ISynthLookup* synths);

// The "in" column's record mark: "-" marked not to record, "R" to record,
// a blank without marks.
char recordMarkChar(const CTrack& track);

} // namespace rz
