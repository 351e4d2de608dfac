// The conductor tap on the manual timer (2 ms ticks): following taps against
// the clicks while the song plays, and tapping a tempo or a start while it
// does not. Songs: 120 ticks per quarter at 120 per minute, a click every
// quarter (500000 µs); the "Window" of 20 % is 100000 µs either side.

#include "tests/engine/transport_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

using test::note;

struct TapSettings {
    int enabled = 1;
    int window = 20;
    int modStrength = 0;   // 0: "EnableTempoMod" off
    int jumpStrength = 0;
    bool jumpForward = false;
    bool jumpBack = false;
    int averageStrength = 0; // 0: "UseAverage" off
    bool pause = false;
    int returnRate = 0;      // 0: "EnableTempoNorm" off
};

class ConductorTap : public TransportTest {
protected:
    void configure(const TapSettings& s)
    {
        profile.writeInt("FollowTap", "Enabled", s.enabled);
        profile.writeInt("FollowTap", "Window", s.window);
        profile.writeInt("FollowTap", "EnableTempoMod", s.modStrength > 0);
        profile.writeInt("FollowTap", "ModStrength", s.modStrength);
        profile.writeInt("FollowTap", "EnableJumpF", s.jumpForward);
        profile.writeInt("FollowTap", "EnableJumpB", s.jumpBack);
        profile.writeInt("FollowTap", "JumpStrength", s.jumpStrength);
        profile.writeInt("FollowTap", "UseAverage", s.averageStrength > 0);
        profile.writeInt("FollowTap", "AveStrength", s.averageStrength);
        profile.writeInt("FollowTap", "Pause", s.pause);
        profile.writeInt("FollowTap", "EnableTempoNorm", s.returnRate > 0);
        profile.writeInt("FollowTap", "ReturnRate", s.returnRate);
        init();
        makeSongWith({note(0, 60, 90, 30), note(2400, 62, 90, 30)});
    }

    // Runs ticks until the song's real time is `us`.
    void runToRealTime(double us)
    {
        while (sequencer->realTime() < us - 0.5)
            runTicks(1);
        ASSERT_NEAR(sequencer->realTime(), us, 0.5);
    }

    // Taps once, and notes the engine's multiplier when the tap changed it,
    // before the GUI thread has run anything.
    void tap()
    {
        const int32_t before = sequencer->tempoMultiplier();
        sequencer->ConductorTap();
        if (sequencer->tempoMultiplier() != before)
            m_set.push_back(sequencer->tempoMultiplier());
    }

    // The multipliers the taps set, in order; the GUI was told of each.
    std::vector<int32_t> multipliersSet()
    {
        gui.drain();
        EXPECT_EQ(gui.recorder.count("tempoMultiplierChanged"), m_set.size());
        std::vector<int32_t> set;
        set.swap(m_set);
        return set;
    }

private:
    std::vector<int32_t> m_set;
};

std::vector<int32_t> multiplier(int32_t value)
{
    return {value};
}

TEST_F(ConductorTap, FollowingTapsPullTheSongTowardsThePlayerWithinBounds)
{
    const struct {
        const char* name;
        TapSettings settings;
        int32_t startMultiplier;
        std::vector<double> taps; // µs of the song's time
        std::vector<int32_t> set;
        int32_t positionAfter;    // the tick after the next tick; -1 unchecked
    } cases[] = {
        {"early tap speeds up", {.modStrength = 50}, 100000, {480000}, multiplier(102083), -1},
        {"late tap slows down", {.modStrength = 50}, 100000, {520000}, multiplier(98076), -1},
        {"outside both windows", {.modStrength = 50, .jumpStrength = 80, .jumpForward = true,
                                  .jumpBack = true}, 100000, {252000}, {}, 60},
        {"early tap jumps ahead", {.jumpStrength = 80, .jumpForward = true}, 100000, {480000}, {},
         119},
        {"late tap moves back", {.jumpStrength = 80, .jumpBack = true}, 100000, {520000}, {}, 121},
        {"early tap capped at 200 %", {.modStrength = 100}, 190000, {459800}, multiplier(200000),
         -1},
        {"late tap floored at 50 %", {.modStrength = 100}, 52000, {560560}, multiplier(50000), -1},
        {"two early taps at one click floor at 50 %", {.averageStrength = 100}, 100000,
         {460000, 480000}, multiplier(50000), -1},
        {"two taps within one tick are one", {.modStrength = 50}, 100000, {480000, 480000},
         multiplier(102083), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        gui.recorder.clear();
        configure(c.settings);
        sequencer->setTempoMultiplier(c.startMultiplier);
        startAt(0);
        for (double tapUs : c.taps) {
            runToRealTime(tapUs);
            tap();
        }
        EXPECT_EQ(multipliersSet(), c.set);
        if (c.positionAfter >= 0) {
            runTicks(1);
            EXPECT_EQ(sequencer->position(), c.positionAfter);
        }
    }
}

TEST_F(ConductorTap, ReturnRateStartsTheReturnTimerAfterEveryFollowingTap)
{
    configure({.returnRate = 10});
    startAt(0);
    runToRealTime(250000); // in neither window
    sequencer->ConductorTap();
    gui.drain();
    EXPECT_EQ(gui.recorder.count("setFrameTimer"), 1u);
    EXPECT_TRUE(multipliersSet().empty());
}

TEST_F(ConductorTap, TappedRateSetsTheTempoWhileNotFollowing)
{
    const struct {
        const char* name;
        TapSettings settings;
        bool playing;
        std::vector<uint32_t> tapsMs; // program clock, from the first tap
        std::vector<int32_t> set;
    } cases[] = {
        {"500 ms at 120 per minute", {.averageStrength = 50}, false, {0, 500, 1000}, {}},
        {"400 ms with AveStrength 50", {.averageStrength = 50}, false, {0, 400},
         multiplier(112500)},
        {"following off while playing", {.enabled = 0, .averageStrength = 50}, true, {0, 400},
         multiplier(112500)},
        {"two taps in one millisecond", {.averageStrength = 50}, false, {0, 0}, {}},
        {"a double tap after a rate", {.averageStrength = 50}, false, {0, 400, 400},
         multiplier(112500)},
        {"taps older than 1.5 s are forgotten", {.averageStrength = 50}, false, {0, 2000}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        gui.recorder.clear();
        configure(c.settings);
        if (c.playing)
            startAt(0);
        uint32_t at = 0;
        for (uint32_t tapMs : c.tapsMs) {
            runTicks(int((tapMs - at) / kPeriodMs));
            at = tapMs;
            tap();
        }
        EXPECT_EQ(multipliersSet(), c.set);
    }
}

TEST_F(ConductorTap, WithPauseOneTapStartsTheSongToHoldAtItsEnd)
{
    configure({.enabled = 0, .pause = true});
    song->setPosition(240);
    sequencer->ConductorTap();
    EXPECT_EQ(sequencer->transportState(), TransportState::Starting);
    EXPECT_TRUE(sequencer->holdFlag());
    runTicks(1);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), 240);
    runTicks(100);
    sequencer->ConductorTap();
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing)
        << "a tap does not restart a moving song";
    EXPECT_TRUE(multipliersSet().empty());
}

TEST_F(ConductorTap, ATapSetsTheEnginesMultiplierWithoutWaitingForTheGui)
{
    configure({.modStrength = 50});
    startAt(0);
    runToRealTime(480000);
    // The GUI thread is held busy across the tap, so it cannot have run.
    std::promise<void> release;
    gui.postToGui([done = release.get_future().share()] { done.wait(); });
    sequencer->ConductorTap();
    EXPECT_EQ(sequencer->tempoMultiplier(), 102083) << "the engine changed before the GUI ran";
    EXPECT_EQ(gui.recorder.count("tempoMultiplierChanged"), 0u);
    release.set_value();
    gui.drain();
    EXPECT_EQ(gui.recorder.count("tempoMultiplierChanged"), 1u) << "the GUI is told, not asked";
    EXPECT_EQ(sequencer->tempoMultiplier(), 102083);
}

// The audio thread reads the song's maps under the SongMutex every block; a
// tap that meets it there waits for it instead of being lost.
TEST_F(ConductorTap, ATapWhileAnotherThreadHoldsTheSongLockWaitsAndCounts)
{
    configure({.modStrength = 50});
    startAt(0);
    runToRealTime(480000);
    std::promise<void> held;
    bool tapWaited = false;
    std::thread holder([&] {
        const LockGuard guard(SongMutex(), "test holder");
        held.set_value();
        // Released only once the tap is waiting for it.
        tapWaited = eventually([] { return SongMutex().waiting() > 0; });
    });
    held.get_future().wait();
    tap();
    holder.join();
    EXPECT_TRUE(tapWaited);
    EXPECT_EQ(multipliersSet(), multiplier(102083));
}

TEST_F(ConductorTap, TheMultipliersOneSetterHoldsItWithinItsRange)
{
    init();
    const struct {
        int32_t given;
        int32_t held;
    } cases[] = {{kMinMultiplier, kMinMultiplier}, {kMaxMultiplier, kMaxMultiplier},
                 {400000, kMaxMultiplier}, {1, kMinMultiplier}, {0, kMinMultiplier},
                 {-100000, kMinMultiplier}, {INT32_MAX, kMaxMultiplier}};
    for (const auto& c : cases) {
        sequencer->setTempoMultiplier(c.given);
        EXPECT_EQ(sequencer->tempoMultiplier(), c.held) << c.given;
    }
}

TEST_F(ConductorTap, WithoutASongATapDoesNothing)
{
    configure({.enabled = 0, .averageStrength = 50, .pause = true});
    sequencer->setCurrentSong(nullptr);
    sequencer->ConductorTap();
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
}

} // namespace
} // namespace rz
