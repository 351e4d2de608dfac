#include "core/locks.h"
#include "core/ms_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

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
