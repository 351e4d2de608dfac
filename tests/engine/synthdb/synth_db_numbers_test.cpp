#include <gtest/gtest.h>

#include "engine/synthdb/synth_db_numbers.h"

namespace rz {
namespace {

struct BankCase {
    int technology;
    int shown;
    int stored;
    const char* text;
};

TEST(SynthDbNumbers, BanksConvertBetweenShownAndStored)
{
    const BankCase cases[]{
        {0, 0, 0, "0 (0/0)"},
        {0, 130, 130, "130 (1/2)"},
        {0, 16383, 16383, "16383 (127/127)"},
        {kTechCc0Only, 3, 384, "3"},
        {kTechCc0Only, 0, 0, "0"},
        {kTechCc0Only, 127, 16256, "127"},
        {kTechCc0Only | kTechPatchesFromZero, 1, 128, "1"},
        {kTechCc0Only, -1, -1, "-1"},
        {0, -1, -1, "-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "technology " << c.technology << " bank " << c.shown);
        EXPECT_EQ(storedBankNumber(c.technology, c.shown), c.stored);
        EXPECT_EQ(shownBankNumber(c.technology, c.stored), c.shown);
        EXPECT_EQ(bankNumberText(c.technology, c.stored), c.text);
    }
}

TEST(SynthDbNumbers, PatchesAreStoredFromZeroWhateverTheyShow)
{
    struct Case {
        int technology;
        int shown;
        int stored;
    };
    const Case cases[]{
        {0, 1, 0},
        {0, 128, 127},
        {kTechGmReset | kTechUsedCcDefaults, 1, 0},
        {kTechPatchesFromZero, 0, 0},
        {kTechPatchesFromZero, 127, 127},
        {kTechPatchesFromZero | kTechCc0Only, 5, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "technology " << c.technology << " patch " << c.shown);
        EXPECT_EQ(storedPatchNumber(c.technology, c.shown), c.stored);
        EXPECT_EQ(shownPatchNumber(c.technology, c.stored), c.shown);
    }
}

} // namespace
} // namespace rz
