#include "core/auto_reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace rz {
namespace {

using namespace std::chrono_literals;

TEST(AutoResetEvent, SignalsCoalesceAndClearAsTheWaiterReturns)
{
    AutoResetEvent event;
    EXPECT_FALSE(event.waitFor(1ms));
    event.set();
    event.set();
    event.set();
    EXPECT_TRUE(event.waitFor(1ms));
    EXPECT_FALSE(event.waitFor(1ms)) << "the event did not clear itself";
    EXPECT_FALSE(event.tryWait());
    event.set();
    EXPECT_TRUE(event.tryWait());
}

TEST(AutoResetEvent, WaiterOnAnotherThreadSeesEveryPublishedValue)
{
    // The setter publishes a counter and signals; the waiter must always see
    // the latest value once it wakes after the last signal.
    constexpr int kSignals = 20000;
    AutoResetEvent event;
    std::atomic<int> published{0};
    std::atomic<bool> sawDecrease{false};
    std::atomic<bool> lostSignal{false};
    std::thread waiter([&] {
        int last = 0;
        while (last < kSignals) {
            if (!event.waitFor(5s)) {
                lostSignal = true;
                return;
            }
            const int now = published.load(std::memory_order_relaxed);
            if (now < last)
                sawDecrease = true;
            last = now;
        }
    });
    for (int i = 1; i <= kSignals; ++i) {
        published.store(i, std::memory_order_relaxed);
        event.set();
    }
    waiter.join();
    EXPECT_FALSE(lostSignal) << "the last signal did not wake the waiter";
    EXPECT_FALSE(sawDecrease);
}

TEST(AutoResetEvent, WaitForTimesOutWithoutASignal)
{
    AutoResetEvent event;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.waitFor(20ms));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 20ms);
}

} // namespace
} // namespace rz
