#include "app/frame_timers.h"
#include "tests/app/gui_events.h"
#include "ui/gui_post.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace rz {
namespace {

class FrameTimerCalls : public testing::Test {
protected:
    // Kills its timer like the one-shot ids of the main frame do.
    FrameTimers timers{[this](int id) {
        calls.push_back(id);
        callThreads.push_back(std::this_thread::get_id());
        timers.kill(id);
    }};
    std::vector<int> calls;
    std::vector<std::thread::id> callThreads;
};

TEST_F(FrameTimerCalls, FrameTimersMergeTwoStartsIntoOneCall)
{
    timers.start(4, 20);
    timers.start(4, 20);
    EXPECT_TRUE(timers.isActive(4));
    ASSERT_TRUE(processUntil([&] { return !calls.empty(); }));
    ASSERT_TRUE(processPastMarker(80));
    EXPECT_EQ(calls, std::vector<int>{4});
    EXPECT_FALSE(timers.isActive(4));
}

TEST_F(FrameTimerCalls, FrameTimersKilledBeforeFiringNeverCall)
{
    timers.start(11, 10);
    timers.start(12, 10);
    timers.kill(11);
    EXPECT_FALSE(timers.isActive(11));
    ASSERT_TRUE(processUntil([&] { return !calls.empty(); }));
    ASSERT_TRUE(processPastMarker(50));
    EXPECT_EQ(calls, std::vector<int>{12});
}

TEST(FrameTimers, RepeatUntilTheHandlerKillsThem)
{
    int ticks = 0;
    FrameTimers* self = nullptr;
    FrameTimers timers([&](int id) {
        if (++ticks == 3)
            self->kill(id);
    });
    self = &timers;
    timers.start(667, 5);
    ASSERT_TRUE(processUntil([&] { return ticks >= 3; }));
    ASSERT_TRUE(processPastMarker(40));
    EXPECT_EQ(ticks, 3);

    timers.fire(999); // tests drive the handler directly
    EXPECT_EQ(ticks, 4);
}

TEST_F(FrameTimerCalls, FrameTimersAndGuiPostFromAnotherThreadNeverWaitForTheGuiThread)
{
    QtGuiThreadQueue gui;
    std::vector<std::thread::id> postThreads;
    std::promise<void> callsReturned;
    std::chrono::steady_clock::duration callTime{};
    std::thread engine([&] {
        const auto start = std::chrono::steady_clock::now();
        timers.requestFromAnyThread(666, 1);
        gui.postToGui([&] { postThreads.push_back(std::this_thread::get_id()); });
        callTime = std::chrono::steady_clock::now() - start;
        callsReturned.set_value();
    });
    // The GUI thread is busy (blocked here) while the engine thread calls.
    ASSERT_EQ(callsReturned.get_future().wait_for(std::chrono::seconds(5)),
              std::future_status::ready);
    engine.join();
    EXPECT_LT(callTime, std::chrono::milliseconds(500));
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(postThreads.empty());

    ASSERT_TRUE(processUntil([&] { return !calls.empty() && !postThreads.empty(); }));
    ASSERT_TRUE(processPastMarker(30));
    EXPECT_EQ(calls, std::vector<int>{666});
    ASSERT_EQ(postThreads.size(), 1u);
    EXPECT_EQ(postThreads[0], std::this_thread::get_id());
    EXPECT_EQ(callThreads[0], std::this_thread::get_id());
}

TEST(GuiPost, RunsCallsInTheOrderPosted)
{
    QtGuiThreadQueue gui;
    std::vector<int> order;
    std::thread engine([&] {
        for (int i = 0; i < 100; ++i)
            gui.postToGui([&order, i] { order.push_back(i); });
    });
    engine.join();
    ASSERT_TRUE(processUntil([&] { return order.size() == 100; }));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[size_t(i)], i);
}

} // namespace
} // namespace rz
