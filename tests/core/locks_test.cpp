#include "core/locks.h"
#include "core/ms_clock.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace rz {
namespace {

using namespace std::chrono_literals;

// Holds a lock on a thread of its own until release() or destruction.
class LockHolder {
public:
    explicit LockHolder(ProgramMutex& mutex)
    {
        std::promise<void> taken;
        m_thread = std::thread([&mutex, &taken, this] {
            LockGuard guard(mutex, "holding for a test");
            taken.set_value();
            m_release.get_future().wait();
        });
        taken.get_future().wait();
    }
    ~LockHolder() { release(); }
    void release()
    {
        if (m_thread.joinable()) {
            m_release.set_value();
            m_thread.join();
        }
    }

private:
    std::promise<void> m_release;
    std::thread m_thread;
};

// Installs a manual program clock for the test's lifetime.
class ClockScope {
public:
    explicit ClockScope(uint32_t startMs) : m_clock(startMs) { setProgramClock(&m_clock); }
    ~ClockScope() { setProgramClock(nullptr); }
    ManualMsClock& clock() { return m_clock; }

private:
    ManualMsClock m_clock;
};

TEST(EngineLocks, TimedOutGuardSkipsItsWorkAndLogsOncePerSecond)
{
    ClockScope clock(50000);
    ProgramMutex mutex("PlayListMutex");
    LockHolder holder(mutex);
    int pending = 3;
    auto drain = [&] { pending = 0; };

    testing::internal::CaptureStderr();
    EXPECT_FALSE(runLocked(mutex, "empty play lists", drain, 10ms));
    EXPECT_FALSE(runLocked(mutex, "empty play lists", drain, 10ms));
    clock.clock().advance(999);
    EXPECT_FALSE(runLocked(mutex, "empty play lists", drain, 10ms));
    const std::string withinSecond = testing::internal::GetCapturedStderr();

    EXPECT_EQ(pending, 3) << "work was done without the lock";
    EXPECT_EQ(withinSecond, "lock timeout: PlayListMutex in empty play lists\n");
    EXPECT_EQ(mutex.timeoutCount(), 3u);

    clock.clock().advance(1);
    testing::internal::CaptureStderr();
    LockGuard guard(mutex, "refill play lists", 10ms);
    EXPECT_FALSE(guard.owns());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lock timeout: PlayListMutex in refill play lists\n");

    holder.release();
    EXPECT_TRUE(runLocked(mutex, "empty play lists", drain, 10ms));
    EXPECT_EQ(pending, 0);
}

TEST(EngineLocks, RecursiveReentryWorksAndReleasesOnlyAtTheOutermostGuard)
{
    ProgramMutex mutex("RecursiveMutex");
    auto freeElsewhere = [&] {
        return std::async(std::launch::async, [&] {
                   LockGuard other = tryGuard(mutex);
                   return other.owns();
               }).get();
    };
    {
        LockGuard outer(mutex, "outer");
        ASSERT_TRUE(outer);
        {
            LockGuard inner(mutex, "inner", 10ms);
            EXPECT_TRUE(inner);
            EXPECT_TRUE(mutex.heldByThisThread());
        }
        EXPECT_TRUE(mutex.heldByThisThread());
        EXPECT_FALSE(freeElsewhere());
    }
    EXPECT_FALSE(mutex.heldByThisThread());
    EXPECT_TRUE(freeElsewhere());
    EXPECT_EQ(mutex.timeoutCount(), 0u);
}

TEST(EngineLocks, TryGuardNeverWaitsAndNeverLogs)
{
    ProgramMutex mutex("RealtimeMutex");
    {
        LockGuard free = tryGuard(mutex);
        EXPECT_TRUE(free.owns());
    }
    LockHolder holder(mutex);
    testing::internal::CaptureStderr();
    const auto before = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) {
        LockGuard busy = tryGuard(mutex);
        EXPECT_FALSE(busy.owns());
    }
    const auto spent = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(mutex.timeoutCount(), 0u);
    // A thousand waits of even 1 ms would take a second.
    EXPECT_LT(spent, 500ms);
}

TEST(EngineLocks, GuardedCounterStaysExactUnderContention)
{
    ProgramMutex mutex("CounterMutex");
    int counter = 0;
    auto bump = [&] {
        for (int i = 0; i < 20000; ++i) {
            if (i % 2) {
                LockGuard guard(mutex, "bump");
                ASSERT_TRUE(guard);
                ++counter;
            } else {
                while (!runLocked(mutex, "bump", [&] { ++counter; })) {
                }
            }
        }
    };
    std::thread a(bump), b(bump);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

// The priority the kernel runs a thread at, lent priority included (the
// "priority" field of its stat line): 20 at nice 0, -1 - p under
// SCHED_FIFO priority p.
int effectivePriority(pid_t thread)
{
    std::ifstream in("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    std::string field;
    for (int i = 3; i <= 18; ++i) // from the state to the priority
        fields >> field;
    return std::stoi(field);
}

bool realtimePermitted()
{
    return std::async(std::launch::async, [] {
               sched_param param{};
               param.sched_priority = 1;
               return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
           }).get();
}

template <class Lock>
using GuardOf = std::conditional_t<std::is_same_v<Lock, ProgramMutex>, LockGuard, PortGuard>;

// Holds a lock on a normal thread until released, telling its thread id.
template <class Lock>
class NormalHolder {
public:
    explicit NormalHolder(Lock& lock)
        : m_thread([this, &lock] {
              GuardOf<Lock> guard(lock, "GUI command");
              m_tid = gettid();
              while (!m_release)
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
          })
    {
        eventually([this] { return m_tid != 0; });
    }
    ~NormalHolder()
    {
        m_release = true;
        m_thread.join();
    }
    int priority() const { return effectivePriority(m_tid); }

private:
    std::atomic<pid_t> m_tid{0};
    std::atomic<bool> m_release{false};
    std::thread m_thread;
};

// A realtime thread (the timer's tick) waiting for the lock lends its
// priority to the normal thread holding it for as long as it waits, so the
// holder is never left unscheduled meanwhile; the wait still times out.
template <class Lock>
void expectPriorityLentWhileWaiting(Lock& lock)
{
    constexpr int kTickPriority = 5;
    constexpr int kLent = -1 - kTickPriority;
    auto tick = [&lock](std::chrono::milliseconds wait) {
        return std::async(std::launch::async, [&lock, wait] {
            sched_param param{};
            param.sched_priority = kTickPriority;
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
            GuardOf<Lock> guard(lock, "TimerProc", wait);
            return guard.owns();
        });
    };
    auto holder = std::make_unique<NormalHolder<Lock>>(lock);
    const int own = holder->priority();
    ASSERT_NE(own, kLent);

    testing::internal::CaptureStderr();
    auto timedOut = tick(2000ms);
    EXPECT_TRUE(eventually([&] { return holder->priority() == kLent; }))
        << "the holder runs at " << holder->priority() << " while a realtime thread waits";
    EXPECT_FALSE(timedOut.get());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(lock.timeoutCount(), 1u);
    EXPECT_TRUE(eventually([&] { return holder->priority() == own; }))
        << "the lent priority outlived the wait";

    auto taken = tick(10000ms);
    EXPECT_TRUE(eventually([&] { return holder->priority() == kLent; }));
    holder.reset();
    EXPECT_TRUE(taken.get());
}

TEST(EngineLocks, RealtimeWaiterLendsItsPriorityToTheHolderWhileItWaits)
{
    if (!realtimePermitted())
        GTEST_SKIP() << "SCHED_FIFO not permitted here";
    ProgramMutex mutex("TransportMutex of a test");
    expectPriorityLentWhileWaiting(mutex);
    PortSemaphore port("Out port of a test");
    expectPriorityLentWhileWaiting(port);
}

TEST(EngineLocks, LockOrderCheckAbortsWhenAudioIsTakenUnderTransport)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setLockOrderCheck(true);
    EXPECT_DEATH(
        {
            LockGuard transport(TransportMutex(), "start playback");
            LockGuard audio(AudioMutex(), "build play lists");
        },
        "lock order: AudioMutex taken while holding TransportMutex");
    EXPECT_DEATH(
        {
            LockGuard transport(TransportMutex(), "start playback");
            LockGuard audio = tryGuard(AudioMutex());
        },
        "AudioMutex taken while holding TransportMutex");
}

TEST(EngineLocks, LockOrderCheckAllowsTheOtherOrderAndLaterTakes)
{
    setLockOrderCheck(true);
    {
        LockGuard audio(AudioMutex(), "build play lists");
        LockGuard transport(TransportMutex(), "read state");
        EXPECT_TRUE(audio && transport);
    }
    {
        LockGuard transport(TransportMutex(), "start playback");
    }
    LockGuard audio(AudioMutex(), "play events");
    EXPECT_TRUE(audio);
}

TEST(EngineLocks, PortGuardIsNotRecursiveAndTimesOut)
{
    PortSemaphore port("Synth port");
    PortGuard first(port, "send a message");
    ASSERT_TRUE(first);
    testing::internal::CaptureStderr();
    PortGuard second(port, "reset the port", 10ms);
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(second);
    EXPECT_FALSE(tryGuard(port).owns());
    EXPECT_EQ(port.timeoutCount(), 1u);
    EXPECT_NE(logged.find("lock timeout: Synth port in reset the port\n"), std::string::npos)
        << logged;
}

TEST(EngineLocks, PortGuardPassesThePortBetweenThreads)
{
    PortSemaphore port("Out port");
    int sent = 0;
    auto send = [&] {
        for (int i = 0; i < 5000; ++i) {
            PortGuard guard(port, "send");
            ASSERT_TRUE(guard);
            ++sent;
        }
    };
    std::thread a(send), b(send);
    a.join();
    b.join();
    EXPECT_EQ(sent, 10000);
    EXPECT_TRUE(tryGuard(port).owns());
}

} // namespace
} // namespace rz
