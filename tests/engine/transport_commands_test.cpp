// The transport commands on the manual timer: starts, the Play/Cue
// debounce, following external sync, a timer that will not start, pause
// and stop, lock waits that time out, and the timer started with the lock
// free.

#include "tests/engine/transport_fixture.h"
#include "tests/support/lock_holder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;
using test::controller;
using test::note;

using TransportCommands = TransportTest;

TEST_F(TransportCommands, PlayWhileStartingReplacesTheStartOnlyWithForce)
{
    const struct {
        bool force;
        int32_t located;
    } cases[] = {{false, 0}, {true, 240}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.force ? "force" : "no force");
        TearDown();
        init();
        makeSongWith({note(1800, 60, 90, 60)});
        sequencer->Play(0, true, false);
        ASSERT_EQ(sequencer->transportState(), TransportState::Starting);
        sequencer->Play(240, c.force, false);
        EXPECT_EQ(sequencer->transportState(), TransportState::Starting);
        runTicks(1);
        EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
        EXPECT_EQ(sequencer->position(), c.located);
        EXPECT_EQ(song->position(), c.located);
    }
}

TEST_F(TransportCommands, PlayWhilePlayingJumpsAndRelativeStartsCountFromThePosition)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    startAt(100);
    sequencer->Play(480, false, false);
    runTicks(1);
    EXPECT_EQ(sequencer->position(), 480);
    sequencer->Play(-120, false, true);
    runTicks(1);
    EXPECT_EQ(sequencer->position(), 360);
}

TEST_F(TransportCommands, TwoPlayCuesWithin100msActOnce)
{
    const struct {
        uint32_t gapMs;
        TransportState after;
    } cases[] = {{98, TransportState::Paused}, {100, TransportState::Starting}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gapMs);
        TearDown();
        init();
        makeSongWith({note(1800, 60, 90, 60)});
        const uint32_t first = timeGetTime();
        sequencer->Advance(false);
        runTicks(1);
        ASSERT_EQ(sequencer->transportState(), TransportState::Playing);
        sequencer->Pause();
        timer.advance(first + c.gapMs - timeGetTime());
        sequencer->Advance(false);
        EXPECT_EQ(sequencer->transportState(), c.after);
    }
}

TEST_F(TransportCommands, AdvanceFromStoppedStartsAtTheSongsPositionAndTellsTheFrame)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    song->setPosition(240);
    gui.drain();
    gui.recorder.clear();
    sequencer->Advance(false);
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), 240);
    gui.drain();
    const auto calls = gui.recorder.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "CancelAdvance(1)") << "the set advance is cancelled first";
    EXPECT_EQ(gui.recorder.count("transportChanged"), 1u);
}

TEST_F(TransportCommands, FollowingExternalSyncPlayWaitsInStartingWithNoTimer)
{
    profile.writeInt("SyncOptions", "MasterSlave", 2);
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    sequencer->Play(0, true, false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting);
    EXPECT_EQ(timer.mode(), TimerMode::Off);
    runTicks(10);
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting) << "no tick runs";
    sequencer->Pause();
    EXPECT_EQ(sequencer->transportState(), TransportState::Paused);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
}

TEST_F(TransportCommands, ATimerThatCannotStartLeavesStoppedAndTheIdleTimerRunning)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    timer.failNextStart();
    sequencer->Advance(false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
}

// A realtime timer thread runs its first tick as soon as the start wakes it,
// while Play may not have returned: that tick must not wait for Play's lock.
TEST_F(TransportCommands, TheFirstTickOfAStartRunsAtOnceEvenBeforePlayReturns)
{
    for (const bool fromPause : {false, true}) {
        SCOPED_TRACE(fromPause ? "from Paused" : "from Stopped");
        TearDown();
        SequencerOptions options;
        options.lockWait = 50ms;
        init(options);
        makeSongWith({note(0, 60, 90, 60)});
        if (fromPause)
            sequencer->Pause();
        bool lockHeld = true;
        TransportState afterTick = TransportState::Stopped;
        std::vector<std::string> sent;
        timer.setAfterStart([&](TimerMode mode) {
            if (mode != TimerMode::Playback)
                return;
            lockHeld = TransportMutex().heldByThisThread();
            output("Synth").clear();
            std::thread([&] { timer.advance(kPeriodMs); }).join();
            afterTick = sequencer->transportState();
            sent = synthSent();
        });
        sequencer->Play(0, true, false);
        EXPECT_FALSE(lockHeld);
        EXPECT_EQ(afterTick, TransportState::Playing);
        EXPECT_NE(std::find(sent.begin(), sent.end(), "90 3C 5A"), sent.end()) << "the first tick plays";
        timer.setAfterStart(nullptr);
    }
}

// Nothing but the GUI thread sends transport commands, but the sync input
// may stop the transport from its own thread just as a start goes out.
TEST_F(TransportCommands, AStopJustBeforeThePlaybackTimerStartsLeavesTheIdleTimerRunning)
{
    SequencerOptions options;
    options.lockWait = 50ms;
    init(options);
    makeSongWith({note(1800, 60, 90, 60)});
    timer.setBeforeStart([&](TimerMode mode) {
        if (mode == TimerMode::Playback)
            std::thread([&] { sequencer->setTransportState(TransportState::Stopped); }).join();
    });
    sequencer->Play(0, true, false);
    timer.setBeforeStart(nullptr);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
}

TEST_F(TransportCommands, PauseFromStoppedChasesTheControllersAndNotesAtThePosition)
{
    init();
    makeSongWith({controller(100, 10, 64), note(200, 60, 90, 100), note(1800, 62, 90, 60)});
    song->setPosition(240);
    output("Synth").clear();
    sequencer->Pause();
    EXPECT_EQ(sequencer->transportState(), TransportState::Paused);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
    const auto sent = synthSent();
    EXPECT_EQ(countOf(sent, "B0 0A 40"), 1u) << "the pan at the position";
    EXPECT_EQ(countOf(sent, "90 3C 5A"), 1u) << "the note sounding at the position";
    EXPECT_EQ(countOf(sent, "90 3E 5A"), 0u);
}

TEST_F(TransportCommands, PauseStopsTheTicksAndPlayGoesOnFromThePosition)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    startAt(0);
    runUntilPosition(200);
    sequencer->Pause();
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
    const int32_t paused = sequencer->position();
    runTicks(100);
    EXPECT_EQ(song->position(), paused);
    waitOutDebounce();
    sequencer->Advance(false);
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), paused);
}

TEST_F(TransportCommands, StopEndsTheSoundingNotesAndHandsBackToTheIdleTimer)
{
    init();
    makeSongWith({note(0, 60, 90, 400), note(1800, 62, 90, 60)});
    startAt(0);
    runTicks(10);
    ASSERT_EQ(countOf(synthSent(), "90 3C 5A"), 1u);
    sequencer->Stop(false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
    EXPECT_EQ(countOf(synthSent(), "90 3C 00"), 1u);
    EXPECT_TRUE(sequencer->ports()->outputs[0]->heldNotes().empty());
}

TEST_F(TransportCommands, PauseAsStartingSoundsEachLocateAndNeverStarts)
{
    init();
    makeSongWith({note(200, 60, 90, 100), note(1000, 62, 90, 200), note(1800, 64, 90, 60)});
    sequencer->PauseAsStarting();
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
    sequencer->Play(0, false, false); // no start while it holds
    runTicks(100);
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
    EXPECT_EQ(song->position(), 0);
    output("Synth").clear();
    {
        LockGuard guard(SongMutex(), "test");
        song->Locate(1060);
    }
    EXPECT_EQ(countOf(synthSent(), "90 3E 5A"), 1u) << "the note sounding at the beat";
    EXPECT_EQ(countOf(synthSent(), "90 40 5A"), 0u);
    sequencer->Stop(false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
}

TEST_F(TransportCommands, PauseWithoutACurrentSongStillEndsTheTicks)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    startAt(0);
    sequencer->setCurrentSong(nullptr);
    sequencer->Pause();
    EXPECT_EQ(sequencer->transportState(), TransportState::Paused);
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
}

// The refresh pass may hold the SongMutex for a while; the tick that follows
// the master fader must not wait for it.
TEST_F(TransportCommands, TheMasterFaderNeverMakesTheTickWaitForTheSongMutex)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    startAt(0);
    LockHolder refresh(SongMutex());
    sequencer->publishedValues().setMasterFader(8000);
    const auto before = std::chrono::steady_clock::now();
    runTicks(1);
    const auto took = std::chrono::steady_clock::now() - before;
    refresh.release();
    EXPECT_LT(took, 500ms);
    EXPECT_EQ(sequencer->masterVolume(), 8000);
}

TEST_F(TransportCommands, OnPlayPauseAndOnPlayStopByState)
{
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    sequencer->OnPlayPause();
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    sequencer->OnPlayPause();
    EXPECT_EQ(sequencer->transportState(), TransportState::Paused);
    sequencer->OnPlayStop();
    EXPECT_EQ(sequencer->transportState(), TransportState::Paused) << "within 100 ms of the start";
    waitOutDebounce();
    sequencer->OnPlayStop();
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting);
    runTicks(1);
    sequencer->OnPlayStop();
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
}

// Another thread holds the TransportMutex for a while: a command whose wait
// times out does nothing, and a start the tick could not take the lock for
// is taken on a later tick.
TEST_F(TransportCommands, TimedOutLockWaitsSkipTheWorkAndTheTickRetries)
{
    SequencerOptions options;
    options.lockWait = 20ms;
    init(options);
    makeSongWith({note(1800, 60, 90, 60)});
    auto holder = std::make_unique<LockHolder>(TransportMutex());
    const uint64_t timeouts = TransportMutex().timeoutCount();
    sequencer->Play(0, true, false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_GT(TransportMutex().timeoutCount(), timeouts);
    holder.reset();

    sequencer->Play(240, true, false);
    holder = std::make_unique<LockHolder>(TransportMutex());
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting) << "skipped";
    holder.reset();
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), 240);
}

} // namespace
} // namespace rz
