#include "staff/chord_grid.h"

#include "core/midi_bytes.h"

#include <algorithm>

namespace rz::chord_grid {

std::optional<int> noteOf(const ChordGrid& grid, int string)
{
    if (string < 0 || string >= kStrings)
        return std::nullopt;
    const uint8_t b = grid[size_t(string)];
    const int mark = markOf(b);
    if (!sounds(mark))
        return std::nullopt;
    return kStringBase[size_t(string)] + (mark == kOpen ? 0 : fretOf(b) + 1);
}

std::vector<uint32_t> chordNotes(const ChordGrid& grid)
{
    std::vector<uint32_t> notes;
    for (int string = 0; string < kStrings; ++string) {
        if (const std::optional<int> note = noteOf(grid, string))
            notes.push_back(midi::noteOn(0, *note, kNoteVelocity));
    }
    return notes;
}

int nextSounding(const ChordGrid& grid, int from)
{
    int string = std::max(from, 0);
    while (string < kStrings && !sounds(markOf(grid[size_t(string)])))
        ++string;
    return string;
}

bool shiftFrets(ChordGrid& grid, int frets)
{
    ChordGrid moved = grid;
    for (uint8_t& b : moved) {
        if (!isFingered(markOf(b)))
            continue;
        const int fret = fretOf(b) + frets;
        if (fret < 0 || fret > kHighestFret)
            return false;
        b = gridByte(fret, markOf(b));
    }
    grid = moved;
    return true;
}

int markAfter(int mark)
{
    return mark >= kFirstFinger && mark < kFirstFinger + 3 ? mark + 1 : kFirstFinger;
}

std::optional<Placement> placeAt(int x, int y, int width, int height, int firstFret, int mark)
{
    if (width <= 0 || height <= 0)
        return std::nullopt;
    // Half a string's spacing either side of it counts as the string.
    const int along = x + width / 10;
    if (along < 0)
        return std::nullopt;
    const int string = along * 5 / width;
    if (string >= kStrings)
        return std::nullopt;
    int fret = 0;
    if (isFingered(mark)) {
        if (y < 0 || y >= height)
            return std::nullopt;
        fret = y * kRowsShown / height + firstFret;
        if (fret > kHighestFret)
            return std::nullopt;
    }
    return Placement{string, gridByte(fret, mark)};
}

} // namespace rz::chord_grid
