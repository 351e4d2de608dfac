#include <gtest/gtest.h>

#include <algorithm>

#include "tests/song/play_test_song.h"

namespace rz {
namespace {

using test::controller;
using test::note;
using test::PlayTestSong;

bool contains(const std::vector<uint32_t>& messages, uint32_t message)
{
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

TEST(LocateChase, CachedValuesAreNotResentButBendAndRpnsAre)
{
    PlayTestSong t;
    t.addTrack({controller(0, 10, 30), controller(0, 11, 90), test::channelEvent(0, 0xE0, 0, 80),
                test::rpn(0, 1, 8192), note(1000, 60, 90, 10)});
    t.build();
    t.port.channels[0].controllers[10] = 30;
    t.port.channels[0].pitchBend = 80 * 128;
    t.port.channels[0].rpn[1] = 8192;
    t.song->Locate(100);
    const auto controllers = t.sentOfKind(0xB0);
    EXPECT_FALSE(contains(controllers, 0x1E0AB0u)) << "CC10 30 is cached";
    EXPECT_TRUE(contains(controllers, 0x5A0BB0u));
    EXPECT_EQ(t.sentOfKind(0xE0), std::vector<uint32_t>{0x5000E0u});
    EXPECT_EQ(t.sentOfKind(0x10), std::vector<uint32_t>{0x20000110u});
}

TEST(LocateChase, StartingKeepsSoundingNotesEndsOthersStrikesMissing)
{
    PlayTestSong t;
    t.addTrack({note(0, 60, 100, 500), note(0, 62, 90, 500)});
    t.build();
    const uint32_t tag = 1u << 24;
    const uint32_t keep = 0x90u | 60u << 8 | 100u << 16 | tag;
    const uint32_t stale = 0x90u | 64u << 8 | 100u << 16 | tag;
    const uint32_t preview = 0x90u | 67u << 8 | 100u << 16 | 0xFFu << 24;
    t.port.held = {keep, stale, preview};
    t.port.channels[0].controllers[64] = 127;
    t.fixture.engine.state = TransportState::Starting;
    t.song->Locate(100);
    const std::vector<uint32_t> expected = {
        0x40B0u,                         // pedal up before anything else
        stale & 0xFF00FFFFu,             // the note that should not sound ends
        0x90u | 62u << 8 | 90u << 16 | tag, // the missing one is struck
    };
    EXPECT_EQ(t.port.shortMessages, expected);
    std::vector<uint32_t> held = t.port.held;
    std::sort(held.begin(), held.end());
    std::vector<uint32_t> sounding = {keep, 0x90u | 62u << 8 | 90u << 16 | tag, preview};
    std::sort(sounding.begin(), sounding.end());
    EXPECT_EQ(held, sounding);
}

TEST(LocateChase, StoppedSendsNoNotesAndNoPedal)
{
    PlayTestSong t;
    t.addTrack({controller(0, 64, 127), note(0, 60, 100, 500)});
    t.build();
    t.song->Locate(100);
    EXPECT_TRUE(t.port.shortMessages.empty());
}

TEST(LocateChase, TrackWithTimeOffsetLandsAtTheOffsetTime)
{
    PlayTestSong t;
    CTrack& track = t.addTrack(
        {controller(300, 11, 1), controller(400, 11, 2), note(2000, 60, 90, 10)});
    track.timeOffset = 500; // ms: one quarter (120 ticks) at 500000 µs per quarter
    t.build();
    t.song->Locate(480);
    EXPECT_EQ(t.port.controllerValue(0, 11), 1);
    EXPECT_DOUBLE_EQ(track.timeOffsetUs, 500000.0);
    EXPECT_EQ(track.nextTick, 400); // read up to tick 360
    EXPECT_EQ(t.song->position(), 480);
}

TEST(LocateChase, SkipCueMovesThePlayingLocateOnly)
{
    struct Case {
        TransportState state;
        int32_t expected;
    } cases[] = {{TransportState::Playing, 960},
                 {TransportState::Starting, 960},
                 {TransportState::Stopped, 480},
                 {TransportState::Paused, 480}};
    for (const Case& c : cases) {
        PlayTestSong t;
        t.addTrack({note(2000, 60, 90, 10)});
        t.build();
        t.addCue(kCueSkip, 480, 960);
        t.fixture.engine.state = c.state;
        t.song->Locate(480);
        EXPECT_EQ(t.song->position(), c.expected) << int(c.state);
    }
}

TEST(LocateChase, BeyondTheLastMeasureLandsOnItsStart)
{
    PlayTestSong t;
    t.addTrack({note(1000, 60, 90, 10)});
    t.build();
    const int32_t last = t.song->measureMap.back().start;
    t.song->Locate(100000);
    EXPECT_EQ(t.song->position(), last);
    t.song->Locate(-5);
    EXPECT_EQ(t.song->position(), 0);
}

TEST(LocateChase, DataEntryWithoutSelectedRpnSendsNothing)
{
    PlayTestSong t;
    t.addTrack({controller(0, 6, 5), controller(0, 38, 3), note(0, 60, 90, 10)});
    t.build();
    t.song->Locate(100);
    EXPECT_TRUE(t.sentOfKind(0x10).empty());
    EXPECT_TRUE(t.sentOfKind(0xB0).empty());
}

TEST(LocateChase, SharedChannelVolumeIsScaledByTheTrackItCameFrom)
{
    PlayTestSong t;
    CTrack& loud = t.addTrack({controller(0, 7, 100)}, 1);
    loud.volume = 50;
    CTrack& soft = t.addTrack({controller(10, 7, 100)}, 1);
    soft.volume = 20;
    t.build();
    t.song->Locate(100);
    EXPECT_EQ(t.port.unscaledVolume(1), 100);
    EXPECT_EQ(t.port.controllerValue(1, 7), 20); // the later CC7, at 20 %
}

} // namespace
} // namespace rz
