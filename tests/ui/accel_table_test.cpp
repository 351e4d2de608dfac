#include "app/accel_table.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(AccelTable, DefaultMapHoldsItsRecordsInOrder)
{
    const std::vector<uint8_t> bytes = defaultAccelMapBytes();
    ASSERT_EQ(bytes.size(), 486u);
    // Ctrl+N: New (57600 = 0xE100), first record.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
              (std::vector<uint8_t>{0x09, 0x00, 'N', 0x00, 0x00, 0xE1}));
    // Comma: Pause (32806 = 0x8026), last record.
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 6, bytes.end()),
              (std::vector<uint8_t>{0x01, 0x00, 0xBC, 0x00, 0x26, 0x80}));

    const AccelTable table = AccelTable::fromBytes(bytes);
    ASSERT_EQ(table.records().size(), 81u);
    EXPECT_EQ(table.toBytes(), bytes);
    for (const AccelRecordData& r : table.records())
        EXPECT_TRUE(r.flags & kAccelVirtualKey) << r.command;
}

TEST(AccelTable, FindsTheRecordWithExactlyTheseModifiers)
{
    const AccelTable table = AccelTable::defaultMap();
    const struct {
        KeyStroke key;
        std::optional<CommandId> command;
    } cases[] = {
        {{'R', kKeyCtrl}, 32840},
        {{'R', 0}, 61493},
        {{'R', kKeyShift}, 61494},
        {{'R', kKeyCtrl | kKeyShift}, std::nullopt},
        {{'S', kKeyCtrl}, 57603},
        {{'S', kKeyCtrl | kKeyAlt}, 32817},
        {{'S', kKeyAlt}, 61473},
        {{'S', 0}, 503},
        {{'1', kKeyShift}, 61483},
        {{'1', kKeyAlt}, 32842},
        {{'1', kKeyCtrl}, 32832},
        {{0x0D, kKeyAlt}, 32788},
        {{0x0D, kKeyShift}, 61641},
        {{0x1B, 0}, 32776},
        {{0x1B, kKeyShift}, 61640},
        {{0xBF, 0}, 32815},
        {{0xDC, 0}, 32816},
        {{0xDB, kKeyAlt}, 32980},
        {{0x20, 0}, 32881},
        {{0x72, 0}, 33037},
        {{'W', kKeyCtrl}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(table.find(c.key), c.command)
            << std::hex << c.key.vk << " flags " << int(c.key.modifiers);
}

TEST(AccelTable, FirstMatchingRecordWinsAndPartialRecordsAreIgnored)
{
    const std::vector<uint8_t> bytes = {
        0x09, 0, 'K', 0, 0x01, 0x00, // Ctrl+K: 1
        0x09, 0, 'K', 0, 0x02, 0x00, // Ctrl+K again: 2
        0x08, 0, 'L', 0, 0x03, 0x00, // no virtual-key flag: a typed character
        0x01, 0, 'M',                // cut short
    };
    const AccelTable table = AccelTable::fromBytes(bytes);
    EXPECT_EQ(table.records().size(), 3u);
    EXPECT_EQ(table.find({'K', kKeyCtrl}), 1u);
    EXPECT_EQ(table.find({'L', kKeyCtrl}), std::nullopt);
    EXPECT_TRUE(AccelTable::fromBytes({}).empty());
}

} // namespace
} // namespace rz
