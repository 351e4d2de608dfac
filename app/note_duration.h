#pragma once

#include <cstdint>

namespace rz {

// The staff tools' note values: type 0 whole .. 5 thirty-second, plain,
// dotted or as a triplet.
struct NoteValue {
    int type = 0;
    bool dotted = false;
    bool triplet = false;
};

// A note value's length in ticks and the grid it snaps to, in units of 240
// per quarter note.
struct NoteLength {
    int32_t duration = 0;
    int grid = 240;
};

NoteLength noteLength(const NoteValue& value, int timeBase);

// The value a typed duration stands for: the longest plain type it reaches,
// else the next shorter type dotted when it reaches three quarters of a
// type, else the type as a triplet at two thirds; a thirty-second when none.
NoteValue noteValueOf(int32_t duration, int timeBase);

} // namespace rz
