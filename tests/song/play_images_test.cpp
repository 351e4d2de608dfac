#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "song/play_images.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song_builder.h"
#include "song_fixture.h"

namespace rz {
namespace {

using test::note;

// The ticks of the channel messages a track's image plays, with their kinds.
struct Played {
    int32_t tick;
    uint8_t kind, data1, data2;
    bool operator==(const Played&) const = default;
};

std::vector<Played> channelMessages(CTrack& track)
{
    std::vector<Played> played;
    track.RewindReader();
    RawEvent event;
    while (track.ReadNextEvent(event)) {
        if (event.kind < 0xF0)
            played.push_back({event.tick, event.kind, event.data1, event.data2});
    }
    return played;
}

class PlayImages : public testing::Test {
protected:
    // A MIDI track on port 0, channel 0, with a patch and notes.
    CTrack& addTrack(int32_t patch, std::vector<int32_t> noteTicks, int32_t length = 100)
    {
        CTrack& track = test::addUserTrack(*m_song);
        track.patch = patch;
        for (int32_t tick : noteTicks)
            track.events.push_back(note(tick, 60, 100, length));
        return track;
    }

    SongFixture m_fixture;
    std::unique_ptr<CSongDoc> m_song = m_fixture.newSong(); // 120 ticks a quarter
};

TEST_F(PlayImages, LoneTrackGetsPointZeroAndItsSettingsThere)
{
    CTrack& track = addTrack(5, {0, 480});
    RebuildPlayImages(*m_song, false);
    EXPECT_EQ(track.patchChangePoints, (std::vector<int32_t>{0}));
    EXPECT_EQ(track.chased, 1);
    EXPECT_EQ(channelMessages(track).front(), (Played{0, 0xC0, 5, 0}));
    EXPECT_EQ(m_song->endTick, 580);
}

TEST_F(PlayImages, SecondPatchOnASharedChannelSwitchesJustBeforeItsFirstNote)
{
    CTrack& first = addTrack(1, {0, 480, 960, 1440, 1800});   // bars 1-4
    CTrack& second = addTrack(2, {1920, 2400, 2880, 3360});   // bars 5-8
    RebuildPlayImages(*m_song, false);
    EXPECT_EQ(first.patchChangePoints, (std::vector<int32_t>{0}));
    ASSERT_EQ(second.patchChangePoints.size(), 1u);
    const int32_t point = second.patchChangePoints[0];
    EXPECT_GT(point, 1800);
    EXPECT_GE(point, 1920 - 120 / 6);
    EXPECT_LT(point, 1920);
    EXPECT_EQ(channelMessages(second).front(), (Played{point, 0xC0, 2, 0}));
}

TEST_F(PlayImages, AutoPropsOffGivesEachTrackPointZero)
{
    m_fixture.host.autoPropsFlag = false;
    CTrack& first = addTrack(1, {0, 480});
    CTrack& second = addTrack(2, {1920});
    RebuildPlayImages(*m_song, false);
    EXPECT_EQ(first.patchChangePoints, (std::vector<int32_t>{0}));
    EXPECT_EQ(second.patchChangePoints, (std::vector<int32_t>{0}));
}

struct GroupCase {
    const char* name;
    std::function<void(CSongDoc&, SongFixture&, CTrack& first, CTrack& second)> setup;
    bool shared;
};

void PrintTo(const GroupCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlayImagesGroup : public PlayImages, public testing::WithParamInterface<GroupCase> {};

// A shared channel shows as a patch-change point of the second track that is
// not 0.
TEST_P(PlayImagesGroup, SharesTheChannelOnlyThroughOneOpenPort)
{
    CTrack& first = addTrack(1, {0});
    CTrack& second = addTrack(2, {960});
    GetParam().setup(*m_song, m_fixture, first, second);
    RebuildPlayImages(*m_song, false);
    EXPECT_EQ(second.patchChangePoints != std::vector<int32_t>{0}, GetParam().shared);
}

INSTANTIATE_TEST_SUITE_P(
    , PlayImagesGroup,
    testing::Values(
        GroupCase{"SamePortEntry", [](auto&, auto&, auto&, auto&) {}, true},
        GroupCase{"EntriesMappedToOneOpenPort",
                  [](CSongDoc&, SongFixture& f, CTrack& a, CTrack& b) {
                      f.engine.outputMap = {0, -1, -1, 0};
                      a.port = 0;
                      b.port = 3;
                  },
                  true},
        GroupCase{"EntriesThatAreNotOpen",
                  [](CSongDoc&, SongFixture& f, CTrack& a, CTrack& b) {
                      f.engine.outputMap = {0, -1, -1};
                      a.port = 1;
                      b.port = 2;
                  },
                  false},
        GroupCase{"EntryBeyondTheMap",
                  [](CSongDoc&, SongFixture& f, CTrack& a, CTrack& b) {
                      f.engine.outputMap = {0};
                      a.port = 0;
                      b.port = 5;
                  },
                  false},
        GroupCase{"OtherChannel", [](CSongDoc&, SongFixture&, CTrack&, CTrack& b) { b.channel = 1; },
                  false},
        GroupCase{"MutedTrack",
                  [](CSongDoc&, SongFixture&, CTrack& a, CTrack&) { a.playEnabled = 0; }, false},
        GroupCase{"SoloUsesTheSavedState",
                  [](CSongDoc& s, SongFixture&, CTrack& a, CTrack&) {
                      s.soloActive = true;
                      a.playEnabled = 0; // not the soloed track, but not muted either
                  },
                  true},
        GroupCase{"NoPatch", [](CSongDoc&, SongFixture&, CTrack& a, CTrack&) { a.patch = -1; },
                  false},
        GroupCase{"MetaTrack",
                  [](CSongDoc&, SongFixture&, CTrack& a, CTrack&) { a.type = kMetaTrack; }, false}),
    [](const testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.name); });

struct VampCase {
    const char* name;
    int32_t lastFirst;  // the first track's last note
    int32_t firstSecond; // the second track's first note
    int32_t vampStart, vampEnd;
    int32_t point;
};

void PrintTo(const VampCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlayImagesVamp : public PlayImages, public testing::WithParamInterface<VampCase> {};

TEST_P(PlayImagesVamp, KeepsTheSwitchOutOfTheRepeatedStretch)
{
    const VampCase& c = GetParam();
    addTrack(1, {0, c.lastFirst}, 10);
    CTrack& second = addTrack(2, {c.firstSecond, c.firstSecond + 480}, 10);
    auto vamp = std::make_unique<CCue>();
    vamp->kind = kCueVamp;
    vamp->secondTime = c.vampStart;
    vamp->time = c.vampEnd;
    m_song->cues.push_back(std::move(vamp));
    RebuildPlayImages(*m_song, false);
    EXPECT_EQ(second.patchChangePoints, (std::vector<int32_t>{c.point}));
}

INSTANTIATE_TEST_SUITE_P(
    , PlayImagesVamp,
    testing::Values(
        VampCase{"NoVampAtThePoint", 1800, 1920, 3000, 3840, 1900},
        VampCase{"PreviousPatchPlaysInTheVampSwitchAfterIt", 2300, 2410, 1440, 2400, 2401},
        VampCase{"NextPatchStartsInTheVampSwitchBeforeIt", 1000, 1470, 1440, 2400, 1439},
        VampCase{"BothInsideTheVampStaysPut", 1800, 2000, 1440, 2400, 1980}),
    [](const testing::TestParamInfo<VampCase>& info) { return std::string(info.param.name); });

TEST_F(PlayImages, PointlessMemberPushesALaterMembersTickZeroToOneInTheImageOnly)
{
    CTrack& silent = addTrack(1, {});
    CTrack& playing = addTrack(2, {0, 480});
    playing.events.insert(playing.events.begin(), test::controller(0, 7, 90));
    std::vector<int32_t> ticksBefore;
    for (const CMidiEvent& event : playing.events)
        ticksBefore.push_back(event.tick);

    RebuildPlayImages(*m_song, false);

    EXPECT_EQ(silent.patchChangePoints, (std::vector<int32_t>{0}));
    EXPECT_EQ(playing.patchChangePoints, (std::vector<int32_t>{1}));
    std::vector<int32_t> ticksAfter;
    for (const CMidiEvent& event : playing.events)
        ticksAfter.push_back(event.tick);
    EXPECT_EQ(ticksAfter, ticksBefore);
    EXPECT_FALSE(m_song->modified);
    EXPECT_EQ(channelMessages(silent).front(), (Played{0, 0xC0, 1, 0}));
    const std::vector<Played> played = channelMessages(playing);
    ASSERT_EQ(played.size(), 6u);
    EXPECT_EQ(played[0], (Played{1, 0xC0, 2, 0}));
    EXPECT_EQ(played[1], (Played{1, 0xB0, 7, 90}));
    EXPECT_EQ(played[2], (Played{1, 0x90, 60, 100}));
    EXPECT_EQ(played[3], (Played{101, 0x90, 60, 0}));
    EXPECT_EQ(played[4], (Played{480, 0x90, 60, 100}));
}

TEST_F(PlayImages, KeepDoneRebuildsOnlyTheClearedTracks)
{
    CTrack& kept = addTrack(1, {0});
    CTrack& cleared = addTrack(2, {0});
    cleared.channel = 1;
    RebuildPlayImages(*m_song, false);
    kept.playImage.clear();
    cleared.playImage.clear();
    cleared.chased = 0;
    RebuildPlayImages(*m_song, true);
    EXPECT_TRUE(kept.playImage.empty());
    EXPECT_FALSE(cleared.playImage.empty());
    RebuildPlayImages(*m_song, false);
    EXPECT_FALSE(kept.playImage.empty());
}

TEST_F(PlayImages, SeekPointsEverySixteenQuartersTaggedWithTheTrackIndex)
{
    addTrack(1, {0});
    CTrack& track = addTrack(2, {});
    track.channel = 1;
    track.events = {note(0, 60, 100, 2500), note(2 * 1920 + 5, 62, 100, 10)};
    RebuildPlayImages(*m_song, false);
    ASSERT_EQ(track.seekPoints.size(), 4u);
    EXPECT_EQ(track.seekPoints[1].nextTick, 2500); // the first note's end
    ASSERT_EQ(track.seekPoints[1].soundingNotes.size(), 1u);
    EXPECT_EQ(track.seekPoints[1].soundingNotes[0] >> 24, 2u);
}

TEST_F(PlayImages, WaveformTrackLastsUntilItsClipHasPlayed)
{
    CTrack& track = test::addUserTrack(*m_song);
    track.type = kWaveTrack;
    CMidiEvent event;
    auto clip = std::make_unique<CAudioClip>();
    clip->length = 10 * 1000 * 1000 * 10; // 10 s in 100-ns units
    event.SetClip(std::move(clip));
    event.tick = 120;
    track.events.push_back(std::move(event));
    RebuildPlayImages(*m_song, false);
    // 10 s at 120 quarters a minute is 20 quarters.
    EXPECT_EQ(track.events[0].value2, 20 * 120);
    EXPECT_EQ(track.endTick, 21 * 120);
    EXPECT_EQ(m_song->endTick, 21 * 120);
}

TEST_F(PlayImages, SongWithoutUserTracksOnlyUpdatesItsEnd)
{
    m_song->endTick = 12345;
    RebuildPlayImages(*m_song, false);
    EXPECT_EQ(m_song->endTick, 0);
}

} // namespace
} // namespace rz
