// A take on the real timer thread runs past the song's last measure while
// the refresh pass runs and a view reads the measure map and the position
// (run under ThreadSanitizer too): the timer grows the map itself, under the
// song lock the views hold, and nothing it holds moves.

#include "platform/engine_timer.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/song/song_builder.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <chrono>

namespace rz {
namespace {

using namespace std::chrono_literals;

// What a view reads while it paints: the map laid out without a gap, its
// end where the last measure ends, and the position.
bool readLikeAView(const CSongDoc& song, const CSequencer& engine, size_t& measures)
{
    LockGuard guard(SongMutex(), "test view", 2000ms);
    if (!guard)
        return true;
    const MeasureMap& map = song.measureMap;
    for (size_t k = 1; k < map.size(); ++k)
        if (map[k].start != map[k - 1].start + map[k - 1].length)
            return false;
    measures = map.size();
    return song.measureMapEnd == map.back().start + map.back().length
           && song.position() >= 0 && engine.position() >= 0;
}

TEST(RecordingRace, TheTimerGrowsTheMeasureMapWhileTheViewsReadIt)
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
    rig.gui.runAndWait([&] { engine.RebuildThruTracks(); });
    const size_t before = song.measureMap.size();

    rig.gui.runAndWait([&] { engine.Record(); });
    ASSERT_TRUE(engine.recording());
    const MeasureRec* held = song.measureMap.data();

    size_t measures = before;
    const bool grew = eventually(
        [&] {
            EXPECT_TRUE(readLikeAView(song, engine, measures));
            return measures >= before + 40;
        },
        20s);
    EXPECT_TRUE(grew) << measures << " measures";
    rig.gui.runAndWait([&] { engine.Stop(false); });

    EXPECT_EQ(song.measureMap.data(), held) << "growing moved the map the tick reads";
    const MeasureRec& last = song.measureMap.back();
    EXPECT_EQ(last.number, song.measureMap.size());
    EXPECT_EQ(last.numerator, 1);
    EXPECT_EQ(last.denominator, 16);
    rig.gui.runAndWait([&] { engine.Shutdown(); });
    engine.setCurrentSong(nullptr);
}

} // namespace
} // namespace rz
