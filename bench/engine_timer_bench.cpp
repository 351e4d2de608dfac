// Wake lateness of the engine timer at a 2 ms period: how long after its
// scheduled deadline each callback starts, with and without SCHED_FIFO.
// Usage: engine_timer [ticks]   (default 2000 ticks, 4 s per pass)

#include "platform/engine_timer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kPeriodMs = 2;

struct Lateness {
    bool realtime = false;
    std::vector<double> us; // one per tick, sorted
};

Lateness measure(bool askRealtime, size_t ticks)
{
    Lateness result;
    std::vector<double> samples(ticks);
    std::atomic<size_t> done{0};
    rz::EngineTimer timer(rz::EngineTimerOptions{askRealtime});
    // Runs on the timer thread; stores into room reserved beforehand.
    auto onTick = [&](uint32_t) {
        const size_t i = done.load(std::memory_order_relaxed);
        if (i >= ticks)
            return;
        const auto late = std::chrono::steady_clock::now() - rz::currentTickTime();
        samples[i] = std::chrono::duration<double, std::micro>(late).count();
        done.store(i + 1, std::memory_order_release);
    };
    if (timer.startPlayback(kPeriodMs, onTick, 0) != rz::TimerStartResult::Started) {
        std::fprintf(stderr, "engine_timer: the timer did not start\n");
        std::exit(1);
    }
    while (done.load(std::memory_order_acquire) < ticks)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    timer.stopAndWait();
    result.realtime = timer.realtime();
    result.us = std::move(samples);
    std::sort(result.us.begin(), result.us.end());
    return result;
}

double percentile(const std::vector<double>& sorted, double p)
{
    const size_t i = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
    return sorted[i];
}

void print(const char* label, const Lateness& l)
{
    std::printf("%-26s %-9s p50 %8.1f us  p99 %8.1f us  max %8.1f us\n", label,
                l.realtime ? "(granted)" : "(normal)", percentile(l.us, 0.50),
                percentile(l.us, 0.99), l.us.back());
}

} // namespace

int main(int argc, char** argv)
{
    const long asked = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    const size_t ticks = size_t(std::max(10L, asked));
    std::printf("engine timer wake lateness, period %u ms, %zu ticks per pass\n", kPeriodMs,
                ticks);
    print("normal scheduling", measure(false, ticks));
    print("SCHED_FIFO requested", measure(true, ticks));
    return 0;
}
