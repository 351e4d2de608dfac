#include <gtest/gtest.h>

#include "engine/reset_sysex.h"

namespace rz {
namespace {

TEST(ResetMessageCheck, NamesTheFirstBadTokenThatParsingRefusesWhole)
{
    struct Case {
        const char* text;
        const char* bad; // nullptr: the message passes
        size_t offset;
    } cases[] = {
        {"F0 41 10 42 12 40 00 7F 00 41 F7", nullptr, 0},
        {"F0 41 10\n42 12 40 00 7F 00 41 F7", nullptr, 0},
        {"F0 41 F7 10 F7", "F7", 6},        // F7 in the middle
        {"F0 F0 41 F7", "F0", 3},           // F0 after the first byte
        {"00 80 01", "80", 3},
        {"00 EF", "EF", 3},
        {"F0 4 F7", "4", 3},                // not two digits
        {"F0 4f F7", "4f", 3},              // lower case is not stored
        {"F0  7G F7", "7G", 4},
        {"F0 123 F7", "123", 3},
    };
    for (const auto& c : cases) {
        const auto bad = FindBadResetToken(c.text);
        if (!c.bad) {
            EXPECT_FALSE(bad) << c.text;
            EXPECT_TRUE(ParseResetSysex(c.text)) << c.text;
            continue;
        }
        ASSERT_TRUE(bad) << c.text;
        EXPECT_EQ(bad->token, c.bad) << c.text;
        EXPECT_EQ(bad->offset, c.offset) << c.text;
        EXPECT_FALSE(ParseResetSysex(c.text)) << c.text;
    }
}

TEST(ResetMessageCheck, AnEmptyMessageHasNoBadTokenAndTheMessageNamesTheToken)
{
    EXPECT_FALSE(FindBadResetToken(""));
    EXPECT_FALSE(FindBadResetToken(" \n "));
    EXPECT_EQ(BadResetTokenMessage("8G"),
              "8G is not a valid hex byte (00-7F).  Enter data like 00 4F 22... etc.");
}

} // namespace
} // namespace rz
