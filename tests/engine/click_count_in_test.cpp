// The count-in of a take on its own.

#include "engine/click_count_in.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(ClickCountIn, RunsForItsLengthFromTheStart)
{
    ClickCountIn countIn;
    countIn.prepare(480);
    EXPECT_TRUE(countIn.start());
    EXPECT_TRUE(countIn.countingIn());
    EXPECT_FALSE(countIn.advance(479));
    EXPECT_TRUE(countIn.advance(480));
    EXPECT_FALSE(countIn.start()) << "a start after it has run counts in no more";
    EXPECT_FALSE(countIn.countingIn());
}

TEST(ClickCountIn, NoneOrANegativeLengthCountsNothing)
{
    for (const int32_t length : {0, -5}) {
        ClickCountIn countIn;
        countIn.prepare(length);
        EXPECT_EQ(countIn.length.load(), 0);
        EXPECT_FALSE(countIn.start()) << length;
    }
}

} // namespace
} // namespace rz
