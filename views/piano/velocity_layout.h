#pragma once

#include "views/piano/piano_layout.h"

#include <cstdint>

namespace rz {

struct MeasureRec;

// The velocity view's vertical scale over the piano rows: velocity 0 on the
// bottom edge of the last key row and 127 on the top edge of the first,
// whichever row is scrolled to the top; the note rows and zoom are the
// piano roll's. Pure; GUI thread.
struct VelocityLayout {
    static constexpr int kMaxVelocity = 127;
    static constexpr int kMinNoteVelocity = 1; // 0 would end the note
    static constexpr int kSisterMargin = 24;   // the left margin of the sister views
    static constexpr int kMinClickPixels = 8;

    PianoLayout rows;

    int keyHeight() const { return rows.keyboardHeight(); }
    // Client y of a velocity.
    int yOfVelocity(int velocity) const;
    // The velocity at client y, 0..127.
    int velocityAtY(int y) const;
    // Client y of the top of a note's row, the key played plus the track's
    // transposition; false when the note has no row.
    bool noteRowTop(int shownKey, int& top) const;

    // A velocity a note may take.
    static int noteVelocity(int64_t value);

    // The play line's column from the origin while following: the middle of
    // the plot right of the sister views' margin.
    static int followCentre(int plotRight, int margin);

    // Metronome clicks marked inside a measure `measurePixels` wide: its
    // clicks thinned once by 3 or 2 when narrower than 8 pixels; 0 when a
    // click is still narrower, or the next measure carries no label.
    static int clickMarks(const MeasureRec& measure, int timeBase, int measurePixels, bool nextLabelled);
};

} // namespace rz
