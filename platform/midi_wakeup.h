#pragma once

#include <chrono>

#include <semaphore.h>

namespace rz {

// A counting wake-up that a realtime callback may signal: post() never
// waits, never allocates and is safe from a signal handler.
class MidiWakeup {
public:
    MidiWakeup();
    ~MidiWakeup();
    MidiWakeup(const MidiWakeup&) = delete;
    MidiWakeup& operator=(const MidiWakeup&) = delete;

    void post();
    // True when woken, false when `deadline` passed first.
    bool waitUntil(std::chrono::steady_clock::time_point deadline);

private:
    sem_t m_semaphore;
};

} // namespace rz
