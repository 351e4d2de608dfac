// The playback clock, the metronome click and the count-in, on the manual
// timer (2 ms ticks).

#include "song/tempo_map.h"
#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rz {
namespace {

using test::note;

// The position at a real time (µs): the tempo entry in force there, plus
// the whole ticks since it.
int32_t positionAt(const CSongDoc& song, double realTime)
{
    const TempoEntry* entry = &song.tempoMap.front();
    for (const TempoEntry& e : song.tempoMap) {
        if (e.time < realTime)
            entry = &e;
    }
    return entry->tick
           + int32_t(std::trunc((realTime - entry->time) * song.timeBase / double(entry->tempo)));
}

// The clicks among the messages sent: '1' for Click1, '2' for Click2, each
// checked to be followed by its note with velocity 0.
std::string clicksIn(const std::vector<std::string>& sent)
{
    std::string clicks;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i] != "99 25 7F" && sent[i] != "99 25 64")
            continue;
        clicks += sent[i] == "99 25 7F" ? '1' : '2';
        if (i + 1 >= sent.size() || sent[i + 1] != "99 25 00")
            clicks += '!';
    }
    return clicks;
}

using TransportClock = TransportTest;

TEST_F(TransportClock, PositionFollowsTheTempoMapExactlyAtAMultiplierAcrossATempoChange)
{
    init();
    makeSongWith({note(2400, 60, 90, 60)});
    TempoEntry change;
    change.tick = 240;
    change.setTempo(300000);
    song->tempoMap.push_back(change);
    song->RecalcTempoTimes(); // the change lies at 1000000 µs
    sequencer->setTempoMultiplier(150000);
    sequencer->Play(0, true, false);
    int run = 0;
    for (int ticks : {1, 100, 333, 334, 335, 700}) {
        SCOPED_TRACE(ticks);
        runTicks(ticks - run);
        run = ticks;
        const double realTime = ticks * 3000.0; // 2 ms at 150 %
        EXPECT_EQ(sequencer->realTime(), realTime);
        EXPECT_EQ(sequencer->position(), positionAt(*song, realTime));
        EXPECT_EQ(song->position(), sequencer->position());
    }
}

TEST_F(TransportClock, ClickChoosesClick1OnTheMeasureAndSkipsALateOrEarlyFirstClick)
{
    const struct {
        const char* name;
        int leadMs;
        int32_t start;
        std::string clicks; // up to tick 490: beats at 120, 240, 360, 480
    } cases[] = {
        {"starting on a click", 0, 0, "12221"},
        {"5 ticks past a click", 0, 5, "12221"},
        {"20 ticks past a click", 0, 20, "2221"},
        {"lead of 50 ms", 50, 0, "2221"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        profile.writeInt("ClickOptions", "Enabled", 1);
        profile.writeInt("ClickOptions", "Lead", c.leadMs);
        init();
        makeSongWith({note(1800, 60, 90, 60)});
        output("Synth").clear();
        startAt(c.start);
        ASSERT_TRUE(runUntilPosition(490));
        EXPECT_EQ(clicksIn(synthSent()), c.clicks);
    }
}

TEST_F(TransportClock, AMeterOfZeroClocksPerClickCountsAsOneTick)
{
    profile.writeInt("ClickOptions", "Enabled", 1);
    init();
    makeSongWith({note(1800, 60, 90, 60)});
    for (MeasureRec& measure : song->measureMap)
        measure.clocksPerClick = 0;
    startAt(0);
    ASSERT_TRUE(runUntilPosition(30));
    EXPECT_GE(sequencer->beatPhase(), -0.5);
    EXPECT_LE(sequencer->beatPhase(), 0.5);
    EXPECT_GE(clicksIn(synthSent()).size(), 25u) << "a click on every tick";
}

TEST_F(TransportClock, DuringTheCountInTheSongStaysPutAndTheClickSounds)
{
    init();
    makeSongWith({note(120, 60, 90, 60), note(1800, 62, 90, 60)});
    sequencer->setRecording(true, 480); // one measure
    output("Synth").clear();
    startAt(0);
    EXPECT_TRUE(sequencer->countingIn());
    ASSERT_TRUE(runUntilPosition(470));
    EXPECT_TRUE(sequencer->countingIn());
    EXPECT_EQ(song->position(), 0);
    EXPECT_EQ(clicksIn(synthSent()), "1222");
    EXPECT_EQ(countOf(synthSent(), "90 3C 5A"), 0u) << "the song does not play";

    ASSERT_TRUE(runUntil([&] { return !sequencer->countingIn(); }));
    runTicks(2);
    EXPECT_EQ(sequencer->transportState(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), 0) << "the take starts where the song stood";
    ASSERT_TRUE(runUntilPosition(130));
    EXPECT_EQ(countOf(synthSent(), "90 3C 5A"), 1u);
}

TEST_F(TransportClock, TheSongsEndPostsTimer666AndStopHandsBackToTheIdleTimer)
{
    init();
    makeSongWith({note(0, 60, 90, 60)});
    startAt(0);
    ASSERT_TRUE(runUntil([&] { return sequencer->transportState() == TransportState::SongEnded; }));
    EXPECT_EQ(song->position(), song->endTick + 1);
    EXPECT_TRUE(waitForGuiCall("setFrameTimer(666)", std::chrono::seconds(5)));
    sequencer->Stop(false);
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_EQ(timer.mode(), TimerMode::Idle) << "no tick reads a song that may now be edited";
}

} // namespace
} // namespace rz
