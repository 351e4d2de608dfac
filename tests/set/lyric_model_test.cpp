#include "set/lyric_model.h"

#include "song/measure_map.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

LyricTexts sampleTexts()
{
    LyricTexts texts;
    texts.title = "Song %t";
    texts.subtitle = "Sub";
    texts.author = "Ann";
    texts.macros[2] = "two";
    return texts;
}

TEST(LyricModelEscapes, ExpandsKnownCodesAndDropsOthers)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"100%%", "100%"}, {"a%xb", "ab"},     {"%1", ""},           {"%2!", "two!"},
        {"%S/%A", "Sub/Ann"}, {"end%", "end"}, {"%t", "Song %t"}, {"%t%t", "Song %tSong %t"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandLyricEscapes(c.in, sampleTexts()), c.out) << c.in;
}

std::vector<LyricSource> sources(std::initializer_list<std::pair<int32_t, const char*>> events)
{
    std::vector<LyricSource> out;
    for (const auto& [tick, text] : events)
        out.push_back({tick, int32_t(out.size()), text});
    return out;
}

TEST(LyricModelBuild, TitleComesOnlyFromUpperTAtTickZero)
{
    const LyricTiming timing{nullptr, 120, 0};
    const LyricBuild build = buildLyricItems(
        sources({{0, "@TFirst"}, {0, "@TSecond"}, {0, "@tlower"}, {0, "@KMIDI KARAOKE"}, {10, "@TLate"}, {20, "Hi"}}),
        {}, kLyricBall, timing);
    EXPECT_EQ(build.title, "First\nSecond");
    ASSERT_EQ(build.items.size(), 1u);
    EXPECT_EQ(build.items[0].text, "Hi");
    EXPECT_EQ(build.items[0].eventIndex, 5);
}

TEST(LyricModelBuild, GridStyleShowsEmptyTextsAndSpacesEveryItem)
{
    const LyricTiming timing{nullptr, 120, 0};
    const LyricBuild build = buildLyricItems(sources({{0, "%x"}, {60, "la"}}), {}, kLyricGrid, timing);
    ASSERT_EQ(build.items.size(), 2u);
    EXPECT_EQ(build.items[0].text, "- ");
    EXPECT_EQ(build.items[1].text, "la ");
}

TEST(LyricModelBuild, WindowsTextIsDecoded)
{
    const LyricTiming timing{nullptr, 120, 0};
    const LyricBuild build = buildLyricItems(sources({{0, "\xAB" "Salut\xBB"}}), {}, kLyricBall, timing);
    ASSERT_EQ(build.items.size(), 1u);
    EXPECT_EQ(build.items[0].text, "\xC2\xAB" "Salut\xC2\xBB");
}

MeasureMap fourFourMap(int measures, int timeBase, uint8_t clocksPerClick = 24)
{
    MeasureMap map(static_cast<size_t>(measures));
    for (int i = 0; i < measures; ++i) {
        map[size_t(i)].Set(i * 4 * timeBase, 4 * timeBase);
        map[size_t(i)].clocksPerClick = clocksPerClick;
    }
    return map;
}

std::vector<int32_t> placeholderTicks(const LyricBuild& build)
{
    std::vector<int32_t> ticks;
    for (const LyricItem& item : build.items) {
        if (item.eventIndex < 0)
            ticks.push_back(item.tick);
    }
    return ticks;
}

TEST(LyricModelPlaceholders, ThreeMeasureGapGetsBeatsAwayFromBothEnds)
{
    const MeasureMap map = fourFourMap(8, 120);
    // Words at the start of measures 1 and 4, the song ending with the second.
    const LyricTiming timing{&map, 120, 1920};
    const LyricBuild build = buildLyricItems(sources({{480, "a"}, {1920, "b"}}), {}, kLyricBall, timing);
    const std::vector<int32_t> ticks = placeholderTicks(build);
    std::vector<int32_t> expected;
    // Before the first word: beats from 0 while two beats remain before it.
    expected.push_back(0);
    expected.push_back(120);
    expected.push_back(240);
    for (int32_t t = 480 + 240; t <= 1920 - 240; t += 120)
        expected.push_back(t);
    EXPECT_EQ(ticks, expected);
    for (size_t i = 1; i < build.items.size(); ++i)
        EXPECT_LE(build.items[i - 1].tick, build.items[i].tick);
}

TEST(LyricModelPlaceholders, MeterWithoutClicksStillEnds)
{
    for (int timeBase : {120, 12, 1}) {
        const MeasureMap map = fourFourMap(4, timeBase, 0);
        const LyricTiming timing{&map, timeBase, 16 * timeBase};
        const LyricBuild build = buildLyricItems(sources({{0, "a"}}), {}, kLyricBall, timing);
        // The last gap runs to the end plus a quarter, stepped by quarters.
        EXPECT_EQ(placeholderTicks(build).size(), 14u) << timeBase;
    }
}

TEST(LyricModelSplit, LeadsMarkBlanksLinesAndEmptyLines)
{
    EXPECT_EQ(SplitLyricText("one two\nthree\n\nfour", 0),
              (std::vector<std::string>{"one", " two", "/three", "\\four"}));
    EXPECT_EQ(SplitLyricText("  \n lead dropped \r\n next  \t\n", 0),
              (std::vector<std::string>{"lead", " dropped", "/next"}));
    EXPECT_EQ(SplitLyricText("one two\r\n\r\nthree", 1), (std::vector<std::string>{"one two", "\\three"}));
    EXPECT_TRUE(SplitLyricText(" \n\t", 0).empty());
}

} // namespace
} // namespace rz
