#pragma once

#include <atomic>
#include <cstdint>

namespace rz {

class CSongDoc;

// What the idle beat display computed at the last change of song, timer
// run, position or selection stamp. Timer thread only.
struct IdleBeat {
    const CSongDoc* song = nullptr;
    uint32_t user = 0;
    int32_t position = -1;
    uint32_t stamp = 0;
    double beatCount = 0.0;
    double ticksPerClick = 1.0;
    double ticksPerMicrosecond = 0.0;
    // The beat step the display was last asked to show; see kBeatSteps.
    int64_t postedStep = -1;
};

// The beat display while the transport stands: the idle timer's runs, the
// beat it follows and the phase it publishes.
class IdleBeatDisplay {
public:
    // The user value of a new idle run: the program clock, made unique
    // should two runs start within one millisecond. GUI thread; atomic
    // because the run a stopped sync follower leaves behind is restarted
    // from the refresh pass, which a test may run on a thread of its own.
    uint32_t nextRunUser(uint32_t nowMs)
    {
        uint32_t last = lastUser.load(std::memory_order_relaxed);
        uint32_t next = nowMs;
        do {
            next = nowMs == last ? last + 1 : nowMs;
        } while (!lastUser.compare_exchange_weak(last, next, std::memory_order_relaxed));
        return next;
    }

    // Steps of a beat the display can tell apart: finer than a refresh
    // (at most 60 a second) shows at 30 beats a minute and above.
    static constexpr double kBeatSteps = 128.0;

    IdleBeat beat;
    // The GUI shows the beat (the level marker or the spectrum); when it
    // does not, an idle tick that changed nothing else asks for no refresh.
    std::atomic<bool> shown{true};
    std::atomic<uint32_t> lastUser{0};
    std::atomic<uint64_t> recomputes{0};
    // 0.5 at a click, falling to -0.5 just before the next. Any thread.
    std::atomic<double> phase{0.0};
};

} // namespace rz
