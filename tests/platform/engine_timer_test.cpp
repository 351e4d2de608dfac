#include "platform/engine_timer.h"
#include "tests/support/manual_engine_timer.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Test timers use normal scheduling: realtime threads would only make a busy
// test machine slower. The serial timing test asks for SCHED_FIFO.
EngineTimerOptions normalScheduling()
{
    EngineTimerOptions options;
    options.realtime = false;
    return options;
}

// Polls until `done` or two seconds pass.
template <class Done>
bool eventually(Done done)
{
    const auto until = Clock::now() + 2s;
    while (!done()) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct ManualTick {
    uint32_t clockMs;
    uint32_t user;
    TickTime deadline;
};

TEST(EngineTimer, ManualTimerRunsDueTicksInOrderWithTheirUserValue)
{
    ManualEngineTimer timer(1000);
    std::vector<ManualTick> ticks;
    auto record = [&](uint32_t user) {
        ticks.push_back({timeGetTime(), user, currentTickTime()});
    };
    ASSERT_EQ(timer.startIdle(record, timeGetTime()), TimerStartResult::Started);
    timer.advance(3);
    EXPECT_TRUE(ticks.empty());
    timer.advance(7);
    EXPECT_EQ(timeGetTime(), 1010u);
    timer.stopAndWait();
    timer.advance(100);
    ASSERT_EQ(timer.startPlayback(2, record, 0), TimerStartResult::Started);
    timer.advance(5);

    const std::vector<uint32_t> clocks{1004, 1008, 1112, 1114};
    const std::vector<uint32_t> users{1000, 1000, 0, 0};
    ASSERT_EQ(ticks.size(), clocks.size());
    for (size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i].clockMs, clocks[i]) << "tick " << i;
        EXPECT_EQ(ticks[i].user, users[i]) << "tick " << i;
        EXPECT_EQ(ticks[i].deadline, TickTime(std::chrono::milliseconds(clocks[i])));
    }
    EXPECT_EQ(timeGetTime(), 1115u);
}

TEST(EngineTimer, ManualTimerStopsFromInsideACallbackAndReportsAnInjectedFailure)
{
    ManualEngineTimer timer;
    int calls = 0;
    ASSERT_EQ(timer.startPlayback(1,
                                  [&](uint32_t) {
                                      if (++calls == 3)
                                          timer.stopAndWait();
                                  },
                                  0),
              TimerStartResult::Started);
    timer.advance(10);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(timer.mode(), TimerMode::Off);

    timer.failNextStart();
    EXPECT_EQ(timer.startIdle([](uint32_t) {}, 0), TimerStartResult::NoThread);
    EXPECT_EQ(timer.mode(), TimerMode::Off);
    EXPECT_EQ(timer.startIdle([](uint32_t) {}, 0), TimerStartResult::Started);
}

TEST(EngineTimer, StartRefusesBadRequests)
{
    struct Case {
        TimerMode mode;
        uint32_t periodMs;
        bool withCallback;
        TimerStartResult expected;
    };
    const Case cases[] = {
        {TimerMode::Playback, 0, true, TimerStartResult::BadPeriod},
        {TimerMode::Playback, 1001, true, TimerStartResult::BadPeriod},
        {TimerMode::Idle, 0, true, TimerStartResult::BadPeriod},
        {TimerMode::Off, 2, true, TimerStartResult::BadMode},
        {TimerMode::Playback, 2, false, TimerStartResult::NoCallback},
        {TimerMode::Playback, 1, true, TimerStartResult::Started},
        {TimerMode::Playback, 1000, true, TimerStartResult::Started},
    };
    EngineTimer real(normalScheduling());
    ManualEngineTimer manual;
    for (IEngineTimer* timer : {static_cast<IEngineTimer*>(&real), static_cast<IEngineTimer*>(&manual)}) {
        for (const Case& c : cases) {
            TimerCallback callback;
            if (c.withCallback)
                callback = [](uint32_t) {};
            EXPECT_EQ(timer->start(c.mode, c.periodMs, callback, 0), c.expected)
                << "period " << c.periodMs;
            timer->stopAndWait();
        }
    }
}

TEST(EngineTimer, RealThreadDeadlinesFormAnExactSequence)
{
    struct Case {
        TimerMode mode;
        uint32_t periodMs;
        uint32_t user;
    };
    for (const Case c : {Case{TimerMode::Idle, kIdleTimerPeriodMs, 70000}, Case{TimerMode::Playback, 3, 0}}) {
        constexpr size_t kTicks = 40;
        std::array<TickTime, kTicks> deadlines{};
        std::array<TickTime, kTicks> woke{};
        std::atomic<size_t> count{0};
        std::atomic<bool> wrongUser{false};
        EngineTimer timer(normalScheduling());
        auto record = [&](uint32_t user) {
            const size_t i = count.load();
            if (i >= kTicks)
                return;
            deadlines[i] = currentTickTime();
            woke[i] = Clock::now();
            wrongUser = wrongUser || user != c.user;
            count = i + 1;
        };
        ASSERT_EQ(timer.start(c.mode, c.periodMs, record, c.user), TimerStartResult::Started);
        ASSERT_TRUE(eventually([&] { return count.load() == kTicks; }));
        timer.stopAndWait();

        EXPECT_FALSE(wrongUser);
        const auto period = std::chrono::milliseconds(c.periodMs);
        uint64_t breaks = 0;
        for (size_t i = 0; i + 1 < kTicks; ++i) {
            if (deadlines[i + 1] - deadlines[i] != period)
                ++breaks;
            EXPECT_GE(woke[i], deadlines[i]) << "tick " << i << " ran early";
        }
        // Only a re-anchoring after an overrun may break the sequence.
        EXPECT_LE(breaks, timer.overrunCount()) << "period " << c.periodMs;
        EXPECT_NE(currentTickTime(), deadlines[0]) << "the tick time leaked off the timer thread";
    }
}

// A callback held up far past the lateness limit: the ticks of the gap are
// left out, and the next one runs with a deadline of the same schedule, the
// latest one passed, so a clock that follows the deadlines loses nothing.
TEST(EngineTimer, AfterAStallTheScheduleIsKept)
{
    constexpr auto kPeriod = 2ms;
    constexpr size_t kTicks = 6;
    std::array<TickTime, kTicks> deadlines{};
    std::atomic<size_t> count{0};
    TickTime stallEnd{};
    EngineTimer timer(normalScheduling());
    auto record = [&](uint32_t) {
        const size_t i = count.load();
        if (i >= kTicks)
            return;
        deadlines[i] = currentTickTime();
        if (i == 1) {
            // The stall under test, not a wait: a loaded machine only lengthens it.
            std::this_thread::sleep_for(150ms);
            stallEnd = Clock::now();
        }
        count = i + 1;
    };
    ASSERT_EQ(timer.startPlayback(2, record, 0), TimerStartResult::Started);
    ASSERT_TRUE(eventually([&] { return count.load() == kTicks; }));
    timer.stopAndWait();
    EXPECT_GE(timer.overrunCount(), 1u);
    for (size_t i = 1; i < kTicks; ++i)
        EXPECT_EQ((deadlines[i] - deadlines[0]) % kPeriod, Clock::duration::zero()) << "tick " << i;
    EXPECT_GE(deadlines[2], stallEnd - 100ms - kPeriod) << "the gap's ticks ran late instead";
}

TEST(EngineTimer, APlaybackStartsWithATickDueAtOnceEvenWhileTheIdleRunSleeps)
{
    EngineTimer timer(normalScheduling());
    ASSERT_EQ(timer.startIdle([](uint32_t) {}, 0), TimerStartResult::Started);
    // Paces the idle run: it is asleep towards its next tick.
    std::this_thread::sleep_for(1ms);
    std::atomic<bool> ticked{false};
    TickTime first{};
    const auto record = [&](uint32_t) {
        if (!ticked.load()) {
            first = currentTickTime();
            ticked = true;
        }
    };
    const TickTime before = Clock::now();
    ASSERT_EQ(timer.startPlayback(1000, record, 0), TimerStartResult::Started);
    const TickTime after = Clock::now();
    ASSERT_TRUE(eventually([&] { return ticked.load(); }));
    timer.stopAndWait();
    EXPECT_GE(first, before);
    EXPECT_LE(first, after) << "the first tick was due a period after the start";
}

TEST(EngineTimer, StartStopStressFromTwoThreadsLeavesNoCallbackAfterStopAndWait)
{
    constexpr uint32_t kRunsPerThread = 300;
    EngineTimer timer(normalScheduling());
    std::vector<std::atomic<bool>> stopped(2 * kRunsPerThread + 1);
    std::atomic<int> lateCallbacks{0};
    std::atomic<int> callbacks{0};
    auto onTick = [&](uint32_t run) {
        ++callbacks;
        if (stopped[run].load())
            ++lateCallbacks;
        // Paces the callback: a stop may come while it runs.
        std::this_thread::sleep_for(50us);
        if (stopped[run].load())
            ++lateCallbacks;
    };
    auto churn = [&](uint32_t firstRun) {
        for (uint32_t run = firstRun; run < firstRun + kRunsPerThread; ++run) {
            const TimerMode mode = run % 2 ? TimerMode::Idle : TimerMode::Playback;
            ASSERT_EQ(timer.start(mode, 1, onTick, run), TimerStartResult::Started);
            // Paces the churn: runs of different lengths.
            std::this_thread::sleep_for(std::chrono::microseconds(run % 7 * 300));
            timer.stopAndWait();
            stopped[run] = true;
        }
    };
    std::thread a(churn, 1);
    std::thread b(churn, 1 + kRunsPerThread);
    a.join();
    b.join();
    EXPECT_EQ(timer.mode(), TimerMode::Off);
    // The timer's one thread runs callbacks in order: once a later run has
    // ticked, no callback of the stopped runs can still come.
    std::atomic<bool> sentinel{false};
    ASSERT_EQ(timer.startIdle([&](uint32_t) { sentinel = true; }, 0), TimerStartResult::Started);
    ASSERT_TRUE(eventually([&] { return sentinel.load(); }));
    timer.stopAndWait();
    EXPECT_EQ(lateCallbacks.load(), 0);
    EXPECT_GT(callbacks.load(), 0);
}

TEST(EngineTimer, StopFromInsideACallbackDoesNotDeadlock)
{
    EngineTimer timer(normalScheduling());
    std::atomic<int> calls{0};
    ASSERT_EQ(timer.startPlayback(1,
                                  [&](uint32_t) {
                                      if (++calls == 3)
                                          timer.stopAndWait();
                                  },
                                  0),
              TimerStartResult::Started);
    ASSERT_TRUE(eventually([&] { return timer.mode() == TimerMode::Off; }));
    timer.stopAndWait();
    // The thread is still there for the next run, and once that run has
    // ticked the stopped one can call no more.
    std::atomic<bool> restarted{false};
    ASSERT_EQ(timer.startIdle([&](uint32_t) { restarted = true; }, 0), TimerStartResult::Started);
    EXPECT_TRUE(eventually([&] { return restarted.load(); }));
    timer.stopAndWait();
    EXPECT_EQ(calls.load(), 3);
}

class ThreadlessTimer : public EngineTimer {
public:
    ThreadlessTimer() : EngineTimer(normalScheduling()) {}

protected:
    bool spawnThread(std::function<void()>) override { return false; }
};

TEST(EngineTimer, InjectedStartFailureIsReported)
{
    ThreadlessTimer timer;
    EXPECT_EQ(timer.startPlayback(2, [](uint32_t) {}, 0), TimerStartResult::NoThread);
    EXPECT_EQ(timer.mode(), TimerMode::Off);
    timer.stopAndWait();
}

TEST(EngineTimer, ThrowingCallbackIsCountedLoggedOnceAndTheTimerRunsOn)
{
    EngineTimer timer(normalScheduling());
    std::atomic<int> calls{0};
    testing::internal::CaptureStderr();
    ASSERT_EQ(timer.startPlayback(1,
                                  [&](uint32_t) {
                                      if (++calls <= 2)
                                          throw std::runtime_error("port vanished");
                                  },
                                  0),
              TimerStartResult::Started);
    const bool ranOn = eventually([&] { return calls.load() >= 6; });
    timer.stopAndWait();
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ranOn);
    EXPECT_EQ(timer.failedCallbackCount(), 2u);
    EXPECT_EQ(logged, "engine timer: a callback threw (port vanished); the timer runs on\n");
}

} // namespace
} // namespace rz
