#include "set/lyric_layout.h"

#include "lyric_fakes.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

// 24-px font in the syllable style: line height 24 x 5 / 4 + 4 = 34.
LyricLayoutParams params(int width = 400, int height = 10000, int style = kLyricSyllables)
{
    LyricLayoutParams p;
    p.clientWidth = width;
    p.clientHeight = height;
    p.leftMargin = 0;
    p.rightMargin = 0;
    p.style = style;
    return p;
}

constexpr int kLine = 34;

LyricPages lay(std::vector<LyricItem>& items, const LyricLayoutParams& p)
{
    return layoutLyricItems(items, "", p, FixedWidthMeasurer());
}

// The tops of the items, relative to the first.
std::vector<int> lineOffsets(const std::vector<LyricItem>& items)
{
    std::vector<int> out;
    for (const LyricItem& item : items)
        out.push_back(item.rect.top - items[0].rect.top);
    return out;
}

TEST(LyricLayoutWords, SyllablesJoinAndWrapAtTheUsableWidth)
{
    auto items = lyricItems({"Hel", "lo ", "world"});
    // Vertical centring is not wanted here: a tall client.
    lay(items, params());
    EXPECT_EQ(items[0].rect, (LyricRect{8, items[0].rect.top, 32, items[0].rect.top + 30}));
    EXPECT_EQ(items[1].rect.left, 32);
    EXPECT_EQ(items[2].rect.left, 56);
    EXPECT_EQ(lineOffsets(items), (std::vector<int>{0, 0, 0}));

    // "Hello world" is 88 pixels; a usable width of 80 wraps "world".
    auto narrow = lyricItems({"Hel", "lo ", "world"});
    lay(narrow, params(96));
    EXPECT_EQ(lineOffsets(narrow), (std::vector<int>{0, 0, kLine}));
    EXPECT_EQ(narrow[2].rect.left, 8);
}

TEST(LyricLayoutSeparators, SlashBackslashAndBarMoveOn)
{
    auto items = lyricItems({"one", "/two", "\\three", "|four"});
    const LyricPages pages = lay(items, params());
    EXPECT_EQ(items[1].text, "two");
    EXPECT_EQ(items[2].text, "three");
    EXPECT_EQ(items[3].text, "four");
    EXPECT_EQ(items[1].rect.top - items[0].rect.top, kLine);
    EXPECT_EQ(items[2].rect.top - items[1].rect.top, 2 * kLine);
    EXPECT_EQ(pages.starts, (std::vector<int>{0, 3, 4}));
    EXPECT_EQ(items[3].rect.left, 8);
}

TEST(LyricLayoutPages, PaginateBreaksAtTheClientHeight)
{
    auto items = lyricItems({"a", "/b", "/c", "/d", "/e"});
    LyricLayoutParams p = params(400, 120);
    p.paginate = true;
    const LyricPages pages = lay(items, p);
    // y: 42, 76, 110 >= 120 - 30 breaks to 8, then 42, 76.
    EXPECT_EQ(pages.starts, (std::vector<int>{0, 2, 5}));
    EXPECT_EQ(pages.pictures.size(), 2u);
}

TEST(LyricLayoutFonts, FontCommandHoldsUntilTheNextSeparatorUnlessKept)
{
    auto items = lyricItems({"{f 40,b,c}Big ", "word", "/plain", "/{f 8,k}small", "/still"});
    lay(items, params());
    ASSERT_TRUE(items[0].font.has_value());
    EXPECT_EQ(items[0].text, "Big ");
    EXPECT_EQ(items[0].font->height, 40);
    EXPECT_EQ(items[0].font->weight, 700);
    EXPECT_EQ(items[0].alignment, 1);
    // Line height 40 x 5 / 4 + 4 = 54 while the font holds.
    EXPECT_EQ(items[1].rect.height(), 50);
    EXPECT_EQ(items[2].rect.height(), 30);
    EXPECT_FALSE(items[2].font.has_value());
    EXPECT_EQ(items[3].font->height, 8);
    EXPECT_TRUE(items[3].keep);
    EXPECT_EQ(items[4].rect.height(), 10);
}

TEST(LyricLayoutFonts, HugeHeightsAreClamped)
{
    auto items = lyricItems({"{f 99999999999}x", "y"});
    lay(items, params());
    EXPECT_EQ(items[0].font->height, kMaxLyricFontHeight);
}

TEST(LyricLayoutGrid, LineBreakGlyphsShowAndMoveUp)
{
    auto items = lyricItems({"la ", "\rli ", "\nlo "});
    lay(items, params(400, 10000, kLyricGrid));
    EXPECT_EQ(items[1].text, "\xC2\xAB" "li ");
    EXPECT_EQ(items[2].text, "\xC2\xB6" "lo ");
    // The guillemet goes back one line, right of "la ".
    EXPECT_EQ(items[1].rect.top, items[0].rect.top);
    EXPECT_EQ(items[1].rect.left, items[0].rect.right);
    EXPECT_EQ(items[2].glyph, LyricGlyph::Pilcrow);
}

TEST(LyricLayoutGrid, UserGuillemetStaysOnItsLine)
{
    auto items = lyricItems({"Oui ", "/\xC2\xAB" "Salut\xC2\xBB"});
    lay(items, params(400, 10000, kLyricBall));
    EXPECT_EQ(items[1].rect.top - items[0].rect.top, lyricLineHeight(24, kLyricBall));
    EXPECT_EQ(items[1].rect.left, 8);
}

TEST(LyricLayoutAlign, CentreAndRightShiftLines)
{
    auto items = lyricItems({"ab", "/{f r}cd"});
    LyricLayoutParams p = params(200);
    p.centre = true;
    lay(items, p);
    // Width 16: centred room (200 - 16 - 16) / 2 = 84; right-aligned 168.
    EXPECT_EQ(items[0].rect.left, 8 + 84);
    EXPECT_EQ(items[1].rect.left, 8 + 168);
}

TEST(LyricLayoutSplit, SplitTextLaysOutLinesAndAnEmptyLine)
{
    std::vector<LyricItem> items;
    for (const std::string& piece : SplitLyricText("one two\nthree\n\nfour", 0)) {
        LyricItem item;
        item.eventIndex = int32_t(items.size());
        item.text = piece;
        items.push_back(item);
    }
    lay(items, params());
    EXPECT_EQ(lineOffsets(items), (std::vector<int>{0, 0, kLine, 3 * kLine}));
    EXPECT_EQ(items[1].text, " two");
    EXPECT_EQ(items[1].rect.left, items[0].rect.right);
}

} // namespace
} // namespace rz
