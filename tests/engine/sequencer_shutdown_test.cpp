// Shut-down: idempotent, safe before Init, and no timer callback or refresh
// outlives it (run under ThreadSanitizer too).

#include "platform/engine_timer.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace rz {
namespace {

using namespace std::chrono_literals;

using SequencerShutdown = SequencerTest;

TEST_F(SequencerShutdown, BeforeInitAndTwiceIsSafeAndInitAfterItDoesNothing)
{
    devices.addOutput("Synth");
    make();
    shutDown();
    shutDown();
    sequencer->Init();
    EXPECT_FALSE(sequencer->initialised());
    EXPECT_EQ(timer.mode(), TimerMode::Off);
    EXPECT_TRUE(devices.outputDevices.empty()) << "no port was made";
}

TEST_F(SequencerShutdown, ClosesThePortsStopsTheTimerAndSilencesAPlayingTransport)
{
    devices.addOutput("Synth");
    devices.addInput("Keyboard");
    make().Init();
    sequencer->openOutPort(0)->SendShort(0x01403C90);
    sequencer->setTransportState(TransportState::Playing);
    RecordingMidiDevice& synth = output("Synth");
    const auto held = sequencer->ports(); // a reader's snapshot keeps its ports alive

    shutDown();
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_FALSE(synth.isOpen());
    ASSERT_FALSE(synth.sentHex().empty());
    EXPECT_EQ(synth.sentHex().back(), "90 3C 00") << "the sounding note ends";
    EXPECT_EQ(timer.mode(), TimerMode::Off);
    EXPECT_EQ(sequencer->outPortCount(), 0);
    EXPECT_EQ(sequencer->inputCount(), 0u);
    EXPECT_GE(audio.closes, 2) << "Init's LoadAudioOptions and Shutdown";
    shutDown();
}

// On the real timer thread: idle ticks run while the song is read and views
// refresh; after Shutdown nothing runs any more.
TEST(SequencerShutdownRealTimer, LeavesNoCallbackRunning)
{
    RealTimerEngine rig;
    CSequencer& engine = rig.engine;
    CSongDoc& song = rig.song;
    EngineTimer& timer = rig.timer;
    QueuedEngineHost& gui = rig.gui;
    engine.setCurrentSong(&song);
    for (int i = 0; i < 20; ++i) {
        // Paces the loop so that idle ticks fall between the changes.
        std::this_thread::sleep_for(2ms);
        engine.SetMasterVolume(16383 - i);
        gui.runAndWait([&] {
            LockGuard guard(SongMutex(), "test");
            ++song.selectionStamp;
        });
    }
    gui.runAndWait([&] { engine.Shutdown(); });
    const uint32_t clock = engine.msClock();
    EXPECT_GT(clock, 0u);
    EXPECT_EQ(timer.mode(), TimerMode::Off);
    // The timer's one thread runs callbacks in order: once a run started
    // after Shutdown has ticked, no engine tick can still come.
    std::atomic<bool> sentinel{false};
    ASSERT_EQ(timer.startIdle([&](uint32_t) { sentinel = true; }, 0), TimerStartResult::Started);
    ASSERT_TRUE(eventually([&] { return sentinel.load(); }));
    timer.stopAndWait();
    EXPECT_EQ(engine.msClock(), clock);
    gui.runAndWait([&] { engine.Shutdown(); });
    engine.setCurrentSong(nullptr);
    gui.drain();
}

} // namespace
} // namespace rz
