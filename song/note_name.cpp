#include <cstdio>

#include "song/event_format.h"
#include "song/spelling_tables.h"

namespace rz {
namespace {

// Letter step of a spelling override, by spelling 0..4 (double flat .. double
// sharp); kNoSuchSpelling where the pitch class cannot be spelled that way.
constexpr int8_t kNoSuchSpelling = 8;
constexpr int8_t kOverrideStep[5][12] = {
    {1, 8, 2, 3, 8, 4, 8, 5, 8, 6, 7, 8},
    {8, 1, 8, 2, 3, 8, 4, 8, 5, 8, 6, 7},
    {0, 8, 1, 8, 2, 3, 8, 4, 8, 5, 8, 6},
    {-1, 0, 8, 1, 8, 2, 3, 8, 4, 8, 5, 8},
    {8, -1, 0, 8, 1, 8, 2, 3, 8, 4, 8, 5},
};

// floor(a / b) for b > 0.
int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

std::string FormatNoteName(const CMidiEvent& event, int32_t keySignature)
{
    const int key = event.data1() & 127;
    const int pitchClass = key % 12;
    const int row = keySignature < -7 ? 0 : keySignature > 7 ? 14 : keySignature + 7;
    int spelling = kSpellingAccidental[row][pitchClass] + 2;
    int step = kSpellingStep[row][pitchClass];
    const int wanted = event.spelling;
    if (wanted >= 0 && wanted <= 4 && wanted != spelling
        && kOverrideStep[wanted][pitchClass] != kNoSuchSpelling) {
        spelling = wanted;
        step = kOverrideStep[wanted][pitchClass];
    }
    // The octave belongs to the written letter: B#3 sounds as key 60.
    const int octave = floorDiv(key - (spelling - 2), 12) - 1;
    const char letter = "CDEFGAB"[(step + 7) % 7];
    const char accidental = "'b #x"[spelling];
    char text[32];
    if (spelling == 2)
        std::snprintf(text, sizeof text, "%c%d (%d)", letter, octave, key);
    else
        std::snprintf(text, sizeof text, "%c%c%d (%d)", letter, accidental, octave, key);
    return text;
}

} // namespace rz
