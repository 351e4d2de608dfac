#pragma once

#include <atomic>
#include <cstdint>

namespace rz {

// A steady millisecond clock that wraps at 32 bits.
class IMsClock {
public:
    virtual ~IMsClock() = default;
    virtual uint32_t nowMs() const = 0;
};

// The program's clock: the steady system clock unless a test installed another.
IMsClock& programClock();
// Installs a clock for tests; nullptr restores the steady clock. Not thread-safe
// against concurrent readers: install before starting threads.
void setProgramClock(IMsClock* clock);

// Milliseconds of the program's clock, wrapping at 32 bits; the name is the
// Windows one the engine's timing code was written against.
uint32_t timeGetTime();

// A clock that moves only when told to; safe to read from any thread.
class ManualMsClock : public IMsClock {
public:
    explicit ManualMsClock(uint32_t start = 0) : m_now(start) {}
    uint32_t nowMs() const override { return m_now.load(std::memory_order_acquire); }
    void set(uint32_t ms) { m_now.store(ms, std::memory_order_release); }
    void advance(uint32_t ms) { m_now.fetch_add(ms, std::memory_order_acq_rel); }

private:
    std::atomic<uint32_t> m_now;
};

} // namespace rz
