#include <gtest/gtest.h>

#include "tests/song/play_test_song.h"

namespace rz {
namespace {

using test::PlayTestSong;

constexpr int32_t kNone = NextStop::kNoTick;

// A song of four 4/4 measures (time base 120) ending at 1900.
void fillFourMeasures(PlayTestSong& t)
{
    t.addTrack({test::note(1800, 60, 90, 100)});
    t.build();
}

TEST(NextStop, EachCueKind)
{
    struct Case {
        const char* name;
        int32_t kind, time, second;
        int32_t position;
        TransportState state;
        bool through;
        int32_t endTick, jumpFrom, jumpTo;
        bool jumpCue;
    } cases[] = {
        {"marker", kCueMarker, 960, 0, 0, TransportState::Playing, false, 1901, kNone, 0, false},
        {"caesura", kCueCaesura, 960, 1200, 0, TransportState::Playing, false, 960, kNone, 0, false},
        {"caesura at it playing", kCueCaesura, 960, 1200, 960, TransportState::Playing, false, 960, kNone, 0, false},
        {"caesura at it starting", kCueCaesura, 960, 1200, 960, TransportState::Starting, false, 1901, kNone, 0, false},
        {"caesura through", kCueCaesura, 960, 1200, 0, TransportState::Playing, true, 1901, kNone, 0, false},
        {"fermata", kCueFermata, 960, 1200, 0, TransportState::Starting, false, 960, kNone, 0, false},
        {"vamp", kCueVamp, 960, 480, 0, TransportState::Starting, false, 1901, 960, 480, true},
        {"vamp through", kCueVamp, 960, 480, 0, TransportState::Playing, true, 1901, 960, 480, true},
        {"kind 7", kCueUnused7, 960, 480, 0, TransportState::Playing, false, 1901, 960, 480, true},
        {"vamp passed", kCueVamp, 960, 480, 960, TransportState::Playing, false, 1901, kNone, 0, false},
        {"skip", kCueSkip, 960, 1440, 960, TransportState::Starting, false, 1901, 960, 1440, true},
        {"ad lib", kCueAdLib, 960, 1440, 0, TransportState::Playing, false, 960 + 115, kNone, 1080, true},
        {"ad lib inside", kCueAdLib, 960, 1440, 1000, TransportState::Playing, false, 1080 + 115, kNone, 1200, true},
        {"ad lib through", kCueAdLib, 960, 1440, 0, TransportState::Playing, true, 1901, kNone, 0, false},
        {"hold & cut", kCueHoldCut, 960, 1440, 0, TransportState::Starting, false, 960, 960, 1440, true},
        {"hold & cut through", kCueHoldCut, 960, 1440, 0, TransportState::Playing, true, 1901, kNone, 0, false},
        {"advance & cut", kCueAdvanceCut, 960, 1440, 960, TransportState::Playing, false, 960, 960, 1440, true},
        {"advance & cut starting", kCueAdvanceCut, 960, 1440, 960, TransportState::Starting, false, 1901, kNone, 0, false},
        {"advance", kCueAdvance, 960, 480, 0, TransportState::Playing, false, 1901, 960, 480, true},
        {"advance through", kCueAdvance, 960, 480, 0, TransportState::Playing, true, 1901, kNone, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayTestSong t;
        fillFourMeasures(t);
        const CCue& cue = t.addCue(c.kind, c.time, c.second);
        t.song->setPosition(c.position);
        t.fixture.engine.state = c.state;
        t.fixture.engine.through = c.through;
        t.fixture.engine.stop.targetLabel = 3;
        t.song->ComputeNextStop();
        const NextStop& stop = t.fixture.engine.stop;
        EXPECT_EQ(stop.endTick, c.endTick);
        EXPECT_EQ(stop.jumpFrom, c.jumpFrom);
        if (c.jumpCue || c.jumpFrom != kNone) {
            EXPECT_EQ(stop.jumpTo, c.jumpTo);
        }
        EXPECT_EQ(stop.jumpCue, c.jumpCue ? &cue : nullptr);
        EXPECT_EQ(stop.nextSong, nullptr);
        EXPECT_EQ(stop.targetLabel, 3) << "the label is the performer's";
    }
}

TEST(NextStop, SkipToItselfChangesSong)
{
    PlayTestSong t;
    fillFourMeasures(t);
    t.addCue(kCueSkip, 960, 960);
    SetItemHandle next = reinterpret_cast<SetItemHandle>(&t);
    t.fixture.engine.nextSong = next;
    t.song->ComputeNextStop();
    EXPECT_EQ(t.fixture.engine.stop.nextSong, next);
}

TEST(NextStop, EarlierStopHidesLaterCues)
{
    PlayTestSong t;
    fillFourMeasures(t);
    t.addCue(kCueCaesura, 480, 600);
    t.addCue(kCueVamp, 960, 720);
    t.song->ComputeNextStop();
    EXPECT_EQ(t.fixture.engine.stop.endTick, 480);
    EXPECT_EQ(t.fixture.engine.stop.jumpCue, nullptr);
}

TEST(NextStop, HoldFlagStopsAtTheNextClickOrIsCleared)
{
    struct Case {
        int32_t position;
        bool holdAfter;
        int32_t endTick, jumpTo;
    } cases[] = {{100, true, 120 + 115, 240}, {1850, false, 1901, 0}};
    for (const Case& c : cases) {
        PlayTestSong t;
        fillFourMeasures(t);
        t.song->setPosition(c.position);
        t.fixture.engine.hold = true;
        t.fixture.engine.state = TransportState::Playing;
        t.song->ComputeNextStop();
        EXPECT_EQ(t.fixture.engine.hold, c.holdAfter) << c.position;
        EXPECT_EQ(t.fixture.engine.stop.endTick, c.endTick) << c.position;
        if (c.holdAfter) {
            EXPECT_EQ(t.fixture.engine.stop.jumpTo, c.jumpTo);
        }
    }
}

TEST(NextStop, ClickAtTinyTimeBaseIsAtLeastOneTick)
{
    PlayTestSong t;
    fillFourMeasures(t);
    t.song->timeBase = 1;
    t.song->measureMap.front().clocksPerClick = 6; // 6 x 1 / 24 = 0 ticks
    t.song->setPosition(0);
    t.fixture.engine.hold = true;
    t.song->ComputeNextStop();
    EXPECT_EQ(t.fixture.engine.stop.jumpTo, 1);
}

TEST(NextStop, RecordingStepModeStopsOneStepOn)
{
    struct Case {
        int stepSize, stepUnits;
        bool dot;
        int32_t expected;
    } cases[] = {{0, 0, false, 100 + 60}, {2, 60, false, 100 + 60}, {2, 60, true, 100 + 90}};
    for (const Case& c : cases) {
        PlayTestSong t;
        fillFourMeasures(t);
        t.song->setPosition(100);
        t.fixture.engine.isRecording = true;
        t.fixture.engine.record = RecordOptions{1, true, c.stepSize, c.dot, c.stepUnits};
        t.fixture.engine.gui.setCurrentNoteLength(60);
        t.song->ComputeNextStop();
        EXPECT_EQ(t.fixture.engine.stop.endTick, c.expected);
        EXPECT_EQ(t.fixture.engine.stop.jumpFrom, kNone);
    }
}

} // namespace
} // namespace rz
