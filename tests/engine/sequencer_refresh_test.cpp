// The refresh pass on the GUI thread: the beat display, then the views that
// follow playback in their fixed order, under the SongMutex.

#include "tests/engine/sequencer_fixture.h"
#include "tests/support/lock_holder.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

class SequencerRefresh : public SequencerTest {
protected:
    void SetUp() override
    {
        gui.recorder.openViews = {FollowView::Velocity, FollowView::Tempo, FollowView::Slider,
                                  FollowView::Lyric};
        gui.recorder.tornOffWindows = 2;
    }

    // Runs the pass on the GUI thread as the refresh poster would.
    void runPass(uint32_t bits)
    {
        gui.runAndWait([&] {
            LockGuard guard(SongMutex(), "test");
            sequencer->RefreshThreadProc(bits);
        });
    }

    // Waits until the recorder holds a call of that name.
    bool waitFor(const std::string& name, std::chrono::milliseconds limit)
    {
        return eventually(
            [&] {
                gui.drain();
                return gui.recorder.count(name) > 0;
            },
            limit);
    }
};

const std::vector<std::string> kViewPass = {
    "OnSongChanged()",          "followPlayback(tempo)",  "followPlayback(lyric)",
    "followPlayback(slider)",   "followPlayback(velocity)", "followTornOffWindow(1)",
    "followTornOffWindow(0)",
};

TEST_F(SequencerRefresh, ViewsBitRunsOnSongChangedThenTheViewsInOrderThenTornOffWindowsBackwards)
{
    make().Init();
    makeSong();
    gui.drain();
    gui.recorder.clear();
    runPass(kRefreshViews);
    EXPECT_EQ(gui.recorder.calls(), kViewPass);
    EXPECT_TRUE(gui.recorder.allOn(gui.guiThreadId()));
}

TEST_F(SequencerRefresh, BeatBitDrawsThePhaseAndWithoutASongNoViewFollows)
{
    make().Init();
    gui.drain();
    gui.recorder.clear();
    runPass(kRefreshBeat | kRefreshViews);
    EXPECT_EQ(gui.recorder.calls(),
              (std::vector<std::string>{"DrawSpectrum(0)", "OnSongChanged()"}));
}

TEST_F(SequencerRefresh, PlayingDrawsTheBeatOnEveryPass)
{
    make().Init();
    sequencer->setTransportState(TransportState::Playing);
    gui.drain();
    gui.recorder.clear();
    runPass(kRefreshViews);
    EXPECT_EQ(gui.recorder.count("DrawSpectrum"), 1u);
}

TEST_F(SequencerRefresh, ViewsWhoseSongMutexWaitTimesOutAreRetried)
{
    SequencerOptions options;
    options.refresh.songLockWait = 20ms;
    options.refresh.minInterval = 1ms;
    make(options).Init();
    makeSong();
    LockHolder holder(SongMutex());
    gui.drain();
    gui.recorder.clear();

    const uint64_t timeouts = SongMutex().timeoutCount();
    sequencer->requestRefresh(kRefreshViews);
    ASSERT_TRUE(eventually([&] {
        gui.drain();
        return SongMutex().timeoutCount() > timeouts;
    }));
    EXPECT_EQ(gui.recorder.count("OnSongChanged"), 0u) << "no view work without the lock";

    holder.release();
    ASSERT_TRUE(waitFor("followTornOffWindow", 2s));
    EXPECT_EQ(gui.recorder.calls(), kViewPass);
}

} // namespace
} // namespace rz
