#include "platform/midi_wakeup.h"

#include <cerrno>
#include <ctime>

namespace rz {

MidiWakeup::MidiWakeup()
{
    sem_init(&m_semaphore, 0, 0);
}

MidiWakeup::~MidiWakeup()
{
    sem_destroy(&m_semaphore);
}

void MidiWakeup::post()
{
    sem_post(&m_semaphore);
}

bool MidiWakeup::waitUntil(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    // steady_clock is CLOCK_MONOTONIC on Linux.
    const auto since = duration_cast<nanoseconds>(deadline.time_since_epoch()).count();
    timespec until{};
    until.tv_sec = static_cast<time_t>(since / 1000000000);
    until.tv_nsec = static_cast<long>(since % 1000000000);
    while (sem_clockwait(&m_semaphore, CLOCK_MONOTONIC, &until) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

} // namespace rz
