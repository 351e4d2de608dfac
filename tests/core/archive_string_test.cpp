#include "core/archive_string.h"

#include "core/byte_reader.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

// Each length takes the prefix form its size calls for, and reads back.
TEST(ArchiveString, LengthsTakeTheirPrefixForms)
{
    const struct {
        size_t length;
        std::vector<uint8_t> prefix;
    } cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        std::vector<uint8_t> bytes;
        writeArchiveString(bytes, text);
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), bytes.begin())) << c.length;
        ByteReader reader(bytes);
        std::string reason;
        const auto read = readArchiveString(reader, reason);
        ASSERT_TRUE(read) << c.length << ": " << reason;
        EXPECT_EQ(read->size(), c.length);
        EXPECT_TRUE(reader.atEnd());
    }
}

TEST(ArchiveString, BadPrefixesFailWithoutMoving)
{
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"nothing", {}, "length runs past the end"},
        {"cut 16-bit length", {0xFF, 0x10}, "length runs past the end"},
        {"cut 32-bit length", {0xFF, 0xFF, 0xFF, 0x01}, "length runs past the end"},
        {"wide marker", {0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b', 0}, "holds wide characters"},
        {"longer than the bytes", {0x05, 'a', 'b'}, "length 5 exceeds the 2 bytes left"},
        {"4 GB", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}, "length 4294967295 exceeds the 1 bytes left"},
    };
    for (const auto& c : cases) {
        ByteReader reader(c.bytes);
        std::string reason;
        EXPECT_FALSE(readArchiveString(reader, reason)) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
        EXPECT_EQ(reader.position(), 0u) << c.name;
    }
}

} // namespace
} // namespace rz
