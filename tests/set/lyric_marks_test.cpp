#include "set/lyric_marks.h"

#include "song/selection.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {
using namespace test;

// Four syllables on one line, 40 pixels wide each, and a beat placeholder.
class LyricMarksTest : public ::testing::Test {
protected:
    LyricMarksTest() : track(addUserTrack(*song))
    {
        for (int i = 0; i < 4; ++i) {
            track.events.push_back(textEvent(i * 120, "la", 0x05));
            LyricItem item;
            item.tick = i * 120;
            item.eventIndex = i;
            item.rect = {i * 40, 0, i * 40 + 40, 20};
            items.push_back(item);
        }
        LyricItem beat;
        beat.tick = 480;
        beat.rect = {0, 20, 10, 40};
        items.push_back(beat);
        song->selectionStamp = 7;
    }

    void select(int event) { track.events[size_t(event)].selectionStamp = song->selectionStamp; }
    bool selected(int event) const { return track.events[size_t(event)].selectionStamp == song->selectionStamp; }
    std::vector<int> marks() const
    {
        std::vector<int> out;
        for (const LyricItem& item : items)
            out.push_back(item.mark);
        return out;
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    CTrack& track;
    std::vector<LyricItem> items;
};

TEST_F(LyricMarksTest, BandMarksWhatItTouchesAndCtrlUnmarksTheSelected)
{
    select(1);
    EXPECT_TRUE(LyricMarks::mark(items, 0, 5, {30, 5, 90, 10}, false, track, song->selectionStamp));
    EXPECT_EQ(marks(), (std::vector<int>{1, 1, 1, 0, 0}));
    EXPECT_TRUE(LyricMarks::mark(items, 0, 5, {90, 10, 30, 5}, true, track, song->selectionStamp));
    EXPECT_EQ(marks(), (std::vector<int>{1, -1, 1, 0, 0}));
    EXPECT_FALSE(LyricMarks::mark(items, 0, 5, {90, 10, 30, 5}, true, track, song->selectionStamp));
    // A click is a band one pixel wide; items outside the page stay as they were.
    EXPECT_TRUE(LyricMarks::mark(items, 2, 5, {125, 7, 125, 7}, false, track, song->selectionStamp));
    EXPECT_EQ(marks(), (std::vector<int>{1, -1, 0, 1, 0}));
    EXPECT_TRUE(LyricMarks::mark(items, 0, 5, {125, 7, 125, 7}, false, track, song->selectionStamp));
    EXPECT_EQ(marks(), (std::vector<int>{0, 0, 0, 1, 0}));
}

TEST_F(LyricMarksTest, RangeCountsMarkedAndSelectedButNotUnmarked)
{
    EXPECT_EQ(LyricMarks::range(items, track, song->selectionStamp), std::make_pair(-1, -1));
    select(3);
    items[1].mark = 1;
    EXPECT_EQ(LyricMarks::range(items, track, song->selectionStamp), std::make_pair(120, 360));
    items[3].mark = -1;
    EXPECT_EQ(LyricMarks::range(items, track, song->selectionStamp), std::make_pair(120, 120));
}

TEST_F(LyricMarksTest, CtrlDragOverSelectedLyricsDeselectsThemOnRelease)
{
    select(0);
    select(1);
    select(2);
    LyricMarks::mark(items, 0, 5, {0, 0, 50, 20}, true, track, song->selectionStamp);
    LyricMarks::commit(items, track, *song);
    EXPECT_FALSE(selected(0));
    EXPECT_FALSE(selected(1));
    EXPECT_TRUE(selected(2));
    EXPECT_EQ(marks(), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(song->selectionKind, kSelectEvents);
    EXPECT_EQ(song->selectionFrom, 240);
    EXPECT_EQ(song->selectionTo, 240);

    LyricMarks::mark(items, 0, 5, {80, 0, 120, 20}, true, track, song->selectionStamp);
    LyricMarks::commit(items, track, *song);
    EXPECT_EQ(song->selectionKind, 0u);
    EXPECT_EQ(song->selectionFrom, -1);
    EXPECT_EQ(song->selectionTo, -1);
    EXPECT_FALSE(selected(2));
}

TEST(LyricCopy, LeadsOfTheEventsGiveLineBreaks)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    CTrack& track = addUserTrack(*song);
    const struct {
        const char* raw;
        const char* shown;
    } events[] = {
        {"One", "One"}, {" two", " two"}, {"/three", "three"}, {"\\four", "four"},
        {"|five", "five"}, {"\rsix", "six"}, {"\nseven", "seven"}, {"", ""},
    };
    std::vector<LyricItem> items;
    for (const auto& e : events) {
        LyricItem item;
        item.eventIndex = int32_t(track.events.size());
        item.text = e.shown;
        track.events.push_back(textEvent(0, e.raw, 0x05));
        items.push_back(item);
        items.push_back(LyricItem{}); // a beat placeholder between syllables
    }
    EXPECT_EQ(LyricCopyText(items, track), "One two\nthree\n\nfour\n\nfive\nsix\n\nseven");
    EXPECT_EQ(LyricCopyText({}, track), "");
}

} // namespace
} // namespace rz
