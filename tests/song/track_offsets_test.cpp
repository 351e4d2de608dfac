// Writing tracks' key, velocity and time offsets into their events.

#include "song/track_offsets.h"
#include "song/track_props.h"
#include "tests/song/clipboard_fixture.h"

#include <gtest/gtest.h>

#include <climits>

namespace rz::test {
namespace {

struct TrackOffsets : ClipboardFixture, testing::Test {
    // One track "Piano" at `timeBase` holding `events`, with the offsets.
    std::unique_ptr<CSongDoc> songWith(std::vector<CMidiEvent> events, int32_t key, int32_t velocity,
                                       int32_t ms, uint16_t timeBase = 120)
    {
        std::unique_ptr<CSongDoc> song = songAt(timeBase, {"Piano"});
        song->tracks[1]->events = std::move(events);
        song->tracks[1]->key = key;
        song->tracks[1]->velocityOffset = velocity;
        song->tracks[1]->timeOffset = ms;
        settle(*song);
        return song;
    }

    static bool apply(CSongDoc& song, OffsetKinds which = {}, int32_t from = 0, int32_t to = INT32_MAX)
    {
        const std::vector<size_t> tracks{1};
        std::unique_ptr<CUndoRecord> record = BuildOffsetsRecord(song, tracks, from, to, which);
        return record && song.ApplyEdit(std::move(record)) == ApplyResult::Applied;
    }

    static std::vector<uint32_t> messagesOf(const CTrack& track)
    {
        std::vector<uint32_t> messages;
        for (const CMidiEvent& e : track.events)
            messages.push_back(e.message);
        return messages;
    }
};

TEST_F(TrackOffsets, KeysFoldBackByOctavesAndOnlyKeyedMessagesMove)
{
    const struct {
        int32_t offset;
        CMidiEvent event;
        uint32_t expected;
    } kCases[] = {
        {5, note(0, 125, 90, 10), 0x5A7690},
        {-5, note(0, 2, 90, 10), 0x5A0990},
        {5, channelEvent(0, 0x80, 60, 0), 0x004180},
        {5, channelEvent(0, 0xA0, 60, 30), 0x1E41A0},
        {5, controller(0, 60, 30), 0x1E3CB0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.event.message << " " << std::dec << c.offset);
        std::unique_ptr<CSongDoc> song = songWith({c.event}, c.offset, 0, 0);
        const bool keyed = (c.event.message & 0xF0) <= 0xA0;
        EXPECT_EQ(apply(*song), keyed);
        EXPECT_EQ(song->tracks[1]->events.at(0).message, c.expected);
    }
}

TEST_F(TrackOffsets, VelocitiesStayWithinOneTo127AndSilentNotesStaySilent)
{
    const struct {
        int32_t offset;
        uint32_t velocity;
        uint32_t expected;
    } kCases[] = {{20, 120, 127}, {-50, 30, 1}, {10, 0, 0}, {5, 64, 69}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.offset << " on " << c.velocity);
        std::unique_ptr<CSongDoc> song = songWith({note(0, 60, uint8_t(c.velocity), 10)}, 0, c.offset, 0);
        apply(*song);
        EXPECT_EQ((song->tracks[1]->events.at(0).message >> 16) & 0x7F, c.expected);
    }
}

// At 600 per quarter and 500000 µs a quarter, 1.2 ticks are a millisecond.
TEST_F(TrackOffsets, TimesMoveByMillisecondsButNotBeforeTheStart)
{
    std::unique_ptr<CSongDoc> song = songWith({controller(12, 7, 100), note(600, 60, 90, 10)}, 0, 0, -20, 600);
    ASSERT_TRUE(apply(*song));
    EXPECT_EQ(ticksOf(*song->tracks[1]), (std::vector<int32_t>{0, 576}));
}

TEST_F(TrackOffsets, OnlyTheRangeChangesAndTheChosenOffsetsBecomeZero)
{
    std::unique_ptr<CSongDoc> song =
        songWith({note(0, 60, 90, 10), note(480, 60, 90, 10), note(960, 60, 90, 10)}, 2, 10, 0);
    const std::string before = DescribeSong(*song);
    ASSERT_TRUE(apply(*song, OffsetKinds{true, true, false}, 480, 960));
    EXPECT_EQ(messagesOf(*song->tracks[1]), (std::vector<uint32_t>{0x5A3C90, 0x5A3E90, 0x5A3C90}));
    EXPECT_EQ(song->tracks[1]->key, 0);
    EXPECT_EQ(song->tracks[1]->velocityOffset, 10) << "not chosen";
    ASSERT_EQ(song->undoList.back()->label, "Apply offsets");
    ASSERT_TRUE(song->Undo());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST_F(TrackOffsets, NothingToChangeMakesNoRecord)
{
    std::unique_ptr<CSongDoc> zero = songWith({note(0, 60, 90, 10)}, 0, 0, 0);
    EXPECT_FALSE(apply(*zero));
    std::unique_ptr<CSongDoc> unchosen = songWith({note(0, 60, 90, 10)}, 3, 0, 0);
    EXPECT_FALSE(apply(*unchosen, OffsetKinds{false, true, true}));
    EXPECT_EQ(unchosen->tracks[1]->key, 3) << "the offsets stay too";
    std::unique_ptr<CSongDoc> noTracks = songWith({note(0, 60, 90, 10)}, 3, 0, 0);
    EXPECT_EQ(BuildOffsetsRecord(*noTracks, {}, 0, INT32_MAX, OffsetKinds{}), nullptr);
    EXPECT_TRUE(noTracks->undoList.empty());
}

} // namespace
} // namespace rz::test
