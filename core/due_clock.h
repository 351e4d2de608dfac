#pragma once

#include "core/engine_timer.h"

#include <chrono>
#include <cmath>
#include <cstdint>

namespace rz {

// Song time (µs, at the song's own tempo) against the monotonic clock while a
// playback tick runs: `anchorUs` sounds at `anchor`, and one µs of song time
// takes `wallPerSongUs` µs at the tempo multiplier.
struct DueClock {
    TickTime anchor{};
    double anchorUs = 0.0;
    double wallPerSongUs = 1.0;

    TickTime at(double songUs) const
    {
        const double offsetNs = (songUs - anchorUs) * wallPerSongUs * 1000.0;
        return anchor + std::chrono::nanoseconds(int64_t(std::llround(offsetNs)));
    }
};

namespace detail {
inline thread_local const DueClock* t_dueClock = nullptr;
} // namespace detail

// When a message due at song time `songUs` is to sound: through the play
// clock of the tick running on this thread, else the current tick time (an
// arrival or now), as for any message sent outside playback.
inline TickTime dueTimeOf(double songUs)
{
    const DueClock* clock = detail::t_dueClock;
    return clock != nullptr ? clock->at(songUs) : currentTickTime();
}

// Installs `clock` on the calling thread for the lifetime of the scope.
class DueClockScope {
public:
    explicit DueClockScope(const DueClock& clock) : m_previous(detail::t_dueClock)
    {
        detail::t_dueClock = &clock;
    }
    ~DueClockScope() { detail::t_dueClock = m_previous; }
    DueClockScope(const DueClockScope&) = delete;
    DueClockScope& operator=(const DueClockScope&) = delete;

private:
    const DueClock* m_previous;
};

// Every message sent within the scope is stamped with the due time of song
// time `songUs`.
class DueTimeScope {
public:
    explicit DueTimeScope(double songUs) : m_stamp(dueTimeOf(songUs)) {}

private:
    TickTimeScope m_stamp;
};

} // namespace rz
