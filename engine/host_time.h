#pragma once

#include "engine/audio/audio_format.h"

#include <cstdint>

namespace rz {

// Where the song stands for one audio block, as the engine sees it.
struct HostTimePosition {
    int32_t position = 0;        // ticks
    int timeBase = 120;          // ticks per quarter note
    double realTime = 0.0;       // µs
    double tempo = 120.0;        // effective quarter notes per minute
    int32_t measureStart = 0;    // ticks
    int numerator = 4;
    int denominator = 4;
    int smpteRate = 3;           // frame-rate code
    bool playing = false;
    bool recording = false;
};

// What the time record remembers from one block to the next.
struct HostTimeMark {
    bool playing = false;
    double ppqPos = -1.0;
};

// Frames per second of a frame-rate code; milliseconds count as 30.
double smpteFramesPerSecond(int rateCode);

// Fills the time record for the next block: everything valid but the cycle
// and the clock; "changed" when playback starts or stops, or the position
// moves while stopped or jumps back while playing. Audio thread.
void advanceHostTime(HostTimeInfo& info, HostTimeMark& mark, const HostTimePosition& at,
                     double nanoSeconds);

} // namespace rz
