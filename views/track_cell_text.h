#pragma once

#include "views/track_columns.h"

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

// The number a patch is shown with: 1-based unless the synthesizer
// numbers its patches from 0.
int patchBase(const CTrack& track);
// The synthesizer selects banks by their MSB alone.
bool bankMsbOnly(const CTrack& track);

} // namespace rz
