// The engine following external synchronisation: messages go straight into
// the follower's hooks, as the input dispatcher hands them over. Songs: 120
// ticks per quarter at 120 per minute (a MIDI clock every 5 ticks, one tick
// 4166.7 µs), one track on "Synth".

#include "tests/engine/transport_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace rz {
namespace {

using namespace std::chrono_literals;
using test::controller;
using test::note;

class SyncFollow : public TransportTest {
protected:
    void follow(int protocol, int port = 0)
    {
        profile.writeInt("SyncOptions", "MasterSlave", 2);
        profile.writeInt("SyncOptions", "Protocol", protocol);
        profile.writeInt("SyncOptions", "Port", port);
        init();
    }

    void send(uint32_t message, int input = 0, TickTime stamp = {})
    {
        sequencer->OnSyncInput(input, message, stamp);
    }
    void clocks(int count)
    {
        for (int i = 0; i < count; ++i)
            send(0xF8);
    }
    void sysEx(std::vector<uint8_t> bytes, int input = 0)
    {
        sequencer->OnSyncSysEx(input, bytes, TickTime{});
    }
    // The eight quarter frames of a time, piece 0 first.
    void quarterFrames(int rate, int hours, int minutes, int seconds, int frames)
    {
        const int nibbles[8] = {frames & 15,  frames >> 4,  seconds & 15,
                                seconds >> 4, minutes & 15, minutes >> 4,
                                hours & 15,   (hours >> 4) | rate << 1};
        for (int piece = 0; piece < 8; ++piece)
            send(0xF1u | uint32_t(piece << 4 | nibbles[piece]) << 8);
    }

    TransportState state() const { return sequencer->transportState(); }
};

TEST_F(SyncFollow, OnlyTheSyncPortIsFollowedWhenOneIsSet)
{
    const struct {
        int role;
        int port;
        int input; // 0-based
        bool follows;
    } cases[] = {
        {2, 0, 0, true},  {2, 0, 3, true},   {2, 2, 1, true}, {2, 2, 0, false},
        {2, 2, 2, false}, {2, 9, 0, false},  {1, 0, 0, false}, {0, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "role " << c.role << " port " << c.port << " input "
                                        << c.input);
        TearDown();
        profile.writeInt("SyncOptions", "MasterSlave", c.role);
        profile.writeInt("SyncOptions", "Port", c.port);
        init();
        makeSongWith({note(0, 60, 90, 30)});
        send(0xFA, c.input);
        EXPECT_EQ(state(), c.follows ? TransportState::Starting : TransportState::Stopped);
    }
}

TEST_F(SyncFollow, StartThenClockPlaysFromZeroOneClockAfterAnother)
{
    follow(0);
    makeSongWith({note(0, 60, 90, 30), note(60, 62, 90, 30)});
    song->setPosition(200);
    send(0xFA);
    EXPECT_EQ(state(), TransportState::Starting);
    EXPECT_EQ(countOf(synthSent(), "90 3C 5A"), 0u) << "the clock starts the song, not FA";
    send(0xF8);
    EXPECT_EQ(state(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), 0);
    EXPECT_EQ(countOf(synthSent(), "90 3C 5A"), 1u);
    clocks(11); // up to tick 55
    EXPECT_EQ(countOf(synthSent(), "90 3E 5A"), 0u);
    send(0xF8); // tick 60
    EXPECT_EQ(countOf(synthSent(), "90 3E 5A"), 1u);
    EXPECT_EQ(sequencer->position(), 60);
    EXPECT_EQ(sequencer->realTime(), song->TickToTime(60));
}

TEST_F(SyncFollow, ContinueBetweenClocksRestartsOnTheClockAtOrBeforeThePosition)
{
    follow(0);
    makeSongWith({note(0, 60, 90, 30), note(480, 62, 90, 30)});
    song->setPosition(7);
    send(0xFB);
    EXPECT_EQ(state(), TransportState::Starting);
    send(0xF8);
    EXPECT_EQ(sequencer->position(), 5);
    EXPECT_EQ(song->position(), 5);
    send(0xF8);
    EXPECT_EQ(sequencer->position(), 10);
}

TEST_F(SyncFollow, StopSilencesAndSongPositionLocatesInSixteenths)
{
    follow(0);
    makeSongWith({note(0, 60, 90, 400), note(960, 62, 90, 30)});
    send(0xFA);
    clocks(2);
    ASSERT_FALSE(sequencer->ports()->outputs[0]->heldNotes().empty());
    send(0xFC);
    EXPECT_EQ(state(), TransportState::Stopped);
    EXPECT_TRUE(sequencer->ports()->outputs[0]->heldNotes().empty());
    send(0xF2 | 16 << 8); // 16 sixteenths: tick 480
    EXPECT_EQ(song->position(), 480);
    EXPECT_EQ(sequencer->position(), 480);
    send(0xF2 | 0x7F << 8 | 0x7F << 16);
    EXPECT_EQ(song->position(), song->measureMap.back().start) << "beyond the song: its last measure";
}

TEST_F(SyncFollow, QuarterFramesAssembleTheTimeWithTheRateAndTwoFramesMore)
{
    const struct {
        int rate;
        double time; // µs: 1 s and two frames
    } cases[] = {{0, 1083333.3}, {1, 1080000.0}, {3, 1066666.7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        TearDown();
        follow(1);
        makeSongWith({note(0, 60, 90, 30), note(1900, 62, 90, 30)});
        quarterFrames(c.rate, 0, 0, 1, 0);
        EXPECT_EQ(state(), TransportState::Playing);
        EXPECT_EQ(sequencer->position(), song->TimeToTick(c.time));
    }
    // After piece 7 the time runs on by a quarter frame (30 fps: 8333.3 µs)
    // from the tick it was located at.
    EXPECT_NEAR(sequencer->realTime(), song->TickToTime(sequencer->position()) + 8333.3, 1.0);
}

TEST_F(SyncFollow, TimeCodeStartsOnlyOnAWholeTimeAndIsFollowedPieceByPiece)
{
    follow(1);
    makeSongWith({note(0, 60, 90, 30), note(1900, 62, 90, 30)});
    send(0xF1 | 0x31 << 8); // piece 3 alone
    EXPECT_EQ(state(), TransportState::Stopped);
    quarterFrames(kSmpteRate25, 0, 0, 1, 0);
    ASSERT_EQ(state(), TransportState::Playing);
    const double at = sequencer->realTime();
    send(0xF1 | 0x02 << 8); // piece 0 of the next cycle
    EXPECT_DOUBLE_EQ(sequencer->realTime(), at + 10000.0);
    quarterFrames(kSmpteRate25, 0, 0, 4, 0); // the sender jumped
    EXPECT_EQ(sequencer->position(), song->TimeToTick(4080000.0)) << "located, not played up to";
}

TEST_F(SyncFollow, SongSelectIsIgnoredWhilePlayingAndPostedWhenStopped)
{
    follow(0);
    makeSongWith({note(0, 60, 90, 30), note(480, 62, 90, 30)});
    send(0xFA);
    clocks(1);
    send(0xF3 | 5 << 8);
    send(0xFC);
    send(0xF3 | 6 << 8);
    EXPECT_TRUE(waitForGuiCall("selectSetSong(6)", 2s));
    EXPECT_EQ(gui.recorder.count("selectSetSong"), 1u) << "F3 05 came while playing";
}

TEST_F(SyncFollow, FullFramesInOneBlockAllApplyAndOtherUniversalMessagesDoNot)
{
    follow(1);
    makeSongWith({controller(0, 10, 10), controller(200, 10, 20), controller(400, 10, 30),
                  note(1900, 62, 90, 30)});
    quarterFrames(kSmpteRate25, 0, 0, 0, 0);
    ASSERT_EQ(state(), TransportState::Playing);
    const int32_t playing = sequencer->position();
    // A 10-byte universal real-time message that is not a full frame.
    sysEx({0xF0, 0x7F, 0x7F, 0x06, 0x44, 0x06, 0x01, 0x21, 0x00, 0xF7});
    EXPECT_EQ(state(), TransportState::Playing);
    EXPECT_EQ(sequencer->position(), playing);
    output("Synth").clear();
    sysEx({0x00, 0x12,                                                   // noise before
           0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x20, 0x00, 0x01, 0x00, 0xF7,   // 1 s at 25 fps
           0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x20, 0x00, 0x02, 0x00, 0xF7}); // 2 s
    EXPECT_EQ(state(), TransportState::Stopped);
    EXPECT_EQ(sequencer->position(), 480);
    const std::vector<std::string> sent = synthSent();
    EXPECT_EQ(countOf(sent, "B0 0A 14"), 1u) << "the first full frame located at tick 240";
    EXPECT_EQ(countOf(sent, "B0 0A 1E"), 1u) << "the second at tick 480";
}

TEST_F(SyncFollow, FullFrameFieldsBeyondTheirRangeAreClampedBeforeConversion)
{
    const struct {
        uint8_t hours; // with the rate bits
        uint8_t minutes, seconds, frames;
        int32_t tick;
    } cases[] = {
        {0x20, 0, 1, 40, 471},                 // frame 40 at 25 fps: frame 24
        {0x20, 0, 61, 1, 14170},               // second 61: second 59
        {0x1F, 0x7F, 0x7F, 0x7F, 100000 - 1},  // far beyond the song
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tick);
        TearDown();
        follow(1);
        makeSongWith({note(0, 60, 90, 30), note(15000, 62, 90, 30)});
        sysEx({0xF0, 0x7F, 0x00, 0x01, 0x01, c.hours, c.minutes, c.seconds, c.frames, 0xF7});
        const int32_t expected = std::min(c.tick, song->measureMap.back().start);
        EXPECT_EQ(song->position(), expected);
    }
}

TEST_F(SyncFollow, WhatAClockPlaysCarriesTheClocksArrivalStamp)
{
    follow(0);
    makeSongWith({note(0, 60, 90, 30), note(5, 62, 90, 30)});
    const TickTime first = TickTime(123456789ns);
    const TickTime second = first + 20833us;
    send(0xFA);
    send(0xF8, 0, first);
    send(0xF8, 0, second);
    std::vector<TickTime> stamps;
    for (const RecordingMidiDevice::Message& message : output("Synth").messages()) {
        if (message.bytes.size() == 3 && message.bytes[0] == 0x90 && message.bytes[2] != 0)
            stamps.push_back(message.stamp);
    }
    EXPECT_EQ(stamps, (std::vector<TickTime>{first, second}));
}

TEST_F(SyncFollow, PlayWaitsInStartingForTheClockWithNoTimer)
{
    follow(0);
    makeSongWith({note(0, 60, 90, 30), note(240, 62, 90, 30)});
    sequencer->Play(0, true, false);
    EXPECT_EQ(state(), TransportState::Starting);
    runTicks(100);
    EXPECT_EQ(state(), TransportState::Starting) << "no playback timer runs";
    EXPECT_EQ(countOf(synthSent(), "90 3C 5A"), 0u);
    send(0xF8);
    EXPECT_EQ(state(), TransportState::Playing);
    EXPECT_EQ(countOf(synthSent(), "90 3C 5A"), 1u);
    sequencer->Stop(false);
    EXPECT_EQ(state(), TransportState::Stopped);
    send(0xF8);
    EXPECT_EQ(state(), TransportState::Stopped) << "a clock does not restart a stopped follower";
}

} // namespace
} // namespace rz
