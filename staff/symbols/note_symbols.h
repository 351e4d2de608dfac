#pragma once

#include <cstdint>

#include "staff/model/staff_model.h"
#include "staff/symbols/music_font.h"

class QPainter;

namespace rz {

// The sign of an item's accidental code (-2..2; 3 and others a natural).
MusicGlyph accidentalGlyph(int code);

// Draws one voice run of the notation model with its first element at x; y
// is the staff's middle line; P the music font's pixel size (the staff's
// height). Heads of selected notes, and every head without a staff, are
// red; `tag` is the song's current selection stamp. Writes each note's
// stem, head extents and every head's rectangle back for hit testing.
void DrawNoteSymbols(QPainter& painter, CStaffBeat& beat, int x, int y, const CStaffTrack* staff,
                     uint32_t tag, const MusicFont& font, int pixelSize);

} // namespace rz
