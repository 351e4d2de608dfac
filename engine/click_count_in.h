#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace rz {

class COutPort;

// The click's port and the count-in of a take: the count-in runs from the
// song's position while the song stays there, for its length in ticks.
class ClickCountIn {
public:
    // GUI thread, before the start: a count-in of `length` ticks (0 none).
    void prepare(int32_t length)
    {
        position.store(0, std::memory_order_release);
        this->length.store(std::max(length, int32_t(0)), std::memory_order_release);
    }
    // Timer thread, at a start: true while some of the count-in is left.
    bool start()
    {
        const bool running = position.load(std::memory_order_acquire)
                             < length.load(std::memory_order_acquire);
        active.store(running, std::memory_order_release);
        return running;
    }
    // Timer thread: `played` ticks of it are over; true once it has all run.
    bool advance(int32_t played)
    {
        position.store(played, std::memory_order_release);
        return played >= length.load(std::memory_order_acquire);
    }
    bool countingIn() const { return active.load(std::memory_order_acquire); }

    std::atomic<COutPort*> clickPort{nullptr}; // resolved at each start
    std::atomic<int32_t> position{0};          // ticks
    std::atomic<int32_t> length{0};            // ticks
    std::atomic<bool> active{false};
};

} // namespace rz
