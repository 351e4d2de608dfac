// Conductor taps on the GUI thread while a take on the real timer thread
// grows the measure map past the song's end (run under ThreadSanitizer too):
// the tap reads the map only under the song lock the timer grows it under.

#include "platform/engine_timer.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/song/song_builder.h"

#include <gtest/gtest.h>

#include <chrono>

namespace rz {
namespace {

using namespace std::chrono_literals;

TEST(ConductorTapRace, TapsReadTheMeasureMapWhileATakeGrowsIt)
{
    RealTimerEngine rig;
    CSequencer& engine = rig.engine;
    CSongDoc& song = rig.song;
    // One-sixteenth measures at twice the tempo: a measure every 62.5 ms.
    song.measureMap.front().setMeter(1, 4);
    song.measureMapEnd = RecomputeMeasureStarts(song.measureMap, song.timeBase);
    song.tracks.front()->recordArm = 1;
    CTrack& track = test::addUserTrack(song);
    track.recordArm = 1;
    track.outputPort = engine.openOutPort(0);
    engine.setCurrentSong(&song);
    engine.setTempoMultiplier(kMaxMultiplier);
    SequencerSettings settings = *engine.liveSettings();
    settings.countInMeasures = 0;
    // Every tap falls inside the window and moves nothing.
    settings.followTap = FollowTapSettings{.window = 50};
    const size_t before = song.measureMap.size();
    rig.gui.runAndWait([&] {
        engine.applySettings(settings);
        engine.RebuildThruTracks();
        engine.Record();
    });
    ASSERT_TRUE(engine.recording());

    // The taps run on the GUI thread without a pause, so nothing but the
    // tap's own lock orders its reads after the timer's growing.
    int taps = 0;
    size_t grown = 0;
    rig.gui.runAndWait([&] {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline && (taps < 200 || grown < 40)) {
            engine.ConductorTap();
            if (++taps % 50 != 0)
                continue;
            LockGuard guard(SongMutex(), "test view", 2000ms);
            if (guard)
                grown = song.measureMap.size() - before;
        }
    });
    EXPECT_GE(taps, 200);
    EXPECT_GE(grown, 40u) << "measures grown while tapping";
    EXPECT_EQ(engine.transportState(), TransportState::Playing) << "a tap moved the song";
    rig.gui.runAndWait([&] { engine.Stop(false); });
    rig.gui.runAndWait([&] { engine.Shutdown(); });
    engine.setCurrentSong(nullptr);
}

} // namespace
} // namespace rz
