#pragma once

#include <cstdint>
#include <vector>

namespace rz {

// Microseconds per quarter note.
inline constexpr uint32_t kDefaultTempo = 500000;
// A tempo has to divide time; the file stores it in three bytes.
inline constexpr uint32_t kMinTempo = 1;
inline constexpr uint32_t kMaxTempo = 0xFFFFFF;

// Clamps a tempo from a file, a setting or an edit into kMinTempo..kMaxTempo.
constexpr uint32_t clampTempo(uint32_t tempo)
{
    return tempo < kMinTempo ? kMinTempo : (tempo > kMaxTempo ? kMaxTempo : tempo);
}

// One tempo change.
struct TempoEntry {
    int32_t tick = 0;
    uint32_t tempo = kDefaultTempo; // µs per quarter note
    double time = 0.0;              // µs at the tick

    // Stores a tempo clamped into kMinTempo..kMaxTempo.
    void setTempo(uint32_t microsecondsPerQuarter) { tempo = clampTempo(microsecondsPerQuarter); }
};

// Tempo changes in tick order; entry 0 is at tick 0.
using TempoMap = std::vector<TempoEntry>;

// Tempo entries an undo record carries: the indices it takes out of the song,
// where its entries go in, and the entries.
struct CTempoSet {
    std::vector<uint32_t> removeKeys;
    std::vector<uint32_t> insertKeys;
    std::vector<TempoEntry> entries;
};

// The last entry at or before the tick (of two at one tick, the later); 0 for
// an empty map or a tick before entry 1.
int FindTempoIndex(const TempoMap& map, int32_t tick);
// The same on the entries' times (µs).
int FindTempoIndexByTime(const TempoMap& map, double time);
// Real time in µs of a tick. Safe on the timer thread; never allocates.
double TickToTime(const TempoMap& map, int timeBase, int32_t tick);
// The tick of a real time; a time inside a tick gives the next tick.
int32_t TimeToTick(const TempoMap& map, int timeBase, double time);
// Recomputes every entry's time from tick 0.
void RecalcTempoTimes(TempoMap& map, int timeBase);

} // namespace rz
