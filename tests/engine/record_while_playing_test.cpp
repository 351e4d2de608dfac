// A take begun while the song plays runs long past the measure map's end:
// the map grows on the timer thread within room made before the take, so
// the tick neither allocates nor moves the map, and a busy SongMutex only
// puts the room off to a later tick.

#include "platform/engine_timer.h"
#include "tests/engine/midi_input_fixture.h"
#include "tests/support/alloc_counter/alloc_counter.h"
#include "tests/support/eventually.h"
#include "tests/support/lock_holder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

namespace rz {
namespace {

constexpr size_t kTakeMeasures = 300;

class RecordWhilePlayingRoom : public MidiInputTest {
protected:
    // An armed song of one-sixteenth measures (30 ticks each) up to tick
    // 480 whose map has no room to spare, with a note before its end,
    // playing at ten times the tempo: a measure every 3 ticks of the timer.
    // Takes count in no measure and sound no click, and the note is muted:
    // the test's devices allocate for what they record.
    void startPlayingSong()
    {
        profile.writeInt("RecordOptions", "CountIn", 0);
        profile.writeInt("ClickOptions", "Record", 0);
        start();
        CSongDoc& made = makeArmedSong();
        addThruTrack();
        CTrack& silent = test::addUserTrack(made);
        silent.playEnabled = 0;
        silent.InsertEventSorted(test::note(400, 60, 90, 10));
        RebuildPlayImages(made, false);
        made.measureMap.resize(1);
        made.measureMap.front().setMeter(1, 4);
        made.measureMapEnd = RecomputeMeasureStarts(made.measureMap, made.timeBase);
        made.measureMapEnd = ExtendMeasureMap(made.measureMap, 480);
        made.measureMap.shrink_to_fit();
        // A quarter every 50 ms: 600 per minute at the multiplier's top.
        made.tempoMap.front().setTempo(100000);
        made.RecalcTempoTimes();
        sequencer->setTempoMultiplier(kMaxMultiplier);
        startAt(0);
        ASSERT_TRUE(runUntilPosition(60));
    }

    // Record while playing, then play until the take has added
    // kTakeMeasures measures; with `songLockBusy` a view holds the SongMutex
    // over the first ticks of the take.
    void recordLongTake(bool songLockBusy)
    {
        startPlayingSong();
        const size_t before = song->measureMap.size();
        sequencer->Record();
        ASSERT_TRUE(sequencer->recording());
        ASSERT_EQ(sequencer->transportState(), TransportState::Playing);
        std::optional<LockHolder> view;
        if (songLockBusy)
            view.emplace(SongMutex());
        // A take runs on past the song's end once the transport has started
        // again while recording, as any jump does.
        sequencer->Play(sequencer->position(), true, false);

        uint64_t allocations = 0;
        int moves = 0;
        {
            AllocationCount counted;
            if (songLockBusy) {
                runTicks(5);
                EXPECT_EQ(song->measureMap.size(), before) << "grew under a busy SongMutex";
                view.reset();
            }
            runTicks(1);
            const MeasureRec* held = song->measureMap.data();
            for (int tick = 0; tick < 20000 && song->measureMap.size() < before + kTakeMeasures;
                 ++tick) {
                runTicks(1);
                moves += song->measureMap.data() != held ? 1 : 0;
                held = song->measureMap.data();
            }
            allocations = counted.value();
            ASSERT_GE(song->measureMap.size(), before + kTakeMeasures) << "the map stopped growing";
        }
        EXPECT_EQ(moves, 0) << "the map was reallocated during the take";
        EXPECT_EQ(allocations, 0u) << "the timer thread allocated during the take";
        const MeasureRec& last = song->measureMap.back();
        EXPECT_EQ(last.number, song->measureMap.size());
        EXPECT_EQ(song->measureMapEnd, last.start + last.length);
        EXPECT_GE(song->measureMapEnd, sequencer->position());
        sequencer->Stop(true);
        EXPECT_FALSE(sequencer->recording());
    }
};

TEST_F(RecordWhilePlayingRoom, ALongTakeGrowsTheMapWithoutReallocatingIt)
{
    recordLongTake(false);
}

TEST_F(RecordWhilePlayingRoom, ABusySongMutexPutsTheRoomOffToAFreeTick)
{
    recordLongTake(true);
}

// On the real timer thread (run under ThreadSanitizer too): the room made
// on the GUI thread is swapped in by the tick while a view reads the map
// under the SongMutex, and every read sees a whole map.
TEST(RecordWhilePlayingRoomRace, TheTickSwapsTheRoomInWhileAViewReadsTheMap)
{
    using namespace std::chrono_literals;
    RealTimerEngine rig;
    CSequencer& engine = rig.engine;
    CSongDoc& song = rig.song;
    song.tracks.front()->recordArm = 1;
    CTrack& track = test::addUserTrack(song);
    track.recordArm = 1;
    track.outputPort = engine.openOutPort(0);
    track.InsertEventSorted(test::note(4000, 60, 90, 10)); // plays on past the map's end
    RebuildPlayImages(song, false);
    song.measureMap.resize(1);
    song.measureMap.front().setMeter(1, 4);
    song.measureMapEnd = RecomputeMeasureStarts(song.measureMap, song.timeBase);
    song.measureMapEnd = ExtendMeasureMap(song.measureMap, 480);
    song.measureMap.shrink_to_fit();
    song.tempoMap.front().setTempo(100000); // a quarter every 50 ms, as above
    song.RecalcTempoTimes();
    engine.setCurrentSong(&song);
    engine.setTempoMultiplier(kMaxMultiplier);
    rig.gui.runAndWait([&] { engine.RebuildThruTracks(); });
    const size_t before = song.measureMap.size();
    engine.Play(0, true, false);
    ASSERT_TRUE(eventually([&] { return engine.position() > 60; }, 20s));

    rig.gui.runAndWait([&] {
        engine.Record();
        // A take runs on past the song's end once the transport has started
        // again while recording.
        engine.Play(engine.position(), true, false);
    });
    ASSERT_TRUE(engine.recording());
    size_t measures = before;
    const bool grew = eventually(
        [&] {
            LockGuard guard(SongMutex(), "test view", 2000ms);
            if (!guard)
                return false;
            const MeasureMap& map = song.measureMap;
            for (size_t k = 1; k < map.size(); ++k)
                EXPECT_EQ(map[k].start, map[k - 1].start + map[k - 1].length) << "a torn map";
            EXPECT_EQ(song.measureMapEnd, map.back().start + map.back().length);
            measures = map.size();
            return measures >= before + 40;
        },
        20s);
    EXPECT_TRUE(grew) << measures << " measures";
    rig.gui.runAndWait([&] { engine.Stop(true); });
    rig.gui.runAndWait([&] { engine.Shutdown(); });
    engine.setCurrentSong(nullptr);
}

} // namespace
} // namespace rz
