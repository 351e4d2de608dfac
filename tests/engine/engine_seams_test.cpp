#include "core/engine_gui_values.h"
#include "core/locks.h"
#include "engine/gui_posts.h"
#include "engine/refresh_poster.h"
#include "tests/support/queued_engine_host.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

// A GUI thread with the recording GUI side, and the engine's adapter over it.
struct GuiFixture {
    QueuedEngineHost gui;
    EngineToGui posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
};

// Keeps the GUI thread busy inside a call until release(): holding the
// TransportMutex, or waiting for it.
class BusyGui {
public:
    enum class Lock { Hold, WaitFor };

    BusyGui(QueuedEngineHost& gui, Lock lock)
    {
        gui.postToGui([this, lock] {
            if (lock == Lock::WaitFor)
                m_busy.set_value();
            LockGuard guard(TransportMutex(), "GUI command");
            m_owned = guard.owns();
            if (lock == Lock::Hold)
                m_busy.set_value();
            m_release.get_future().wait();
        });
        m_busy.get_future().wait();
    }
    void release() { m_release.set_value(); }
    // Read after the GUI thread was drained.
    bool owned() const { return m_owned; }

private:
    std::promise<void> m_busy;
    std::promise<void> m_release;
    bool m_owned = false;
};

// Runs `work` on a thread of its own, the way the timer or MIDI thread would,
// and tells whether it finished within `limit`.
template <class Work>
bool finishesOnEngineThread(Work work, std::chrono::milliseconds limit, std::thread& thread)
{
    std::promise<void> done;
    auto finished = done.get_future();
    thread = std::thread([work = std::move(work), done = std::move(done)]() mutable {
        work();
        done.set_value();
    });
    return finished.wait_for(limit) == std::future_status::ready;
}

TEST(EngineNotify, PostsReturnWhileTheGuiThreadHoldsTheTransportMutex)
{
    GuiFixture f;
    int item = 0;
    const SetItemHandle handle = reinterpret_cast<SetItemHandle>(&item);
    BusyGui busy(f.gui, BusyGui::Lock::Hold);

    std::thread engine;
    const bool returned = finishesOnEngineThread(
        [&] {
            f.posts.transportChanged();
            f.posts.selectSetSong(5);
            f.posts.externalControlPress(0x0123'0007, 0x7F3C90);
            f.posts.setFrameTimer(FrameTimer::SongEnded);
            f.posts.setFrameTimer(FrameTimer::SkipSwitched);
            f.posts.setFrameTimer(FrameTimer::TempoReturn);
            f.posts.playCue();
            f.posts.tempoMultiplierChanged();
            f.posts.CancelAdvance(false);
            f.posts.OnSongChanged();
            f.posts.UpdateAllViews();
            f.posts.DrawSpectrum(0.5);
            f.posts.LearnMidi(2, 0x403090);
            f.posts.startCueTimer();
            f.posts.setCurrentItem(handle);
            f.posts.RefreshMarkerStates();
            f.posts.UpdateTrackSynths();
            f.posts.clearAttachedFlags();
        },
        1000ms, engine);
    EXPECT_TRUE(returned) << "a post waited for the GUI thread";
    EXPECT_TRUE(f.gui.recorder.calls().empty()) << "a call ran off the GUI thread";

    busy.release();
    engine.join();
    f.gui.drain();
    Calls calls = f.gui.recorder.calls();
    ASSERT_EQ(calls.size(), 18u);
    // Pointers print in the platform's format; compare that call apart.
    EXPECT_EQ(calls[14].rfind("setCurrentItem(", 0), 0u);
    calls[14] = "setCurrentItem";
    EXPECT_EQ(calls, (Calls{
                         "transportChanged()",
                         "selectSetSong(5)",
                         "OnExternalControl(press,19070983,8338576)",
                         "setFrameTimer(666)",
                         "setFrameTimer(665)",
                         "setFrameTimer(100)",
                         "playCue()",
                         "tempoMultiplierChanged()",
                         "CancelAdvance(0)",
                         "OnSongChanged()",
                         "UpdateAllViews()",
                         "DrawSpectrum(0.5)",
                         "LearnMidi(2,4206736)",
                         "startCueTimer()",
                         "setCurrentItem",
                         "RefreshMarkerStates()",
                         "UpdateTrackSynths()",
                         "clearAttachedFlags()",
                     }));
    EXPECT_TRUE(f.gui.recorder.allOn(f.gui.guiThreadId()));
    EXPECT_EQ(f.gui.recorder.currentItem(), handle);
    EXPECT_TRUE(busy.owned());
}

// The deadlock a synchronous transport message would cause: the engine holds
// the TransportMutex and notifies while the GUI thread waits for that lock.
TEST(EngineNotify, PostsReturnWhileTheGuiThreadWaitsForTheTransportMutex)
{
    GuiFixture f;
    std::promise<void> engineHolds;
    std::promise<void> guiWaits;
    std::thread engine([&] {
        LockGuard guard(TransportMutex(), "transport change");
        engineHolds.set_value();
        guiWaits.get_future().wait();
        eventually([] { return TransportMutex().waiting() > 0; });
        f.posts.transportChanged();
        f.posts.OnSongChanged();
    });
    engineHolds.get_future().wait();
    f.gui.postToGui([&] { guiWaits.set_value(); });
    BusyGui busy(f.gui, BusyGui::Lock::WaitFor);
    engine.join();
    busy.release();
    f.gui.drain();

    EXPECT_TRUE(busy.owned()) << "the GUI's wait timed out: the engine was stuck in a post";
    EXPECT_EQ(f.gui.recorder.calls(), (Calls{"transportChanged()", "OnSongChanged()"}));
    EXPECT_TRUE(f.gui.recorder.allOn(f.gui.guiThreadId()));
}

// The three forms of external control from the MIDI thread, in the order sent; a
// key-map entry equal to a release or bend code still arrives as a press.
TEST(EngineNotify, ExternalControlCodesReachTheGuiInOrder)
{
    GuiFixture f;
    std::thread midi([&] {
        f.posts.externalControlPress(0x0000'3C01, 0x7F3C90); // note 60 on channel 1
        f.posts.tempoBend(0x7F7FE0);                        // bend fully up
        f.posts.tempoBend(0x4000E0);                        // centred
        f.posts.externalControlRelease();
        f.posts.externalControlPress(kReleaseEntry, 0x640090);
        f.posts.externalControlPress(kTempoBendEntry, 0x7F0090);
    });
    midi.join();
    f.gui.drain();

    EXPECT_EQ(f.gui.recorder.calls(), (Calls{
                                          "OnExternalControl(press,15361,8338576)",
                                          "OnExternalControl(bend,100,8355808)",
                                          "OnExternalControl(bend,100,4194528)",
                                          "OnExternalControl(release,0,0)",
                                          "OnExternalControl(press,0,6553744)",
                                          "OnExternalControl(press,100,8323216)",
                                      }));
    EXPECT_TRUE(f.gui.recorder.allOn(f.gui.guiThreadId()));
}

// A GUI command that calls the engine, which calls back: on the GUI thread the
// call runs at once, so the engine goes on knowing its effect (Advance calls
// CancelAdvance first, which may move to the next song).
TEST(EngineNotify, CallsMadeOnTheGuiThreadRunAtOnce)
{
    GuiFixture f;
    size_t seenRightAfter = 0;
    uint64_t postsBefore = 0;
    uint64_t postsAfter = 0;
    f.gui.runAndWait([&] {
        postsBefore = f.gui.postedCount();
        f.posts.CancelAdvance(true);
        seenRightAfter = f.gui.recorder.count("CancelAdvance");
        postsAfter = f.gui.postedCount();
    });

    EXPECT_EQ(seenRightAfter, 1u);
    EXPECT_EQ(postsAfter, postsBefore) << "a call on the GUI thread was posted";
    EXPECT_EQ(f.gui.recorder.calls(), (Calls{"CancelAdvance(1)"}));
}

TEST(EngineNotify, OutOfRangeArgumentsSendNothing)
{
    struct Case {
        const char* what;
        bool (*send)(EngineToGui&);
        bool accepted;
    };
    const Case cases[] = {
        {"song 0", [](EngineToGui& p) { return p.selectSetSong(0); }, true},
        {"song 127", [](EngineToGui& p) { return p.selectSetSong(127); }, true},
        {"song -1", [](EngineToGui& p) { return p.selectSetSong(-1); }, false},
        {"song 128", [](EngineToGui& p) { return p.selectSetSong(128); }, false},
    };
    for (const Case& c : cases) {
        GuiFixture f;
        EXPECT_EQ(c.send(f.posts), c.accepted) << c.what;
        f.gui.drain();
        EXPECT_EQ(f.gui.recorder.calls().size(), c.accepted ? 1u : 0u) << c.what;
    }
}

TEST(EngineNotify, CallsStillQueuedWhenTheAdapterIsDestroyedDoNothing)
{
    QueuedEngineHost gui;
    BusyGui busy(gui, BusyGui::Lock::Hold);
    {
        EngineToGui posts(gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder);
        posts.transportChanged();
        posts.UpdateAllViews();
    }
    busy.release();
    gui.drain();
    EXPECT_TRUE(gui.recorder.calls().empty());
}

// The refresh worker's post runs the pass on the GUI thread under the
// SongMutex, in the engine's view order whatever order the views opened in.
TEST(EngineSeams, FollowPlaybackPassRunsOnTheGuiThreadInViewOrder)
{
    GuiFixture f;
    f.gui.recorder.openViews = {FollowView::Velocity, FollowView::Lyric, FollowView::Tempo,
                                FollowView::Track, FollowView::Slider};
    f.gui.recorder.tornOffWindows = 2;
    std::atomic<int> passes{0};
    std::atomic<bool> refused{false};
    {
        RefreshPoster poster(f.gui, [&](uint32_t bits) {
            if (!(bits & kRefreshViews))
                return;
            f.posts.OnSongChanged();
            if (f.posts.followPlayback())
                ++passes;
            else
                refused = true;
        });
        poster.request(kRefreshViews);
        eventually([&] { return passes > 0 || refused; });
        f.gui.drain();
    }

    EXPECT_FALSE(refused);
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(f.gui.recorder.calls(), (Calls{
                                          "OnSongChanged()",
                                          "followPlayback(tempo)",
                                          "followPlayback(lyric)",
                                          "followPlayback(slider)",
                                          "followPlayback(track)",
                                          "followPlayback(velocity)",
                                          "followTornOffWindow(1)",
                                          "followTornOffWindow(0)",
                                      }));
    EXPECT_TRUE(f.gui.recorder.allOn(f.gui.guiThreadId()));
}

TEST(EngineSeams, ViewsAreReadAndFollowedOnlyOnTheGuiThread)
{
    GuiFixture f;
    f.gui.recorder.openViews = {FollowView::Staff};
    f.gui.recorder.rows = TrackViewRows{3, {1, 3, 4}};

    {
        LockGuard song(SongMutex(), "engine thread");
        EXPECT_FALSE(f.posts.followPlayback()) << "followed off the GUI thread";
        EXPECT_FALSE(f.posts.trackViewRows().has_value()) << "read off the GUI thread";
    }
    bool withoutLock = true;
    bool withLock = false;
    std::optional<TrackViewRows> rows;
    f.gui.runAndWait([&] {
        withoutLock = f.posts.followPlayback();
        LockGuard song(SongMutex(), "refresh views");
        withLock = f.posts.followPlayback();
        rows = f.posts.trackViewRows();
    });

    EXPECT_FALSE(withoutLock) << "followed without the SongMutex";
    EXPECT_TRUE(withLock);
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->currentRow, 3);
    EXPECT_EQ(rows->selectedRows, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(f.gui.recorder.calls(), (Calls{"followPlayback(staff)", "trackViewRows()"}));
    EXPECT_TRUE(f.gui.recorder.allOn(f.gui.guiThreadId()));
}

TEST(GuiToEngineValues, StartValuesAndClamping)
{
    GuiToEngineValues values;
    EXPECT_EQ(values.masterFader(), 16383);
    EXPECT_EQ(values.currentNoteLength(), 0);
    EXPECT_FALSE(values.spectrumShown());
    EXPECT_FALSE(values.shiftHeld());
    EXPECT_FALSE(values.patchListOpen());
    EXPECT_FALSE(values.controlMapLearning());
    EXPECT_FALSE(values.faderDrag().has_value());

    const struct {
        int32_t set;
        int32_t fader;
        int32_t noteLength;
    } cases[] = {{-1, 0, 0}, {0, 0, 0}, {480, 480, 480}, {16383, 16383, 16383},
                 {16384, 16383, 16384}, {INT32_MAX, 16383, INT32_MAX}};
    for (const auto& c : cases) {
        values.setMasterFader(c.set);
        values.setCurrentNoteLength(c.set);
        EXPECT_EQ(values.masterFader(), c.fader) << c.set;
        EXPECT_EQ(values.currentNoteLength(), c.noteLength) << c.set;
    }
}

TEST(GuiToEngineValues, FaderDragKeepsEveryFieldAndRefusesBadPorts)
{
    const struct {
        FaderDrag drag;
        bool accepted;
    } cases[] = {
        {{0, 0xB0, 7}, true},
        {{3, 0xE5, 0}, true},
        {{kMaxFaderDragPort, 0xFF, 0xFF}, true},
        {{-1, 0xB0, 7}, false},
        {{kMaxFaderDragPort + 1, 0xB0, 7}, false},
    };
    for (const auto& c : cases) {
        GuiToEngineValues values;
        values.setFaderDrag({1, 0xD0, 0});
        EXPECT_EQ(values.setFaderDrag(c.drag), c.accepted) << c.drag.port;
        const FaderDrag expected = c.accepted ? c.drag : FaderDrag{1, 0xD0, 0};
        ASSERT_TRUE(values.faderDrag().has_value());
        EXPECT_EQ(*values.faderDrag(), expected) << c.drag.port;
        values.clearFaderDrag();
        EXPECT_FALSE(values.faderDrag().has_value());
    }
}

// The GUI thread moves between two faders while the tick reads: every read is
// one whole drag or none, never fields of both.
TEST(GuiToEngineValues, ReaderNeverSeesHalfAFaderDrag)
{
    GuiToEngineValues values;
    const FaderDrag a{3, 0xB0, 7};
    const FaderDrag b{kMaxFaderDragPort, 0xE5, 0x7F};
    std::atomic<bool> writing{true};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (writing.load(std::memory_order_acquire)) {
            const std::optional<FaderDrag> seen = values.faderDrag();
            if (seen && *seen != a && *seen != b)
                ++torn;
        }
    });
    for (int i = 0; i < 20000; ++i) {
        values.setFaderDrag(a);
        values.setFaderDrag(b);
        if (i % 3 == 0)
            values.clearFaderDrag();
    }
    writing.store(false, std::memory_order_release);
    reader.join();
    EXPECT_EQ(torn, 0);
}

} // namespace
} // namespace rz
