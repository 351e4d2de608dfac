#include <gtest/gtest.h>

#include "core/synth_lookup.h"

namespace rz {
namespace {

TEST(DrumNotationPacking, FieldsSitInTheirBitsAndComeBack)
{
    const DrumNotation plusCircle{3, -6, 2, 1};
    const uint32_t word = packDrumNotation(plusCircle);
    EXPECT_EQ(word, (3u << 8) | (1u << 11) | (2u << 12) | (2u << 20));
    EXPECT_EQ(word & ~kDrumNotationMask, 0u);
    // The note number and the item's tag around the notation stay untouched.
    EXPECT_EQ(unpackDrumNotation(0x86000000u | word | 42u), plusCircle);
}

TEST(DrumNotationPacking, OutOfRangeFieldsAreClamped)
{
    struct Case {
        DrumNotation given;
        DrumNotation read;
    } cases[] = {
        {{9, 0, 0, 0}, {7, 0, 0, 0}},   // head past the three bits
        {{0, -20, 0, 0}, {0, -8, 0, 0}}, // offset below the staff
        {{0, 40, 0, 0}, {0, 23, 0, 0}},
        {{0, 0, 9, 0}, {0, 0, 7, 0}},
        {{0, 0, 0, 5}, {0, 0, 0, 1}}, // an articulation above 1 reads as 1
        {{-1, 0, -3, -2}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unpackDrumNotation(packDrumNotation(c.given)), c.read);
}

} // namespace
} // namespace rz
