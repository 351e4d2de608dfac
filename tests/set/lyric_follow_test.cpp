#include "set/lyric_follower.h"
#include "set/lyric_track.h"

#include "lyric_fakes.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {
using namespace test;

struct Laid {
    std::vector<LyricItem> items;
    LyricPages pages;
};

Laid laid(std::initializer_list<std::string_view> texts, int style = kLyricBall, int height = 10000)
{
    Laid out{lyricItems(texts, 120), {}};
    LyricLayoutParams p;
    p.clientWidth = 600;
    p.clientHeight = height;
    p.style = style;
    out.pages = layoutLyricItems(out.items, "", p, FixedWidthMeasurer());
    return out;
}

LyricFollowInput at(int32_t tick, int style = kLyricBall, int height = 10000)
{
    return LyricFollowInput{tick, 600, height, 50, style};
}

TEST(LyricFollowBall, SitsOnTheSyllableAndRisesHalfway)
{
    const Laid l = laid({"one ", "two ", "three"});
    const LyricFollowResult on = followLyrics(l.items, l.pages, at(0), {});
    EXPECT_EQ(on.state.currentItem, 0);
    EXPECT_EQ(on.state.ballY, l.items[0].rect.top - 8);
    EXPECT_EQ(on.state.ballX, l.items[0].rect.centreX() - 4);

    const LyricFollowResult half = followLyrics(l.items, l.pages, at(60), on.state);
    EXPECT_EQ(half.state.ballY, l.items[0].rect.top - 50);
    EXPECT_EQ(half.state.ballX, (l.items[0].rect.centreX() + l.items[1].rect.centreX()) / 2 - 4);
}

TEST(LyricFollowBall, FewerThanThreeItemsFollowNothing)
{
    const Laid l = laid({"one ", "two"});
    const LyricFollowResult r = followLyrics(l.items, l.pages, at(200), {});
    EXPECT_EQ(r.state.currentItem, -1);
    EXPECT_FALSE(r.repaintAll);
    EXPECT_TRUE(r.repaint.empty());
}

TEST(LyricFollowRepaint, BallStyleRepaintsOnlyTheTwoBallRectangles)
{
    const Laid l = laid({"one ", "two ", "three"});
    const LyricFollowResult first = followLyrics(l.items, l.pages, at(0), {});
    const LyricFollowResult next = followLyrics(l.items, l.pages, at(30), first.state);
    EXPECT_FALSE(next.repaintAll);
    ASSERT_EQ(next.repaint.size(), 2u);
    EXPECT_EQ(next.repaint[0], (LyricRect{first.state.ballX + 50, first.state.ballY, first.state.ballX + 59,
                                          first.state.ballY + 9}));
    EXPECT_EQ(next.repaint[1].width(), kLyricBallSize);
    EXPECT_EQ(next.repaint[1].left, next.state.ballX + 50);

    const LyricFollowResult still = followLyrics(l.items, l.pages, at(30), next.state);
    EXPECT_TRUE(still.repaint.empty());
}

TEST(LyricFollowRepaint, HighlightStylesRepaintWhenTheSyllableChanges)
{
    const Laid l = laid({"one ", "two ", "three"}, kLyricSyllables);
    const LyricFollowResult first = followLyrics(l.items, l.pages, at(0, kLyricSyllables), {});
    EXPECT_TRUE(first.repaintAll);
    EXPECT_FALSE(followLyrics(l.items, l.pages, at(60, kLyricSyllables), first.state).repaintAll);
    EXPECT_TRUE(followLyrics(l.items, l.pages, at(130, kLyricSyllables), first.state).repaintAll);
}

TEST(LyricFollowPages, PageChangeResetsTheScroll)
{
    const Laid l = laid({"a", "/b", "/c", "/d", "/e", "|f", "/g"}, kLyricBall, 200);
    LyricFollowResult r = followLyrics(l.items, l.pages, at(0, kLyricBall, 200), {});
    ASSERT_EQ(r.state.currentPage, 0);
    EXPECT_TRUE(r.state.scrollEnabled);
    r = followLyrics(l.items, l.pages, at(480, kLyricBall, 200), r.state);
    EXPECT_GT(r.state.scrollOffset, 0);
    r = followLyrics(l.items, l.pages, at(600, kLyricBall, 200), r.state);
    EXPECT_EQ(r.state.currentPage, 1);
    EXPECT_TRUE(r.pageChanged);
    EXPECT_EQ(r.state.scrollOffset, 0);
    EXPECT_FALSE(r.state.scrollEnabled);
}

class LyricFollowTrack : public ::testing::Test {
protected:
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

TEST_F(LyricFollowTrack, KaraokeHeaderTrackIsPassedOverAndChosenOnce)
{
    CTrack& words = addUserTrack(*song);
    words.events.push_back(textEvent(0, "Hel", 0x05));
    CTrack& header = addUserTrack(*song);
    header.events.push_back(textEvent(0, "@KMIDI KARAOKE FILE"));
    header.events.push_back(textEvent(0, "@TTitle"));
    LyricTrackChoice choice;
    fixture.trackRows.current = -1;
    EXPECT_EQ(choice.choose(*song, fixture.trackRows, false), -1);
    EXPECT_EQ(choice.searchOnce(*song, fixture.trackRows), 1);
    EXPECT_EQ(fixture.trackRows.selected, (std::set<int>{1}));
    EXPECT_EQ(choice.choose(*song, fixture.trackRows, false), 1);
    EXPECT_EQ(choice.searchOnce(*song, fixture.trackRows), -1);
}

TEST_F(LyricFollowTrack, SongWithoutLyricsIsSearchedOnce)
{
    addUserTrack(*song).events.push_back(textEvent(0, ""));
    LyricTrackChoice choice;
    EXPECT_EQ(choice.searchOnce(*song, fixture.trackRows), -1);
    EXPECT_EQ(choice.searchOnce(*song, fixture.trackRows), -1);
    EXPECT_TRUE(fixture.trackRows.selected.empty());
    EXPECT_TRUE(fixture.trackRows.log.calls().empty());
}

TEST_F(LyricFollowTrack, OnlyUserRowsAreLyricTracks)
{
    addUserTrack(*song);
    LyricTrackChoice choice;
    for (int row : {0, 2, 7, -1}) {
        fixture.trackRows.current = row;
        EXPECT_EQ(choice.choose(*song, fixture.trackRows, false), -1) << row;
    }
    fixture.trackRows.current = 1;
    EXPECT_EQ(choice.choose(*song, fixture.trackRows, true), 1);
    fixture.trackRows.current = 0;
    EXPECT_EQ(choice.choose(*song, fixture.trackRows, true), 1);
}

} // namespace
} // namespace rz
