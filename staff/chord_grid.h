#pragma once

// The guitar grid the chord dialog edits: byte rules, the notes a grid
// sounds, fret moves and where a click on the drawn grid lands. No Qt.

#include "core/chord_book.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace rz::chord_grid {

enum Mark : int {
    kFirstFinger = 0, // .. kFirstFinger + 3 the fourth finger
    kThumb = 4,
    kOpen = 5,
    kNotPlayed = 6,
    kCleared = 7,
};

inline constexpr int kStrings = 6;
inline constexpr int kHighestFret = 15;
// Rows the drawn grid shows from its first fret.
inline constexpr int kRowsShown = 4;
inline constexpr uint8_t kByteBit = 0x80;
// Every string "not played" at fret 0: no grid at all.
inline constexpr uint8_t kHiddenByte = 0x86;
// Every string cleared: an empty grid being edited.
inline constexpr uint8_t kClearedByte = 0x87;
// Low E first.
inline constexpr std::array<int, kStrings> kStringBase = {52, 57, 62, 67, 71, 76};
inline constexpr int kNoteVelocity = 100;

constexpr int markOf(uint8_t b) { return b & 7; }
constexpr int fretOf(uint8_t b) { return (b >> 3) & 15; }
constexpr bool isFingered(int mark) { return mark >= kFirstFinger && mark <= kThumb; }
constexpr bool sounds(int mark) { return mark >= kFirstFinger && mark <= kOpen; }
// Fingers and the thumb keep their fret; the other marks sit at fret 0.
constexpr uint8_t gridByte(int fret, int mark)
{
    return uint8_t(kByteBit | (isFingered(mark) ? (fret & 15) << 3 : 0) | (mark & 7));
}

inline ChordGrid filled(uint8_t b) { return ChordGrid{b, b, b, b, b, b}; }
inline bool isHidden(const ChordGrid& grid) { return grid == filled(kHiddenByte); }

// The note a string sounds, none when it is not played: its base note, one
// fret up from there per row for a finger.
std::optional<int> noteOf(const ChordGrid& grid, int string);
// The note-on messages of the sounding strings, low string first, channel 0.
std::vector<uint32_t> chordNotes(const ChordGrid& grid);
// The first sounding string from `from` on; kStrings when none.
int nextSounding(const ChordGrid& grid, int from);

// Moves every fingered string by `frets` (positive: higher up the neck).
// False, with the grid unchanged, when any would leave 0..15.
bool shiftFrets(ChordGrid& grid, int frets);

// The mark chosen after placing a finger: the next finger, the fourth and
// the thumb going back to the first.
int markAfter(int mark);

// Where a click lands on a grid drawn in `width` x `height` pixels from its
// top-left corner, with `firstFret` the row at its top. None off the
// strings, or, for a finger, off the rows shown.
struct Placement {
    int string = 0;
    uint8_t byte = 0;
};
std::optional<Placement> placeAt(int x, int y, int width, int height, int firstFret, int mark);

} // namespace rz::chord_grid
