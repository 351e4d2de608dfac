#include "core/ms_clock.h"

#include <chrono>

namespace rz {
namespace {

class SteadyMsClock : public IMsClock {
public:
    uint32_t nowMs() const override
    {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
};

SteadyMsClock g_steady;
std::atomic<IMsClock*> g_clock{&g_steady};

} // namespace

IMsClock& programClock()
{
    return *g_clock.load(std::memory_order_acquire);
}

void setProgramClock(IMsClock* clock)
{
    g_clock.store(clock ? clock : &g_steady, std::memory_order_release);
}

uint32_t timeGetTime()
{
    return programClock().nowMs();
}

} // namespace rz
