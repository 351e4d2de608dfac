// The stored form of the find criteria: fixed little-endian offsets, and a
// stored value of any length read over the defaults.

#include "song/find_criteria_bytes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace rz {
namespace {

int32_t wordAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    return int32_t(uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16
                   | uint32_t(bytes[offset + 3]) << 24);
}

void putWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(uint32_t(value) >> (8 * i));
}

TEST(FindPresetBytes, DefaultsSitAtTheirOffsets)
{
    const std::vector<uint8_t> bytes = toBytes(FindCriteria{});
    ASSERT_EQ(bytes.size(), 336u);
    const struct {
        size_t offset;
        int32_t value;
    } cases[] = {
        {0, 0},          // find next, not select all
        {8, 1},          // aftertouch included
        {40, 1},         // chord markers included
        {72, INT32_MAX}, // the longest duration
        {176, -8192},    // lowest pitch wheel value
        {188, 0},        // empty meta text
    };
    for (const auto& c : cases)
        EXPECT_EQ(wordAt(bytes, c.offset), c.value) << c.offset;
}

TEST(FindPresetBytes, EveryFieldKeepsItsOffsetThroughARoundTrip)
{
    FindCriteria c;
    c.findAll = 1;
    c.key = {60, 72, 1};
    c.controllerValue.outside = 1;
    c.setTextPattern("Verse");
    c.chordOutside = 1;
    c.setChordPattern("Cmaj7");
    c.nrpnValue = {5, 6, 1};
    c.timeTo = 1920;
    const std::vector<uint8_t> bytes = toBytes(c);
    EXPECT_EQ(wordAt(bytes, 56), 60);
    EXPECT_EQ(wordAt(bytes, 64), 1);
    EXPECT_EQ(wordAt(bytes, 136), 1); // controller value "not"
    EXPECT_EQ(std::memcmp(&bytes[188], "Verse", 6), 0);
    EXPECT_EQ(wordAt(bytes, 272), 1); // chord text "not"
    EXPECT_EQ(std::memcmp(&bytes[232], "Cmaj7", 6), 0);
    EXPECT_EQ(wordAt(bytes, 320), 1);
    EXPECT_EQ(wordAt(bytes, 332), 1920);
    EXPECT_EQ(toBytes(fromBytes(bytes)), bytes);
}

TEST(FindPresetBytes, StoredValuesOfAnyLengthReadOverTheDefaults)
{
    std::vector<uint8_t> stored = toBytes(FindCriteria{});
    putWord(stored, 20, 0);     // no notes
    putWord(stored, 96, 99);    // highest program, within the first 100 bytes
    putWord(stored, 100, 1);    // program "not", just past them
    stored[188] = 'x';
    const FindCriteria shorter = fromBytes(std::span(stored).first(100));
    EXPECT_EQ(shorter.notes, 0);
    EXPECT_EQ(shorter.program.maximum, 99);
    EXPECT_EQ(shorter.program.outside, 0);
    EXPECT_EQ(shorter.textPatternView(), "");
    EXPECT_EQ(toBytes(shorter).size(), 336u);
    const FindCriteria defaults;
    EXPECT_EQ(toBytes(fromBytes(std::span(stored).first(101))), toBytes(shorter)) << "a word cut short is not read";
    EXPECT_EQ(shorter.bank.minimum, defaults.bank.minimum);
    EXPECT_EQ(shorter.timeTo, defaults.timeTo);

    std::vector<uint8_t> longer = stored;
    longer.resize(400, 0xEE);
    EXPECT_EQ(toBytes(fromBytes(longer)), toBytes(fromBytes(stored)));
    EXPECT_EQ(toBytes(fromBytes({})), toBytes(defaults));
}

TEST(FindPresetBytes, TextsWithoutTerminatorAreCutToThirtyNine)
{
    std::vector<uint8_t> stored = toBytes(FindCriteria{});
    std::memset(&stored[188], 'a', 40);
    std::memset(&stored[232], 'b', 40);
    const FindCriteria c = fromBytes(stored);
    EXPECT_EQ(c.textPatternView(), std::string(39, 'a'));
    EXPECT_EQ(c.chordPatternView(), std::string(39, 'b'));
    EXPECT_EQ(c.textOutside, 0);
}

} // namespace
} // namespace rz
