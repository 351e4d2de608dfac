// The transport on the real timer thread while commands arrive from
// another thread: starts, jumps, pauses and stops race the ticks (run under
// ThreadSanitizer too).

#include "platform/engine_timer.h"
#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace rz {
namespace {

using namespace std::chrono_literals;
using test::note;

// After every Pause or Stop returns, no tick runs and none restarts the
// transport; the notes that sounded have ended after every Stop.
TEST(TransportRace, CommandsRacingTheRealTimerLeaveNoTickRunningAfterPauseOrStop)
{
    RealTimerEngine rig;
    CSequencer& engine = rig.engine;
    CSongDoc& song = rig.song;
    EngineTimer& timer = rig.timer;
    QueuedEngineHost& gui = rig.gui;
    CTrack& track = test::addUserTrack(song);
    for (int32_t tick = 0; tick < 1920; tick += 15)
        track.InsertEventSorted(note(tick, uint8_t(48 + tick / 15 % 24), 90, 40));
    track.outputPort = engine.openOutPort(0);
    RebuildPlayImages(song, false);
    song.ExtendMeasureMap();
    engine.setCurrentSong(&song);
    COutPort& port = *engine.ports()->outputs[0];

    std::mt19937 random(7);
    std::uniform_int_distribution<int> pauseMs(0, 12);
    std::uniform_int_distribution<int32_t> jump(0, 1800);
    for (int round = 0; round < 40; ++round) {
        // The pauses pace the stand-in user: commands land between ticks
        // and amid them.
        engine.Play(jump(random), true, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
        engine.Play(jump(random), round % 3 == 0, round % 5 == 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
        if (round % 2 == 0) {
            engine.Pause();
            EXPECT_EQ(engine.transportState(), TransportState::Paused);
        } else {
            engine.Stop(false);
            EXPECT_EQ(engine.transportState(), TransportState::Stopped);
            EXPECT_TRUE(port.heldNotes().empty()) << "round " << round;
        }
        EXPECT_EQ(timer.mode(), TimerMode::Idle) << "round " << round;
        const TransportState settled = engine.transportState();
        // The timer's one thread runs ticks in order: once the clock has
        // moved twice, a tick that was in flight at the command has ended.
        for (int tick = 0; tick < 2; ++tick) {
            const uint32_t clock = engine.msClock();
            ASSERT_TRUE(eventually([&] { return engine.msClock() != clock; })) << "round " << round;
        }
        EXPECT_EQ(engine.transportState(), settled) << "round " << round;
    }
    gui.runAndWait([&] { engine.Shutdown(); });
    engine.setCurrentSong(nullptr);
}

} // namespace
} // namespace rz
