#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "song/lane_items.h"
#include "song/selection.h"
#include "song_builder.h"
#include "song_fixture.h"

namespace rz {
namespace {

using test::addUserTrack;
using test::note;

// The items of a track as "start+length" with an "s" for selected ones.
std::vector<std::string> itemsOf(const CSongDoc& song, const CTrack& track)
{
    std::vector<std::string> out;
    for (const CTrackItem& item : track.items)
        out.push_back(std::to_string(item.start) + "+" + std::to_string(item.length)
                      + (item.stamp == song.selectionStamp && item.stamp != 0 ? "s" : ""));
    return out;
}

struct LaneItems : ::testing::Test {
    SongFixture f;
    std::unique_ptr<CSongDoc> song = f.newSong();
    CTrack& track = addUserTrack(*song);

    void SetUp() override
    {
        song->timeBase = 120; // four quarters: 480 ticks
        song->selectionStamp = 7;
    }
};

TEST_F(LaneItems, MidiBlocksSplitAtAFourQuarterGapAndJoinAcrossAHeldNote)
{
    struct {
        const char* name;
        std::vector<CMidiEvent> events;
        std::vector<std::string> items;
    } cases[] = {
        {"gap of exactly four quarters", {note(0, 60, 90, 100), note(580, 62, 90, 10)}, {"0+100", "580+10"}},
        {"gap just under", {note(0, 60, 90, 100), note(579, 62, 90, 10)}, {"0+589"}},
        {"held note bridges", {note(0, 60, 90, 100), note(10, 64, 90, 800), note(900, 62, 90, 10)}, {"0+910"}},
        {"other events are two ticks", {test::controller(0, 7, 1), test::controller(482, 7, 2)}, {"0+2", "482+2"}},
    };
    for (auto& c : cases) {
        track.events = std::move(c.events);
        BuildLaneItems(*song);
        EXPECT_EQ(itemsOf(*song, track), c.items) << c.name;
    }
}

TEST_F(LaneItems, TimeSelectionEdgesSplitBlocks)
{
    // q = 20: the edges fall at 100 - 20 and 300 - 20.
    track.events = {note(0, 60, 90, 10), note(60, 60, 90, 10), note(80, 60, 90, 10), note(200, 60, 90, 10),
                    note(280, 60, 90, 10), note(320, 60, 90, 10)};
    song->selectionKind = kSelectTimeRange;
    song->selectionFrom = 100;
    song->selectionTo = 300;
    BuildLaneItems(*song);
    EXPECT_EQ(itemsOf(*song, track), (std::vector<std::string>{"0+70", "80+130", "280+50"}));
}

TEST_F(LaneItems, SelectedAndUnselectedRunsBecomeSeparateItems)
{
    track.events = {note(0, 60, 90, 10), note(20, 60, 90, 10), note(40, 60, 90, 10), note(60, 60, 90, 10),
                    note(80, 60, 90, 10)};
    track.events[1].selectionStamp = 7;
    track.events[2].selectionStamp = 7;
    BuildLaneItems(*song);
    EXPECT_EQ(itemsOf(*song, track), (std::vector<std::string>{"0+20", "20+40s", "60+30"}));
    EXPECT_EQ(track.items[1].firstEvent, 1);
    EXPECT_EQ(track.items[2].firstEvent, 3);
}

TEST_F(LaneItems, AClipItemEndsByTheTempoMapAndRepeatsAndKeepsItsPeaksWhileTheClipStays)
{
    track.type = kWaveTrack;
    auto clip = std::make_unique<CAudioClip>();
    clip->length = 10'000'000; // 1 s, two quarters at the default tempo
    clip->number = 3;
    CMidiEvent event;
    event.tick = 120;
    event.SetClip(std::move(clip));
    track.events.push_back(std::move(event));
    BuildLaneItems(*song);
    ASSERT_EQ(track.items.size(), 1u);
    EXPECT_EQ(track.items[0].start, 120);
    EXPECT_EQ(track.items[0].length, 720);
    EXPECT_EQ(track.events[0].value2, 720);
    ASSERT_TRUE(track.items[0].peaks);
    EXPECT_EQ(track.items[0].peaks->entries(), 101u);

    const PeakBuffer* kept = track.items[0].peaks.get();
    BuildLaneItems(*song);
    EXPECT_EQ(track.items[0].peaks.get(), kept);

    auto other = std::make_unique<CAudioClip>();
    other->length = 20'000'000;
    other->number = 1;
    track.events[0].SetClip(std::move(other));
    BuildLaneItems(*song);
    EXPECT_EQ(track.items[0].peaks->entries(), 201u);
}

} // namespace
} // namespace rz
