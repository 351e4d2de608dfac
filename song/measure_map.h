#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rz {

// Meter limits: numerators 1..255, denominators 2^0..2^6 (whole to 64th).
inline constexpr int kMaxNumerator = 255;
inline constexpr int kMaxDenominatorPower = 6;
// Extending never grows the map past this many measures (128 MiB), whatever
// end tick a damaged file claims.
inline constexpr size_t kMaxMeasures = size_t(1) << 22;

// One measure of the measure map.
struct MeasureRec {
    int32_t start = 0;   // first tick
    int32_t length = 0;  // ticks; at least 1 once laid out
    int32_t carried[2] = {0, 0}; // copied along with the measure, not interpreted
    uint16_t number = 1; // displayed number; 0 shows only the letter
    char letter = 0;     // section letter (upper case), 0 none
    int8_t key = 0;      // sharps positive, flats negative, -7..7
    uint8_t mode = 0;    // 0 major, 1 minor
    uint8_t numerator = 4;
    uint8_t denominator = 4;      // the beat's note value: 1, 2, 4 .. 64
    uint8_t clocksPerClick = 24;  // MIDI clocks per metronome click
    uint8_t thirtySeconds = 8;    // thirty-second notes per quarter
    int32_t last = 0;             // carried, not interpreted
    // The views draw this measure's number on the ruler. Worked out by the
    // views' full update under the SongMutex; never stored in a file.
    bool label = false;

    // Places the measure; also number 1, no letter, and clears the last word.
    void Set(int32_t startTick, int32_t lengthTicks);
    // Sets the meter, clamping the numerator into 1..255 and the denominator
    // power into 0..6. Returns false when anything was clamped.
    bool setMeter(int numeratorValue, int denominatorPower);
};

// Gives a measure the meter that holds `length` ticks (laid out from the
// meter, as every measure is): the beat halves only while the length is no
// multiple of it and the denominator is below 64; the numerator is the
// length in beats, rounded, within 1..255, with a coarser beat when more are
// needed. A length no meter holds becomes the nearest one, under a 64th away.
void FitMeter(MeasureRec& measure, int64_t length, int timeBase);

// One entry per measure, contiguous from tick 0.
using MeasureMap = std::vector<MeasureRec>;

// Ticks in a measure of this meter: (4 x time base / denominator) x numerator,
// at least 1 so that walking the map always moves on.
int32_t measureLength(int timeBase, int numerator, int denominator);
// MIDI clocks per metronome click as a song file's meter gives them: at most
// one measure's worth of clocks, and at least 2.
uint8_t clocksPerClickOfMeter(int clocks, int numerator, int denominator);
// Ticks in one beat of the measure, at least 1.
int32_t beatLength(int timeBase, const MeasureRec& measure);

// The index of the measure holding the tick: -1 for an empty map, 0 for tick
// 0, the last measure for ticks beyond the map. Starts from a search hint
// shared by every song and thread; the result does not depend on it.
int FindMeasure(const MeasureMap& map, int32_t tick);
// Lays the measures out from tick 0 by their meters; returns the map's end.
int32_t RecomputeMeasureStarts(MeasureMap& map, int timeBase);
// Appends copies of the last measure (numbered on, no letter) while it starts
// before `until`; returns the map's end (0 for an empty map).
int32_t ExtendMeasureMap(MeasureMap& map, int32_t until);
// " measure:beat:tick" of a tick into `text`; returns the measure index. Writes
// nothing when the tick lies in no measure (index -1).
int FormatTime(const MeasureMap& map, int timeBase, int32_t tick, std::string& text);

// The search hint FindMeasure shares across songs and threads; any value is safe.
std::atomic<int>& measureSearchHint();

} // namespace rz
