// The idle timer's beat display: it pulses at the song's tempo at the
// position, scaled by the tempo multiplier, recomputing only on a change.

#include "tests/engine/sequencer_fixture.h"
#include "tests/support/eventually.h"
#include "tests/support/lock_holder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;

class SequencerIdle : public SequencerTest {
protected:
    void SetUp() override
    {
        make().Init();
        makeSong();
    }

    // The idle ticks after the first (counted from 1) after which the phase
    // jumped back up to a new click.
    std::vector<int> wrapsOver(int ticks)
    {
        std::vector<int> wraps;
        timer.advance(4);
        double last = sequencer->beatPhase();
        for (int tick = 1; tick <= ticks; ++tick) {
            timer.advance(4);
            const double phase = sequencer->beatPhase();
            if (phase > last)
                wraps.push_back(tick);
            last = phase;
        }
        return wraps;
    }

    std::unique_ptr<CSongDoc> otherSong;
};

TEST_F(SequencerIdle, PhaseWrapsEvery125TicksAt120BpmAndTwiceAsOftenAtDoubleSpeed)
{
    const struct {
        int32_t multiplier;
        size_t wraps;
        int interval;
    } cases[] = {{100000, 8, 125}, {200000, 16, 63}};
    for (const auto& c : cases) {
        TearDown();
        make().Init();
        makeSong();
        sequencer->setTempoMultiplier(c.multiplier);
        const std::vector<int> wraps = wrapsOver(1010);
        ASSERT_EQ(wraps.size(), c.wraps) << "multiplier " << c.multiplier;
        for (size_t i = 1; i < wraps.size(); ++i)
            EXPECT_NEAR(wraps[i] - wraps[i - 1], c.interval, 1) << "multiplier " << c.multiplier;
    }
}

TEST_F(SequencerIdle, PhaseFallsFromOneHalfAtTheClick)
{
    timer.advance(4);
    EXPECT_NEAR(sequencer->beatPhase(), 0.5 - 0.008, 1e-9);
    timer.advance(4 * 61);
    EXPECT_NEAR(sequencer->beatPhase(), 0.5 - 0.008 * 62, 1e-9);
    EXPECT_EQ(sequencer->msClock(), 4u * 62);
}

TEST_F(SequencerIdle, RecomputesOnlyOnASongPositionOrStampChange)
{
    timer.advance(4 * 10);
    const uint64_t first = sequencer->idleRecomputeCount();
    EXPECT_EQ(first, 1u);
    song->tempoMap[0].setTempo(250000); // not seen until something changes
    const double before = sequencer->beatPhase();
    timer.advance(4);
    EXPECT_NEAR(before - sequencer->beatPhase(), 0.008, 1e-9);
    EXPECT_EQ(sequencer->idleRecomputeCount(), first);

    song->setPosition(60);
    timer.advance(4);
    EXPECT_EQ(sequencer->idleRecomputeCount(), first + 1);
    const double atNewTempo = sequencer->beatPhase();
    timer.advance(4);
    EXPECT_NEAR(atNewTempo - sequencer->beatPhase(), 0.016, 1e-9);

    ++song->selectionStamp;
    timer.advance(4 * 5);
    EXPECT_EQ(sequencer->idleRecomputeCount(), first + 2);
}

TEST_F(SequencerIdle, ANewIdleRunStartsTheBeatAtThePosition)
{
    TearDown();
    make().Init();
    makeSong().setPosition(60); // half a beat into the measure
    timer.advance(4);
    EXPECT_NEAR(sequencer->beatPhase(), 0.5 - 0.508, 1e-9);
}

TEST_F(SequencerIdle, ZeroClocksPerClickCountsAsOneTick)
{
    song->measureMap[0].clocksPerClick = 0;
    ++song->selectionStamp;
    timer.advance(4 * 3);
    const double phase = sequencer->beatPhase();
    EXPECT_TRUE(phase >= -0.5 && phase <= 0.5) << phase;
}

TEST_F(SequencerIdle, WithoutASongTheClockStandsAndTheBeatDisplayIsCleared)
{
    const auto drawn = [this] {
        gui.drain();
        return gui.recorder.count("DrawSpectrum");
    };
    timer.advance(4);
    ASSERT_TRUE(eventually([&] { return drawn() >= 1; }));
    const size_t withSong = drawn();
    sequencer->setCurrentSong(nullptr);
    const uint32_t before = sequencer->msClock();
    timer.advance(4 * 5);
    EXPECT_EQ(sequencer->msClock(), before);
    EXPECT_TRUE(eventually([&] { return drawn() > withSong; }));
}

TEST_F(SequencerIdle, WithoutASongTheIdleTimerStopsAndASongStartsItAgain)
{
    timer.advance(4);
    ASSERT_EQ(timer.mode(), TimerMode::Idle);
    sequencer->setCurrentSong(nullptr);
    timer.advance(4);
    EXPECT_EQ(timer.mode(), TimerMode::Off);

    sequencer->setCurrentSong(song.get());
    EXPECT_TRUE(eventually([&] {
        gui.drain();
        return timer.mode() == TimerMode::Idle;
    }));
    const uint32_t before = sequencer->msClock();
    timer.advance(4);
    EXPECT_EQ(sequencer->msClock(), before + 4);
}

// The refresh worker's own count of its wakes stands in for the worker.
TEST_F(SequencerIdle, IdleTicksWakeTheRefreshWorkerOnlyWhenTheDisplayWouldChange)
{
    const auto drawn = [this] {
        gui.drain();
        return gui.recorder.count("DrawSpectrum");
    };
    const auto handled = [&](size_t after) { return eventually([&] { return drawn() > after; }); };
    timer.advance(4); // a new song for the display
    ASSERT_TRUE(handled(0));
    const uint64_t wakes = sequencer->refreshWakeCount();
    // A shown beat that moves on is news: at 120 per minute a tick is a step.
    timer.advance(4);
    EXPECT_EQ(sequencer->refreshWakeCount(), wakes + 1);
    const size_t moved = drawn();
    EXPECT_TRUE(handled(moved));

    // Not shown, the beat is news no more: the next tick shows the position
    // once, and then the timer rests.
    sequencer->setBeatDisplayShown(false);
    song->setPosition(60);
    timer.advance(4);
    EXPECT_EQ(sequencer->refreshWakeCount(), wakes + 2);
    const uint64_t shown = sequencer->refreshWakeCount();
    timer.advance(4 * 250);
    EXPECT_EQ(sequencer->refreshWakeCount(), shown);
}

// With the beat not shown nothing moves: the first tick shows the song and
// the timer stops. A second's ticks would each move the clock by 4 ms and
// count it as ticked; the clock's steps, the idle runs started and the
// recompute count are the sentinels that none ran.
TEST_F(SequencerIdle, IdleTimerRestsWithNothingToMoveAndRunsAgainOnWork)
{
    const struct {
        const char* name;
        std::function<void()> work;
    } cases[] = {
        {"the beat shown", [this] { sequencer->setBeatDisplayShown(true); }},
        {"a locate", [this] { sequencer->LocateSong(*song, 240); }},
        {"another song", [this] {
             otherSong = std::make_unique<CSongDoc>(
                 SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *sequencer});
             otherSong->InitNewSong();
             sequencer->setCurrentSong(otherSong.get());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        make().Init();
        makeSong();
        sequencer->setBeatDisplayShown(false);
        timer.advance(4);
        ASSERT_EQ(timer.mode(), TimerMode::Off);
        const uint64_t starts = timer.startCount();
        const uint64_t recomputes = sequencer->idleRecomputeCount();
        timer.advance(4 * 250);
        EXPECT_EQ(timer.startCount(), starts);
        EXPECT_EQ(sequencer->idleRecomputeCount(), recomputes);

        c.work();
        ASSERT_TRUE(eventually([&] {
            gui.drain();
            return timer.startCount() > starts;
        }));
        timer.advance(4);
        EXPECT_EQ(sequencer->idleRecomputeCount(), recomputes + 1);
        sequencer->setCurrentSong(song.get());
        otherSong.reset();
    }
}

// A volume the tracks could not take (the SongMutex was held) wakes the
// resting timer, whose tick resends it and rests again.
TEST_F(SequencerIdle, AVolumeLeftToResendWakesTheRestingTimer)
{
    TearDown();
    SequencerOptions options;
    options.lockWait = 20ms;
    make(options).Init();
    makeSong();
    sequencer->setBeatDisplayShown(false);
    timer.advance(4);
    ASSERT_EQ(timer.mode(), TimerMode::Off);
    const uint64_t starts = timer.startCount();
    {
        LockHolder holder(SongMutex());
        sequencer->SetMasterVolume(64);
    }
    ASSERT_TRUE(eventually([&] {
        gui.drain();
        return timer.startCount() > starts;
    }));
    timer.advance(4);
    EXPECT_EQ(timer.mode(), TimerMode::Off);
}

// While the timer rests the clock runs on in idle steps of the program
// clock, as the ticks would have moved it, and the next tick carries on.
// Without a song it stands.
TEST_F(SequencerIdle, TheClockRunsOnWhileTheTimerRests)
{
    sequencer->setBeatDisplayShown(false);
    timer.advance(4);
    ASSERT_EQ(timer.mode(), TimerMode::Off);
    EXPECT_EQ(sequencer->msClock(), 4u);
    timer.advance(10);
    EXPECT_EQ(sequencer->msClock(), 12u);
    sequencer->setBeatDisplayShown(true);
    ASSERT_TRUE(eventually([&] {
        gui.drain();
        return timer.mode() == TimerMode::Idle;
    }));
    const uint32_t resumed = sequencer->msClock();
    timer.advance(4);
    EXPECT_EQ(sequencer->msClock(), resumed + 4);

    sequencer->setCurrentSong(nullptr);
    timer.advance(4);
    const uint32_t stood = sequencer->msClock();
    timer.advance(40);
    EXPECT_EQ(sequencer->msClock(), stood);
}

TEST_F(SequencerIdle, TickWhoseSongMutexWaitTimesOutDoesNothing)
{
    TearDown();
    SequencerOptions options;
    options.lockWait = 20ms;
    make(options).Init();
    makeSong();
    LockHolder holder(SongMutex());
    timer.advance(4);
    EXPECT_EQ(sequencer->msClock(), 0u);
    EXPECT_EQ(sequencer->beatPhase(), 0.0);
    holder.release();
    timer.advance(4);
    EXPECT_EQ(sequencer->msClock(), 4u);
}

} // namespace
} // namespace rz
