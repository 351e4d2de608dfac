#include "engine/refresh_poster.h"
#include "fake_gui_thread.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What the GUI handler saw, filled on the GUI thread.
class HandlerLog {
public:
    explicit HandlerLog(const FakeGuiThread& gui) : m_gui(gui) {}

    RefreshPoster::Handler handler()
    {
        return [this](uint32_t bits) {
            std::lock_guard lock(m_mutex);
            m_bits.push_back(bits);
            m_offGui = m_offGui || std::this_thread::get_id() != m_gui.id();
            if ((bits & kRefreshViews) && !SongMutex().heldByThisThread())
                m_viewsWithoutLock = true;
        };
    }

    std::vector<uint32_t> bits() const
    {
        std::lock_guard lock(m_mutex);
        return m_bits;
    }
    uint32_t allBits() const
    {
        uint32_t all = 0;
        for (uint32_t b : bits())
            all |= b;
        return all;
    }
    bool offGui() const { std::lock_guard lock(m_mutex); return m_offGui; }
    bool viewsWithoutLock() const { std::lock_guard lock(m_mutex); return m_viewsWithoutLock; }

private:
    const FakeGuiThread& m_gui;
    mutable std::mutex m_mutex;
    std::vector<uint32_t> m_bits;
    bool m_offGui = false;
    bool m_viewsWithoutLock = false;
};


TEST(EngineNotify, ThousandRefreshRequestsInAHundredMsGiveAtMostSevenPosts)
{
    FakeGuiThread gui;
    HandlerLog log(gui);
    RefreshPoster poster(gui, log.handler());

    // What the playback tick does: beat bits every time, views now and then,
    // and the song's end last.
    const auto first = Clock::now();
    for (int i = 0; i < 1000; ++i) {
        std::this_thread::sleep_until(first + i * 100us);
        uint32_t bits = kRefreshBeat;
        if (i % 10 == 0)
            bits |= kRefreshViews;
        if (i == 999)
            bits |= kRefreshSongEnded;
        poster.request(bits);
    }
    const auto span = Clock::now() - first;
    ASSERT_TRUE(eventually([&] { return log.allBits() & kRefreshSongEnded; }))
        << "the last bits never arrived";
    // A marker request after the burst: once its post has run, every post
    // the burst made has run before it.
    poster.request(kRefreshCueReached);
    ASSERT_TRUE(eventually([&] { return log.allBits() & kRefreshCueReached; }))
        << "the marker never arrived";
    ASSERT_EQ(log.bits().back(), uint32_t(kRefreshCueReached));
    const uint64_t posts = poster.postCount() - 1;

    // Posts are at least 1/60 s apart and each needs a request after the one
    // before it, so over `span` there are at most 1 + ceil(span / interval):
    // 7 for 100 ms.
    const double interval = 1000.0 / 60.0;
    const double spanMs = std::chrono::duration<double, std::milli>(span).count();
    const uint64_t bound = 1 + uint64_t(std::ceil(spanMs / interval));
    EXPECT_LE(posts, bound) << "requests took " << spanMs << " ms";
    if (spanMs <= 100.0) {
        EXPECT_LE(posts, 7u);
    }
    EXPECT_EQ(log.bits().size(), poster.postCount()) << "a post was lost or doubled";
    EXPECT_EQ(log.allBits(),
              uint32_t(kRefreshBeat | kRefreshViews | kRefreshSongEnded | kRefreshCueReached));
    EXPECT_FALSE(log.offGui());
    EXPECT_FALSE(log.viewsWithoutLock());
}

// A GUI queue that counts the calls posted and runs them only when asked.
class HeldGuiQueue : public IGuiThreadQueue {
public:
    void postToGui(std::function<void()> call) override
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    size_t count() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls.size();
    }
    void runAll()
    {
        std::vector<std::function<void()>> calls;
        {
            std::lock_guard lock(m_mutex);
            calls.swap(m_calls);
        }
        for (auto& call : calls)
            call();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::function<void()>> m_calls;
};

TEST(EngineNotify, RequestsForBitsAlreadyPendingDoNotWakeTheWorker)
{
    HeldGuiQueue gui;
    std::vector<uint32_t> handled;
    RefreshPoster poster(gui, [&handled](uint32_t bits) { handled.push_back(bits); });
    poster.request(kRefreshBeat);
    ASSERT_TRUE(eventually([&] { return gui.count() == 1; }));
    EXPECT_EQ(poster.wakeCount(), 1u);
    for (int i = 0; i < 100; ++i)
        poster.request(kRefreshBeat);
    EXPECT_EQ(poster.wakeCount(), 1u) << "the beat was pending all along";
    poster.request(kRefreshViews | kRefreshBeat); // one new bit wakes it
    EXPECT_EQ(poster.wakeCount(), 2u);
    gui.runAll();
    EXPECT_EQ(handled, std::vector<uint32_t>{kRefreshBeat | kRefreshViews});
    // Once handled, the next request is news again.
    poster.request(kRefreshBeat);
    EXPECT_EQ(poster.wakeCount(), 3u);
    ASSERT_TRUE(eventually([&] { return gui.count() == 1; }));
    gui.runAll();
    EXPECT_EQ(handled.back(), uint32_t(kRefreshBeat));
}

TEST(EngineNotify, RefreshWhoseSongMutexWaitTimesOutIsRetried)
{
    FakeGuiThread gui;
    HandlerLog log(gui);
    RefreshPosterOptions options;
    options.songLockWait = 20ms;
    options.minInterval = 1ms;
    RefreshPoster poster(gui, log.handler(), options);

    std::promise<void> release;
    std::promise<void> taken;
    std::thread editor([&] {
        LockGuard guard(SongMutex(), "edit the song");
        taken.set_value();
        release.get_future().wait();
    });
    taken.get_future().wait();

    poster.request(kRefreshViews | kRefreshCueReached);
    ASSERT_TRUE(eventually([&] { return poster.songLockTimeouts() >= 2; }));
    // The bits that need no lock went through at once; the views wait.
    EXPECT_EQ(log.allBits(), uint32_t(kRefreshCueReached));

    release.set_value();
    editor.join();
    ASSERT_TRUE(eventually([&] { return log.allBits() & kRefreshViews; }))
        << "the skipped refresh was never retried";
    // A marker request: once it has arrived, a second views pass would have
    // come before it or with it.
    poster.request(kRefreshBeat);
    ASSERT_TRUE(eventually([&] { return log.allBits() & kRefreshBeat; })) << "the marker never arrived";
    const std::vector<uint32_t> bits = log.bits();
    ASSERT_GE(bits.size(), 2u);
    EXPECT_EQ(bits[bits.size() - 2], uint32_t(kRefreshViews));
    EXPECT_EQ(bits.back(), uint32_t(kRefreshBeat));
    size_t viewPasses = 0;
    for (uint32_t b : bits)
        viewPasses += (b & kRefreshViews) ? 1 : 0;
    EXPECT_EQ(viewPasses, 1u) << "views ran again without a new request";
    EXPECT_FALSE(log.viewsWithoutLock());
}

TEST(EngineNotify, CallPostedBeforeThePosterEndedDoesNothing)
{
    FakeGuiThread gui;
    HandlerLog log(gui);
    std::promise<void> unblock;
    std::promise<void> blocked;
    gui.postToGui([&] {
        blocked.set_value();
        unblock.get_future().wait();
    });
    blocked.get_future().wait();
    {
        RefreshPoster poster(gui, log.handler());
        poster.request(kRefreshBeat);
        ASSERT_TRUE(eventually([&] { return poster.postCount() == 1; }));
    }
    unblock.set_value();
    gui.runAndWait([] {});
    EXPECT_TRUE(log.bits().empty());
}

} // namespace
} // namespace rz
