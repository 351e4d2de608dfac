#include "core/text_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rz {
namespace {

using Bytes = std::vector<uint8_t>;

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string shown; // UTF-8
};

TEST(DecodeText, ShowsValidUtf8AsItIsAndAnythingElseAsWindows1252)
{
    const DecodeCase cases[] = {
        {"ascii", "Intro - verse 1", "Intro - verse 1"},
        {"empty", "", ""},
        {"utf-8 e acute", "Caf\xC3\xA9", "Caf\xC3\xA9"},
        {"utf-8 euro and emoji", "\xE2\x82\xAC 5 \xF0\x9F\x8E\xB8", "\xE2\x82\xAC 5 \xF0\x9F\x8E\xB8"},
        {"utf-8 largest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
        {"1252 e acute", "Caf\xE9", "Caf\xC3\xA9"},
        {"1252 euro", "\x80 5", "\xE2\x82\xAC 5"},
        {"1252 curly quotes", "\x93Hi\x94", "\xE2\x80\x9CHi\xE2\x80\x9D"},
        {"1252 unassigned bytes", "\x81\x8D\x8F\x90\x9D",
         "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"1252 y diaeresis and nbsp", "\xFF\xA0", "\xC3\xBF\xC2\xA0"},
        {"overlong slash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"overlong three-byte", "\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},
        {"overlong four-byte", "\xF0\x80\x80\xAF", "\xC3\xB0\xE2\x82\xAC\xE2\x82\xAC\xC2\xAF"},
        {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        {"lead byte F5", "\xF5\x80\x80\x80", "\xC3\xB5\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
        {"truncated sequence at the end", "ab\xC3", "ab\xC3\x83"},
        {"lone continuation byte", "a\xA9z", "a\xC2\xA9z"},
        // One bad byte decides the whole text: the valid sequence is read as
        // two Windows-1252 characters too.
        {"valid utf-8 then a 1252 byte", "\xC3\xA9 \xE9", "\xC3\x83\xC2\xA9 \xC3\xA9"},
        {"sequence broken by ascii", "\xE2\x82x", "\xC3\xA2\xE2\x80\x9Ax"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeText(c.bytes), c.shown) << c.name;
        EXPECT_EQ(isValidUtf8(c.bytes), c.bytes == c.shown) << c.name;
    }
}

TEST(DecodeText, EveryWindows1252ByteSurvivesTheRoundTrip)
{
    // A text that is not UTF-8 decodes byte by byte and encodes back unchanged.
    std::string all;
    for (int b = 0x80; b <= 0xFF; ++b)
        all += char(b);
    const std::string shown = decodeText(all);
    ASSERT_TRUE(isValidUtf8(shown));
    const auto back = encodeWindows1252(shown);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::string(back->begin(), back->end()), all);
}

TEST(EncodeText, TypedTextIsStoredAsUtf8)
{
    EXPECT_EQ(encodeText("Caf\xC3\xA9 \xE2\x82\xAC"),
              (Bytes{'C', 'a', 'f', 0xC3, 0xA9, ' ', 0xE2, 0x82, 0xAC}));
    EXPECT_TRUE(encodeText("").empty());
    const std::string typed = "\xE2\x80\x9CLive\xE2\x80\x9D \xF0\x9F\x8E\xB8";
    const Bytes stored = encodeText(typed);
    EXPECT_EQ(decodeText(std::span<const uint8_t>(stored)), typed);
}

struct LegacyCase {
    const char* name;
    std::string utf8;
    std::optional<Bytes> bytes;
};

TEST(EncodeWindows1252, GivesLegacyBytesOrNothing)
{
    const LegacyCase cases[] = {
        {"ascii", "Verse", Bytes{'V', 'e', 'r', 's', 'e'}},
        {"e acute", "\xC3\xA9", Bytes{0xE9}},
        {"euro", "\xE2\x82\xAC", Bytes{0x80}},
        {"curly quotes", "\xE2\x80\x9Cx\xE2\x80\x9D", Bytes{0x93, 'x', 0x94}},
        {"trade mark and y diaeresis", "\xE2\x84\xA2\xC5\xB8", Bytes{0x99, 0x9F}},
        {"unassigned U+0081 back to its byte", "\xC2\x81", Bytes{0x81}},
        {"C1 control with another meaning", "\xC2\x80", std::nullopt},
        {"greek has no form", "\xCE\xB1", std::nullopt},
        {"emoji has no form", "\xF0\x9F\x8E\xB8", std::nullopt},
        {"invalid utf-8", "\xE9", std::nullopt},
        {"empty", "", Bytes{}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodeWindows1252(c.utf8), c.bytes) << c.name;
}

} // namespace
} // namespace rz
