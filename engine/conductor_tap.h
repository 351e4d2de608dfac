#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/tempo_multiplier.h"

namespace rz {

// Taps older than this no longer count, µs.
inline constexpr double kTapMemoryUs = 1500000.0;

// One conductor tap: when it came and the click it was matched to, µs.
struct TapRecord {
    double tapTime = 0.0;
    double beatTime = 0.0;
};

// The recent taps, oldest first. While the song is followed the times are
// the song's real time, otherwise the program clock's: the two never mix, so
// a change of clock forgets the taps of the other. GUI thread.
class CTapHistory {
public:
    enum class Clock : uint8_t { SongTime, ProgramTime };

    // Forgets every tap when `clock` is not the clock of the taps held.
    void useClock(Clock clock);
    // Drops taps from the front while the oldest lies more than kTapMemoryUs
    // before `now`, or after it (at it too, with dropAtNow).
    void dropStale(double now, bool dropAtNow);
    void append(const TapRecord& record);
    void clear() { m_records.clear(); }

    size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    const TapRecord& first() const { return m_records.front(); }
    const TapRecord& last() const { return m_records.back(); }
    // From the first tap to the last, µs.
    double tapSpan() const;
    double beatSpan() const;

private:
    std::vector<TapRecord> m_records;
    Clock m_clock = Clock::ProgramTime;
};

// The averaging factor of a following tap: the clicks matched over the
// taps' span, weighted by `strength` percent. 1 below two taps or without
// strength; no answer when the taps span no time.
std::optional<double> tapAverageFactor(const CTapHistory& history, int strength);

} // namespace rz
