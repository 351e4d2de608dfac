#pragma once

#include <chrono>

namespace rz {

// What a loaded machine's timer may be late by, on top of one period.
inline constexpr std::chrono::microseconds kOutputLatencyMargin{10000};

// The one output latency every MIDI device adds to a message's stamp, so
// that all ports (and the audio) sound a message at the same moment and a
// late timer tick delays nothing. Any thread; never waits.
//
// A positive `latency` is used as it is; zero or less chooses it: one JACK
// period (while a JACK client runs) plus kOutputLatencyMargin.
void setMidiOutputLatency(std::chrono::microseconds latency);
// The JACK client tells its period here; zero when none runs.
void setMidiOutputPeriod(std::chrono::microseconds period);
std::chrono::microseconds midiOutputLatency();

} // namespace rz
