#pragma once

#include "song/measure_map.h"

#include <cstdint>
#include <string>

namespace rz {

// The transport panel's texts and the tempo fader's arithmetic, as pure
// functions of the values they show.

// "12", "12A", or the letter alone for measure number 0.
std::string measureLabel(int number, char letter);

// Where a tick lies: its measure (4/4 measures from tick 0 when the map is
// empty), the beat from 1 and the tick within the beat.
struct BeatPosition {
    MeasureRec measure;
    int beat = 1;
    int tick = 0;
    int click = 0; // metronome click within the measure, from 0
};
BeatPosition beatPosition(const MeasureMap& map, int timeBase, int32_t tick);

// "12A.3.045": label, beat, tick within the beat.
std::string positionText(const MeasureMap& map, int timeBase, int32_t tick);
// "h:mm:ss:ff" of a time in µs at a frame-rate code; negative times show 0.
std::string smpteText(double timeUs, int rate);
// "x 1.050 = 126.0 bpm": the multiplier (100000 = 1.000) and the tempo in
// force, 600 x multiplier / µs per quarter; a tempo of 0 shows 0.0 bpm.
std::string tempoText(int32_t multiplier, uint32_t microsecondsPerQuarter);
// "(+3)" while songs are to be skipped, else blank.
std::string skipText(int skipCount);
// The count-in beats left before the take starts, from 1.
int countInBeats(int32_t recordStart, int32_t now, int32_t ticksPerBeat);
// The beat picture of a tick: its click within the measure, modulo 10.
int beatDigit(const MeasureMap& map, int timeBase, int32_t tick);

// The tempo fader shows 1000 x log2(multiplier / 100000), rounded; a
// multiplier of 0 or less shows the bottom.
int tempoFaderPosition(int32_t multiplier);
// A fader position's multiplier: trunc(2^(p / 1000) x 100000 + 0.5).
int32_t multiplierFromFader(int position);

} // namespace rz
