#pragma once

#include <algorithm>
#include <cstdint>

namespace rz {

// How each pitch class is spelled in each key signature; note names and
// chord transposition both spell with them.

// Default accidental (-2 double flat .. 2 double sharp) of each pitch class,
// one row per key signature from -7 to 7.
inline constexpr int8_t kSpellingAccidental[15][12] = {
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
inline constexpr int8_t kSpellingStep[15][12] = {
    {1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 6, 7},  {0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 6, 7},
    {0, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 7},  {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 7},
    {0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6, 6},  {0, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6, 7},
    {0, 0, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6},  {0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 6},
    {0, 0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 6},  {0, 0, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6},
    {0, 0, 1, 1, 2, 2, 3, 4, 4, 5, 6, 6},  {-1, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6},
    {0, 0, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6},  {-1, 0, 0, 1, 2, 2, 3, 4, 4, 5, 5, 6},
    {-1, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 6},
};

// Letter step of a chosen spelling, by spelling 0..4 (double flat .. double
// sharp); kNoSuchSpelling where the pitch class cannot be spelled that way.
inline constexpr int8_t kNoSuchSpelling = 8;
inline constexpr int8_t kOverrideStep[5][12] = {
    {1, 8, 2, 3, 8, 4, 8, 5, 8, 6, 7, 8},
    {8, 1, 8, 2, 3, 8, 4, 8, 5, 8, 6, 7},
    {0, 8, 1, 8, 2, 3, 8, 4, 8, 5, 8, 6},
    {-1, 0, 8, 1, 8, 2, 3, 8, 4, 8, 5, 8},
    {8, -1, 0, 8, 1, 8, 2, 3, 8, 4, 8, 5},
};

// A pitch as written: the letter step (0 = C .. 6 = B), its accidental
// (-2 double flat .. 2 double sharp) and the letter's octave (key 60 is C4,
// B#3 sounds as key 60).
struct PitchSpelling {
    int step = 0;
    int accidental = 0;
    int octave = 0;
    bool operator==(const PitchSpelling&) const = default;
};

// Spells a key 0..127 in a key signature (clamped into -7..7). A chosen
// spelling 0..4 (double flat .. double sharp) wins over the key's default
// when the pitch class can take it; any other value, or one it cannot
// take, gives the default.
constexpr PitchSpelling spellPitch(int pitch, int keySignature, int spelling)
{
    pitch = std::clamp(pitch, 0, 127);
    const int pitchClass = pitch % 12;
    const int row = std::clamp(keySignature, -7, 7) + 7;
    int accidental = kSpellingAccidental[row][pitchClass];
    int step = kSpellingStep[row][pitchClass];
    if (spelling >= 0 && spelling <= 4 && spelling - 2 != accidental
        && kOverrideStep[spelling][pitchClass] != kNoSuchSpelling) {
        accidental = spelling - 2;
        step = kOverrideStep[spelling][pitchClass];
    }
    // pitch - accidental is never negative below 2, so floor division is exact
    // with the +24 offset.
    const int octave = (pitch - accidental + 24) / 12 - 3;
    return PitchSpelling{(step + 7) % 7, accidental, octave};
}

} // namespace rz
