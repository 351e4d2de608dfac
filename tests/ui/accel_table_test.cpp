#include "res/command_ids.h"
#include "ui/accel_table.h"

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
        {{'R', kKeyCtrl}, kIdRecord},
        {{'R', 0}, kIdMarkTracksForRecording},
        {{'R', kKeyShift}, kIdCancelRecordingOnMarkedTracks},
        {{'R', kKeyCtrl | kKeyShift}, std::nullopt},
        {{'S', kKeyCtrl}, kIdFileSave},
        {{'S', kKeyCtrl | kKeyAlt}, kIdSaveAll},
        {{'S', kKeyAlt}, kIdMenuSetup},
        {{'S', 0}, 503},
        {{'1', kKeyShift}, kIdSkip1},
        {{'1', kKeyAlt}, kIdViewTempoMap},
        {{'1', kKeyCtrl}, kIdViewClipsAndCues},
        {{0x0D, kKeyAlt}, kIdProperties},
        {{0x0D, kKeyShift}, kIdPlayThrough},
        {{0x1B, 0}, kIdStop},
        {{0x1B, kKeyShift}, kIdRetake},
        {{0xBF, 0}, kIdSolo},
        {{0xDC, 0}, kIdUnsolo},
        {{0xDB, kKeyAlt}, kIdVolumeDown},
        {{0x20, 0}, kIdPlayStop},
        {{0x72, 0}, kIdFindNext},
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
