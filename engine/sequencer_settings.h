#pragma once

#include "core/engine_link.h"

#include <cstdint>

namespace rz {

class IProfile;

inline constexpr uint32_t kMinTickPeriodMs = 1;
inline constexpr uint32_t kMaxTickPeriodMs = 1000;
inline constexpr int kMaxVolume = 16383;
inline constexpr int kMaxOutputLatencyMs = 1000;

// "Sequencer"/"Options" bits.
// A start from Stopped resets every port.
inline constexpr uint32_t kOptionResetOnStart = 1;
inline constexpr uint32_t kOptionPlayLeavesVamp = 2;
// Pitch bend on the tempo channel controls the tempo.
inline constexpr uint32_t kOptionBendTempo = 4;

// "ClickOptions". The click messages are packed short messages, status in
// the low byte.
struct ClickOptions {
    bool enabled = false;
    bool record = true;          // click while recording
    int device = 0;              // entry of the output map
    int patch = 0;               // bank x 256 + program
    uint32_t click1 = 0x7F2599;  // the first click of a measure
    uint32_t click2 = 0x642599;  // every other click
    int leadMs = 0;              // sent this much early
};

// "FollowTap": the conductor tap's following; each value is 0 when its gate is off.
struct FollowTapSettings {
    bool pause = false;
    int window = 0;
    int modStrength = 0;         // percent
    int jumpForwardStrength = 0; // percent
    int jumpBackStrength = 0;    // percent
    int returnRate = 0;
    int averageStrength = 0;     // percent
};

// "PlaybackOptions" of the set advance.
struct AdvanceOptions {
    int play = 0;
    int waitMs = 1000;
    int reset = 2;               // 0 none, 1 channel states and ports, 2 synth resets
};

// What the engine reads from the profile at start-up, range-checked.
struct SequencerSettings {
    uint32_t options = kOptionPlayLeavesVamp;
    int tempoChannel = -1;       // -1 any channel, else 0..15
    uint32_t timerSource = 0;    // stored, not used
    uint32_t tickPeriodMs = 2;   // 1..1000
    AdvanceOptions advance;
    SyncOptions sync;
    RecordOptions record;
    int stepVelocity = 0;        // step mode: a fixed velocity; 0 the played one
    int stepDuration = 0;        // 0 played lengths, 1 up to the step grid, else the note length
    bool echo = true;
    int countInMeasures = 1;
    uint32_t eventFilter = 0xDB00;
    FollowTapSettings followTap;
    ClickOptions click;
    int masterVolume = kMaxVolume; // "Defaults"/"Volume", 0..16383
    bool keyMapEnabled = true;
    // "PlaybackOptions"/"OutputLatency", ms, 0..1000: what every MIDI device
    // adds to a message's stamp; 0 chooses one JACK period plus 10 ms.
    int outputLatencyMs = 0;
};

// The step grid's note value for "StepSize" 1..11 in 120ths of a quarter
// note (whole note down to the thirty-second triplet); 0 for any other size.
int stepGridUnits(int stepSize);

// Reads every value above. A "TimerResolution" outside 1..1000 ms and a
// "Volume" outside 0..16383 and an "OutputLatency" outside 0..1000 ms are
// clamped into range; a "PTempoCh" outside
// -1..15 reads as -1.
SequencerSettings readSequencerSettings(const IProfile& profile);

} // namespace rz
