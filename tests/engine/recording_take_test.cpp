// Takes recorded through the engine: the Record command, the count-in, and
// the end of the take in Stop with the player's answer.

#include "song/describe_song.h"
#include "tests/engine/midi_input_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace rz {
namespace {

class RecordingTest : public MidiInputTest {
protected:
    // Starts a take at the tick and runs the tick that locates it.
    void recordAt(int32_t tick)
    {
        song->setPosition(tick);
        sequencer->Record();
        runTicks(1);
    }
    void playAt(int32_t position, uint32_t message)
    {
        ASSERT_TRUE(runUntilPosition(position));
        play(message);
    }
    void waitForCountInEnd()
    {
        ASSERT_TRUE(runUntil([&] {
            return !sequencer->countingIn()
                   && sequencer->transportState() == TransportState::Playing;
        }));
    }
    void stopAndAnswer(PromptAnswer answer)
    {
        prompt.expectYesNo("Keep this take?", answer);
        sequencer->Stop(false);
    }
    // "tick status data1 data2 value2" in hex, in track order.
    static std::vector<std::string> eventsOf(const CTrack& track)
    {
        std::vector<std::string> out;
        for (const CMidiEvent& event : track.events) {
            char text[48];
            std::snprintf(text, sizeof text, "%d %02X %02X %02X %d", event.tick, event.kind(),
                          event.data1(), event.data2(), event.value2);
            out.emplace_back(text);
        }
        return out;
    }
};

class RecordingCountIn : public RecordingTest {};

TEST_F(RecordingCountIn, NotesPlayedInTheCountInAreKeptAndTheTakeStartsAtTheFirst)
{
    start();
    makeArmedSong();
    CTrack& track = addThruTrack();
    recordAt(960); // one measure of count-in: input before 1440 lands at 480..960
    playAt(1040, control(7, 10));
    playAt(1100, control(7, 20));
    playAt(1200, noteOn(60, 100));
    playAt(1260, control(7, 30));
    playAt(1320, noteOff(60));
    waitForCountInEnd();
    playAt(1000, noteOn(62, 90));
    playAt(1100, noteOff(62));
    stopAndAnswer(PromptAnswer::Yes);

    EXPECT_EQ(eventsOf(track), (std::vector<std::string>{"720 B0 07 14 0", "720 90 3C 64 120",
                                                         "780 B0 07 1E 0", "1000 90 3E 5A 100"}));
}

TEST_F(RecordingCountIn, ThreeControllerMovesBeforeTheStartBecomeOneAtTheStartWithTheLastValue)
{
    start();
    makeArmedSong();
    CTrack& track = addThruTrack();
    recordAt(960);
    playAt(1000, control(7, 10));
    playAt(1100, control(7, 20));
    playAt(1200, control(7, 30));
    waitForCountInEnd();
    playAt(1000, noteOn(60, 100));
    playAt(1050, noteOff(60));
    stopAndAnswer(PromptAnswer::Yes);

    EXPECT_EQ(eventsOf(track),
              (std::vector<std::string>{"960 B0 07 1E 0", "1000 90 3C 64 50"}));
}

TEST_F(RecordingCountIn, TheInputsAreRestartedAndCountInInputNeverLandsBelowZero)
{
    start();
    makeArmedSong();
    CTrack& track = addThruTrack();
    recordAt(0);
    EXPECT_EQ(keyboard().stopCount(), 1);
    playAt(100, noteOn(60, 100));
    playAt(200, noteOff(60));
    stopAndAnswer(PromptAnswer::Yes);
    EXPECT_EQ(eventsOf(track), std::vector<std::string>{"0 90 3C 64 0"});
}

class RecordingOverwrite : public RecordingTest {};

TEST_F(RecordingOverwrite, ExistingControllersInsideTheTakesSpanAreReplaced)
{
    profile.writeInt("RecordOptions", "CountIn", 0);
    start();
    makeArmedSong();
    CTrack& track = addThruTrack();
    for (const CMidiEvent& event :
         {test::controller(900, 7, 1), test::controller(1000, 7, 2), test::controller(1050, 10, 3),
          test::controller(1100, 7, 4), test::controller(1500, 7, 5)})
        track.InsertEventSorted(event);
    recordAt(960);
    playAt(980, control(7, 40));
    playAt(1200, control(7, 50));
    stopAndAnswer(PromptAnswer::Yes);

    EXPECT_EQ(eventsOf(track),
              (std::vector<std::string>{"900 B0 07 01 0", "980 B0 07 28 0", "1050 B0 0A 03 0",
                                        "1200 B0 07 32 0", "1500 B0 07 05 0"}));
}

class RecordingAnswer : public RecordingTest {
protected:
    // A take over a track holding a controller the take overwrites.
    CTrack& recordATake()
    {
        profile.writeInt("RecordOptions", "CountIn", 0);
        start();
        makeArmedSong();
        CTrack& track = addThruTrack();
        track.InsertEventSorted(test::controller(500, 7, 9));
        track.endTick = 500;
        RebuildPlayImages(*song, false);
        recordAt(480);
        playAt(490, control(7, 40));
        playAt(520, noteOn(64, 80));
        playAt(600, control(7, 60));
        playAt(640, noteOff(64));
        return track;
    }
};

TEST_F(RecordingAnswer, NoChangesNothingAndReturnsToTheRecordStart)
{
    recordATake();
    const std::string before = DescribeSong(*song);
    stopAndAnswer(PromptAnswer::No);
    EXPECT_EQ(firstDifference(before, DescribeSong(*song)), "");
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_EQ(song->position(), 480);
    EXPECT_FALSE(sequencer->recording());
}

TEST_F(RecordingAnswer, YesAppliesOneRecordEditThatUndoTakesBackExactly)
{
    CTrack& track = recordATake();
    const std::string before = DescribeSong(*song);
    stopAndAnswer(PromptAnswer::Yes);
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Record");
    EXPECT_EQ(song->undoList.back()->flags, kUndoEvents);
    EXPECT_EQ(eventsOf(track), (std::vector<std::string>{"490 B0 07 28 0", "520 90 40 50 120",
                                                         "600 B0 07 3C 0"}));

    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(firstDifference(before, DescribeSong(*song)), "");
}

TEST_F(RecordingAnswer, StopDiscardingDropsTheTakeWithoutAsking)
{
    recordATake();
    const std::string before = DescribeSong(*song);
    sequencer->Stop(true);
    EXPECT_EQ(firstDifference(before, DescribeSong(*song)), "");
    EXPECT_EQ(song->position(), 480);
}

class RecordingStart : public RecordingTest {};

TEST_F(RecordingStart, WithoutThruTracksAsksForATrackAndChangesNothing)
{
    start();
    makeArmedSong();
    prompt.expectMessage("Please select at least one track.");
    sequencer->Record();
    EXPECT_FALSE(sequencer->recording());
    EXPECT_EQ(sequencer->transportState(), TransportState::Stopped);
    EXPECT_EQ(keyboard().stopCount(), 0);
}

TEST_F(RecordingStart, RefusesASecondWaveformTrackAndAClipWhereTheTakeWouldStart)
{
    start();
    makeArmedSong();
    CTrack& wave = addThruTrack();
    wave.type = kWaveTrack;
    CMidiEvent clip;
    clip.tick = 960; // 4 s
    auto audio = std::make_unique<CAudioClip>();
    audio->length = 30000000; // 3 s in 100-ns units
    clip.SetClip(std::move(audio));
    wave.InsertEventSorted(clip);
    rebuildThru();

    struct Case {
        int32_t position;
        bool refused;
    };
    // 240 ticks a second: a take may not start from 3 s to the clip's end at 7 s.
    for (const Case c : {Case{0, false}, Case{700, false}, Case{720, true}, Case{1680, true},
                         Case{1700, false}}) {
        SCOPED_TRACE(c.position);
        song->setPosition(c.position);
        if (c.refused)
            prompt.expectMessage("An audio clip already exists on this track at this time.");
        sequencer->Record();
        EXPECT_EQ(sequencer->recording(), !c.refused);
        sequencer->Stop(true);
        waitOutDebounce();
    }

    CTrack& second = addThruTrack();
    second.type = kWaveTrack;
    rebuildThru();
    song->setPosition(0);
    prompt.expectMessage("Please select a single waveform track.");
    sequencer->Record();
    EXPECT_FALSE(sequencer->recording());
}

class MidiInputRecord : public RecordingTest {};

TEST_F(MidiInputRecord, WithEchoOffTheTakeIsStillRecorded)
{
    profile.writeInt("RecordOptions", "Echo", 0);
    profile.writeInt("RecordOptions", "CountIn", 0);
    start();
    makeArmedSong();
    CTrack& track = addThruTrack();
    recordAt(0);
    playAt(10, noteOn(60, 100));
    playAt(70, noteOff(60));
    stopAndAnswer(PromptAnswer::Yes);
    EXPECT_EQ(eventsOf(track), std::vector<std::string>{"10 90 3C 64 60"});
    EXPECT_EQ(countOf(synthSent(), "90 3C 64"), 0u);
}

} // namespace
} // namespace rz
