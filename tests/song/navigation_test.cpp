#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "tests/song/play_test_song.h"

namespace rz {
namespace {

using test::PlayTestSong;

// 4/4 measures of 480 ticks, laid out past the song's end at 1900: the last
// starts at 1920.
void fillMeasures(PlayTestSong& t)
{
    t.addTrack({test::note(300, 60, 90, 10), test::note(1800, 60, 90, 100)});
    t.addTrack({test::note(700, 62, 90, 10)});
    t.build();
}

// The transport calls the engine received, in order.
std::string transportCalls(const FakeEngineLink& engine)
{
    std::string calls;
    for (const std::string& call : engine.log.calls()) {
        if (call.rfind("Play", 0) == 0 || call.rfind("Stop", 0) == 0
            || call.rfind("Advance", 0) == 0 || call.rfind("Pause", 0) == 0)
            calls += (calls.empty() ? "" : " ") + call;
    }
    return calls;
}

TEST(Navigation, EveryCommandInEveryTransportState)
{
    using S = TransportState;
    struct Case {
        const char* command;
        std::function<void(CSongDoc&)> run;
        S state;
        std::string calls;
        int32_t position; // after the command; the start is 600
    } cases[] = {
        {"beginning", &CSongDoc::GoToBeginning, S::Stopped, "", 0},
        {"beginning", &CSongDoc::GoToBeginning, S::Playing, "Play(0,1)", 600},
        {"beginning", &CSongDoc::GoToBeginning, S::Starting, "Play(0,1)", 600},
        {"beginning", &CSongDoc::GoToBeginning, S::Holding, "Play(0,1)", 600},
        {"beginning", &CSongDoc::GoToBeginning, S::Paused, "Advance(0)", 0},
        {"beginning", &CSongDoc::GoToBeginning, S::SongEnded, "", 600},
        {"end", &CSongDoc::GoToEnd, S::Stopped, "Stop(0)", 1900},
        {"end", &CSongDoc::GoToEnd, S::Playing, "Stop(0)", 1900},
        {"end", &CSongDoc::GoToEnd, S::Paused, "Stop(0)", 1900},
        {"next measure", &CSongDoc::NextMeasure, S::Stopped, "", 960},
        {"next measure", &CSongDoc::NextMeasure, S::Playing, "Play(1080,1)", 600},
        {"next measure", &CSongDoc::NextMeasure, S::Starting, "Play(1080,1)", 600},
        {"next measure", &CSongDoc::NextMeasure, S::Paused, "Advance(0)", 960},
        {"next measure", &CSongDoc::NextMeasure, S::Holding, "Play(960,1)", 600},
        {"previous measure", &CSongDoc::PreviousMeasure, S::Stopped, "", 480},
        {"previous measure", &CSongDoc::PreviousMeasure, S::Playing, "Play(120,1)", 600},
        {"previous measure", &CSongDoc::PreviousMeasure, S::Paused, "Advance(0)", 480},
        {"previous measure", &CSongDoc::PreviousMeasure, S::Holding, "Play(480,1)", 600},
        {"jump", [](CSongDoc& s) { s.JumpTo(5000); }, S::Stopped, "", 1920},
        {"jump", [](CSongDoc& s) { s.JumpTo(1000); }, S::Paused, "", 1000},
        {"jump", [](CSongDoc& s) { s.JumpTo(1000); }, S::Holding, "Play(1000,1)", 600},
        {"jump none", [](CSongDoc& s) { s.JumpTo(CSongDoc::kNoJump); }, S::Stopped, "", 600},
        {"next note", &CSongDoc::NextNote, S::Stopped, "", 700},
        {"previous note", &CSongDoc::PreviousNote, S::Stopped, "", 300},
        {"beat back", &CSongDoc::StepBeatBack, S::Stopped, "", 480},
        {"beat back", &CSongDoc::StepBeatBack, S::Playing, "", 600},
        {"beat forward", &CSongDoc::StepBeatForward, S::Paused, "", 720},
        {"beat forward", &CSongDoc::StepBeatForward, S::Playing, "", 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " in state " + std::to_string(int(c.state)));
        PlayTestSong t;
        fillMeasures(t);
        t.fixture.trackRows.selected = {1, 2};
        t.song->setPosition(600);
        t.fixture.engine.state = c.state;
        c.run(*t.song);
        EXPECT_EQ(transportCalls(t.fixture.engine), c.calls);
        EXPECT_EQ(t.song->position(), c.position);
    }
}

TEST(Navigation, JumpWhilePlayingIsScheduledAtTheNextMeasure)
{
    PlayTestSong t;
    fillMeasures(t);
    t.song->setPosition(600);
    t.fixture.engine.state = TransportState::Playing;
    t.song->JumpTo(1500);
    EXPECT_EQ(t.fixture.engine.stop.jumpFrom, 960);
    EXPECT_EQ(t.fixture.engine.stop.jumpTo, 1500);
    t.song->setPosition(1950); // in the last measure: nothing
    t.fixture.engine.stop = NextStop{};
    t.song->JumpTo(100);
    EXPECT_EQ(t.fixture.engine.stop.jumpFrom, NextStop::kNoTick);
}

TEST(Navigation, GoToAndRepeatMeasureScheduleJumps)
{
    PlayTestSong t;
    fillMeasures(t);
    t.song->setPosition(600);
    t.song->GoToMeasure(1000);
    EXPECT_EQ(t.fixture.engine.stop.jumpFrom, 960 - 12);
    EXPECT_EQ(t.fixture.engine.stop.jumpTo, 960 - 12);
    t.song->RepeatMeasure();
    EXPECT_EQ(t.fixture.engine.stop.jumpTo, 480 - 12);
    t.fixture.engine.stop.targetLabel = 5; // five measures back: held at the first
    t.song->RepeatMeasure();
    EXPECT_EQ(t.fixture.engine.stop.jumpTo, 0);
    EXPECT_EQ(t.fixture.engine.stop.targetLabel, 0);
}

TEST(Navigation, SkipNextMeasurePastTheEnd)
{
    PlayTestSong t;
    fillMeasures(t);
    t.song->setPosition(600);
    t.fixture.engine.stop.targetLabel = 5;
    t.song->SkipNextMeasure();
    EXPECT_EQ(t.fixture.engine.stop.jumpFrom, 960 - 12);
    EXPECT_EQ(t.fixture.engine.stop.jumpTo, 2400 - 12); // the end of the last measure
    EXPECT_EQ(t.fixture.engine.stop.targetLabel, 0);

    t.fixture.engine.stop = NextStop{};
    t.song->setPosition(1950);
    t.song->SkipNextMeasure();
    EXPECT_EQ(t.fixture.engine.stop.jumpFrom, NextStop::kNoTick);
}

TEST(Navigation, PreviousCueWithinHalfASecondWhilePlayingGoesOneFurther)
{
    struct Case {
        TransportState state;
        int32_t position;
        int32_t target;
    } cases[] = {
        {TransportState::Playing, 500, 240},  // 480 was passed 83 ms ago
        {TransportState::Playing, 700, 480},  // 917 ms ago
        {TransportState::Stopped, 500, 480},
    };
    for (const Case& c : cases) {
        PlayTestSong t;
        fillMeasures(t);
        t.addCue(kCueMarker, 240, 240);
        t.addCue(kCueMarker, 480, 480);
        t.song->setPosition(c.position);
        t.fixture.engine.state = c.state;
        t.song->PreviousCue();
        const int32_t landed = c.state == TransportState::Playing ? t.fixture.engine.stop.jumpTo
                                                                  : t.song->position();
        EXPECT_EQ(landed, c.target) << c.position;
    }
}

TEST(Navigation, NextCueStopsAtACaesuraAndPassesLabelledTargets)
{
    PlayTestSong t;
    fillMeasures(t);
    t.addCue(kCueCaesura, 500, 800);
    t.addCue(kCueMarker, 900, 900);
    t.addCue(kCueMarker, 1000, 1000);
    t.song->setPosition(100);
    t.song->NextCue();
    EXPECT_EQ(t.song->position(), 800);
    EXPECT_TRUE(t.fixture.engine.log.contains("Stop(0)"));

    t.fixture.engine.stop.targetLabel = 1;
    t.song->NextCue();
    EXPECT_EQ(t.song->position(), 1000);
    EXPECT_EQ(t.fixture.engine.stop.targetLabel, 0);
}

TEST(Navigation, NotesFollowTheSelectedRows)
{
    struct Case {
        std::set<int> rows;
        int32_t next, previous;
    } cases[] = {
        {{2}, 700, 0},
        {{1}, 1800, 300},
        {{}, 1900, 0}, // nothing selected: the end and the beginning
    };
    for (const Case& c : cases) {
        PlayTestSong t;
        fillMeasures(t);
        t.fixture.trackRows.selected = c.rows;
        t.song->setPosition(500);
        t.song->NextNote();
        EXPECT_EQ(t.song->position(), c.next);
        t.song->setPosition(500);
        t.song->PreviousNote();
        EXPECT_EQ(t.song->position(), c.previous);
    }
}

TEST(Navigation, StepBeatBackAcrossAMeasure)
{
    PlayTestSong t;
    fillMeasures(t);
    t.song->measureMap[0].setMeter(3, 3); // 3/8: beats of 60 ticks
    t.song->RecomputeMeasureStarts();
    const int32_t second = t.song->measureMap[1].start;
    t.song->setPosition(second);
    t.song->StepBeatBack();
    EXPECT_EQ(t.song->position(), second - 60);
}

} // namespace
} // namespace rz
