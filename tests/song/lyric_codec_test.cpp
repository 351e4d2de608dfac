// The syllable codec of the lyric editor: breaks, font and background codes,
// and bytes that come back exactly as they were read.

#include "song/lyric_codec.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(LyricCodec, ALineBreakWithAFontCodeReadsItsItemsAndWritesTheSameBytes)
{
    const std::string stored = "/{f:c,b,\"Arial\",24}Hello";
    const LyricFields f = LyricToText(stored);
    EXPECT_EQ(f.breakKind, LyricBreak::NewLine);
    EXPECT_EQ(f.align, 2); // Center
    EXPECT_EQ(f.bold, LyricSwitch::On);
    EXPECT_EQ(f.italics, LyricSwitch::Unchanged);
    EXPECT_EQ(f.fontName, "Arial");
    EXPECT_EQ(f.size, "24");
    EXPECT_TRUE(f.resetNextLine);
    EXPECT_EQ(f.text, "Hello");
    EXPECT_EQ(TextToLyric(f), stored);
}

TEST(LyricCodec, BreaksAndTheirStoredForms)
{
    const struct {
        const char* stored;
        LyricBreak kind;
        const char* text;
        const char* written; // null: the stored bytes
    } cases[] = {
        {"world ", LyricBreak::EndOfWord, "world", nullptr},
        {"world   ", LyricBreak::EndOfWord, "world", "world "},
        {"wor", LyricBreak::Continues, "wor", nullptr},
        {"{f:b,}x", LyricBreak::Continues, "{f:b,}x", nullptr}, // no prefix: no codes
        {"", LyricBreak::Melisma, "", nullptr},
        {"\r", LyricBreak::NewLine, "", nullptr},
        {"/", LyricBreak::NewLine, "", "\r"},
        {"\n", LyricBreak::NewParagraph, "", nullptr},
        {"\\", LyricBreak::NewParagraph, "", "\n"},
        {"\\Verse", LyricBreak::NewParagraph, "Verse", nullptr},
        {"|", LyricBreak::NewPage, "", nullptr},
        {"/Love ", LyricBreak::NewLine, "Love ", nullptr}, // a word ending after a break keeps its blank
        {"/{f:b", LyricBreak::NewLine, "{f:b", nullptr},   // unclosed: plain text
        {"/\xE9t\xE9 ", LyricBreak::NewLine, "\xE9t\xE9 ", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.stored)));
        const LyricFields f = LyricToText(c.stored);
        EXPECT_EQ(f.breakKind, c.kind);
        EXPECT_EQ(f.text, c.text);
        EXPECT_EQ(TextToLyric(f), c.written ? c.written : c.stored);
    }
}

TEST(LyricCodec, CodesAreWrittenInOneOrderWhateverOrderTheyWereRead)
{
    const LyricFields f = LyricToText("|{F:k,H-,\"Times\",u,I-,B-,r,d,18}{b:pics/sea.jpg}{x:ignored}Page");
    EXPECT_EQ(f.breakKind, LyricBreak::NewPage);
    EXPECT_TRUE(f.useDefaults);
    EXPECT_EQ(f.align, 3);
    EXPECT_EQ(f.bold, LyricSwitch::Off);
    EXPECT_EQ(f.italics, LyricSwitch::Off);
    EXPECT_EQ(f.underline, LyricSwitch::On);
    EXPECT_EQ(f.highlighting, LyricSwitch::Off);
    EXPECT_FALSE(f.resetNextLine);
    EXPECT_EQ(f.background, "pics/sea.jpg");
    EXPECT_EQ(f.text, "Page");
    EXPECT_EQ(TextToLyric(f), "|{b:pics/sea.jpg}{f:d,r,b-,i-,u,h-,\"Times\",18,k}Page");
}

TEST(LyricCodec, FieldsOutsideTheirBreakAreNotWritten)
{
    LyricFields f = LyricToText("/{b:sea.jpg}{f:0x,\"Arial}Hi");
    EXPECT_EQ(f.background, "sea.jpg");
    EXPECT_EQ(f.size, "0x");
    EXPECT_EQ(f.fontName, "") << "a name without its closing quote is ignored";
    EXPECT_EQ(TextToLyric(f), "/Hi") << "a background only at a page break, a size only when not 0";
    f.breakKind = LyricBreak::EndOfWord;
    f.bold = LyricSwitch::On;
    EXPECT_EQ(TextToLyric(f), "Hi ");
    f.breakKind = LyricBreak::Melisma;
    EXPECT_EQ(TextToLyric(f), "");
}

TEST(LyricCodec, CodeSplitterTakesOneCodeAtATime)
{
    std::string_view text = "{f:a,,b}{}{b:x}rest{f:c}";
    const std::optional<LyricCode> font = takeLyricCode(text);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->letter, 'f');
    EXPECT_EQ(lyricCodeItems(font->content), (std::vector<std::string_view>{"a", "b"}));
    const std::optional<LyricCode> empty = takeLyricCode(text);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->letter, '\0');
    EXPECT_EQ(takeLyricCode(text)->content, "x");
    EXPECT_FALSE(takeLyricCode(text));
    EXPECT_EQ(text, "rest{f:c}");
}

} // namespace
} // namespace rz
