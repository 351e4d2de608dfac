// Map files as the accelerator and control maps dialogs export and import
// them.
#include "core/map_file.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

NamedMap accelMap(std::string name, uint16_t command)
{
    return {std::move(name), {9, 0, 'R', 0, uint8_t(command), uint8_t(command >> 8)}};
}

std::vector<NamedMap> readBack(const std::vector<uint8_t>& bytes, size_t recordBytes = 6)
{
    std::string reason;
    auto maps = readMapFile(bytes, recordBytes, reason);
    EXPECT_TRUE(maps) << reason;
    return maps.value_or(std::vector<NamedMap>{});
}

TEST(MapFiles, NamesOfEveryPrefixFormRoundTripInReverseOrder)
{
    for (const size_t length : {size_t(0), size_t(254), size_t(255), size_t(70000)}) {
        const std::vector<NamedMap> maps{accelMap(std::string(length, 'n'), 32840),
                                         accelMap("Second", 32817)};
        const std::vector<uint8_t> bytes = writeMapFile(maps, 6);
        const std::vector<NamedMap> read = readBack(bytes);
        ASSERT_EQ(read.size(), 2u) << length;
        EXPECT_EQ(read[0], maps[1]) << "the last map is written first";
        EXPECT_EQ(read[1], maps[0]) << length;
    }
}

TEST(MapFiles, ControlMapsKeepFourByteEntries)
{
    const std::vector<NamedMap> maps{{"MIDI", {12, 60, 0, 0x05, 7, 0, 0xB0, 0x10}}};
    EXPECT_EQ(readBack(writeMapFile(maps, 4), 4), maps);
}

TEST(MapFiles, BadFilesAreRefusedWithAReason)
{
    const std::vector<uint8_t> good = writeMapFile(std::vector{accelMap("Mine", 32840)}, 6);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reasonFragment;
    };
    std::vector<Case> cases{
        {"empty", {}, "header"},
        {"wide-character name", {1, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2, 0, 'a', 0, 'b', 0,
                                 0, 0, 0, 0},
         "wide"},
        {"map count beyond the file", {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0},
         "exceed"},
        {"record count beyond the file", {1, 0, 0, 0, 1, 0, 0, 0, 1, 'M', 0xFF, 0xFF, 0xFF, 0x0F,
                                          0, 0, 0, 0, 0, 0},
         "exceed"},
        {"truncated", {good.begin(), good.end() - 1}, "exceed"},
        {"name cut short", {1, 0, 0, 0, 1, 0, 0, 0, 9, 'a', 'b', 'c', 'd', 0, 0}, "map name"},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_FALSE(readMapFile(c.bytes, 6, reason)) << c.what;
        EXPECT_NE(reason.find(c.reasonFragment), std::string::npos) << c.what << ": " << reason;
    }
}

} // namespace
} // namespace rz
