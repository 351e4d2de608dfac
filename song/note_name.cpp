#include <cstdio>

#include "song/event_format.h"

namespace rz {
namespace {

// Default accidental (-2 double flat .. 2 double sharp) of each pitch class,
// one row per key signature from -7 to 7.
constexpr int8_t kAccidental[15][12] = {
    {-2, -1, -2, -1, -1, 0, -1, 0, -1, -2, -1, -1}, {0, -1, 0, -1, -1, 0, -1, -2, -1, -2, -1, -1},
    {0, -1, -2, -1, -1, 0, -1, 0, -1, 0, -1, -1},   {0, -1, 0, -1, 0, 0, -1, 0, -1, 0, -1, -1},
    {0, -1, 0, -1, -1, 0, -1, 0, -1, 0, -1, 0},     {0, -1, 0, -1, 0, 0, 1, 0, -1, 0, -1, -1},
    {0, 1, 0, -1, 0, 0, -1, 0, -1, 0, -1, 0},       {0, -1, 0, -1, 0, 0, 1, 0, 1, 0, -1, 0},
    {0, 1, 0, 1, 0, 0, 1, 0, -1, 0, -1, 0},         {0, 1, 0, -1, 0, 0, 1, 0, 1, 0, 1, 0},
    {0, 1, 0, 1, 0, 1, 1, 0, 1, 0, -1, 0},          {1, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0},
    {0, 1, 0, 1, 0, 1, 1, 2, 1, 0, 1, 0},           {1, 1, 2, 1, 0, 1, 1, 0, 1, 0, 1, 0},
    {1, 1, 0, 1, 0, 1, 1, 2, 1, 2, 1, 0},
};

// Default letter step (0 = C .. 6 = B; -1 the B below, 7 the C above).
constexpr int8_t kStep[15][12] = {
    {1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 6, 7},  {0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 6, 7},
    {0, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 7},  {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 7},
    {0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6, 6},  {0, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6, 7},
    {0, 0, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6},  {0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 6},
    {0, 0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 6},  {0, 0, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6},
    {0, 0, 1, 1, 2, 2, 3, 4, 4, 5, 6, 6},  {-1, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6},
    {0, 0, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6},  {-1, 0, 0, 1, 2, 2, 3, 4, 4, 5, 5, 6},
    {-1, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 6},
};

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
    int spelling = kAccidental[row][pitchClass] + 2;
    int step = kStep[row][pitchClass];
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
