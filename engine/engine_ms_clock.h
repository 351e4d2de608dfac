#pragma once

#include "core/engine_timer.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace rz {

// The engine's millisecond clock: advanced by every idle and playback tick,
// read by instruments and the tap tempo without a lock. While the idle timer
// rests no tick advances it; it then runs on from where it stood in steps of
// the idle period of the program clock, as the resting ticks would have
// moved it, and the next tick carries on from that value. Without a song
// the idle ticks leave it standing, and so does a rest.
class EngineMsClock {
public:
    // Any thread; never waits. `nowMs` is the program clock.
    uint32_t read(uint32_t nowMs) const
    {
        if (!m_resting.load(std::memory_order_acquire))
            return m_ticked.load(std::memory_order_acquire);
        const uint64_t anchor = m_anchor.load(std::memory_order_acquire);
        const auto base = uint32_t(anchor >> 32);
        const auto since = uint32_t(nowMs - uint32_t(anchor));
        return base + since / kIdleTimerPeriodMs * kIdleTimerPeriodMs;
    }

    // Timer thread: a tick of `ms` that ends at `nowMs`; a resting clock
    // first takes up the time it ran on before that tick.
    void advance(uint32_t ms, uint32_t nowMs)
    {
        if (m_resting.load(std::memory_order_acquire)) {
            const auto since = uint32_t(nowMs - uint32_t(m_anchor.load(std::memory_order_acquire)));
            stand(nowMs - std::min(since, ms));
        }
        m_ticked.fetch_add(ms, std::memory_order_acq_rel);
    }

    // Timer thread, as the idle timer stops for want of work.
    void rest(uint32_t nowMs)
    {
        const uint64_t base = m_ticked.load(std::memory_order_acquire);
        m_anchor.store(base << 32 | nowMs, std::memory_order_release);
        m_resting.store(true, std::memory_order_release);
    }

    // The clock stops running on (no song is left to count for). Any thread
    // while no tick runs.
    void stand(uint32_t nowMs)
    {
        if (m_resting.load(std::memory_order_acquire)) {
            m_ticked.store(read(nowMs), std::memory_order_release);
            m_resting.store(false, std::memory_order_release);
        }
    }

    bool resting() const { return m_resting.load(std::memory_order_acquire); }

private:
    std::atomic<uint32_t> m_ticked{0};
    std::atomic<uint64_t> m_anchor{0}; // the clock (high half) and the program clock (low) at rest
    std::atomic<bool> m_resting{false};
};

} // namespace rz
