#include "set/set_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace rz {
namespace {

std::vector<uint8_t> goldenBytes()
{
    std::ifstream in(std::filesystem::path(RZ_FIXTURE_DIR) / "set/golden.set", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// [A, folder "Encore" {B, disabled C}, D].
std::vector<SetFileEntry> goldenEntries()
{
    return {{0, false, false, "A.mid"},
            {0, true, false, "Encore"},
            {1, false, false, "B.mid"},
            {1, false, true, "C.mid"},
            {0, false, false, "D.mid"}};
}

std::string reasonOf(const std::vector<uint8_t>& bytes)
{
    const auto decoded = decodeSetFile(bytes);
    const auto* error = std::get_if<SetFileError>(&decoded);
    return error ? error->reason : std::string();
}

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

TEST(SetFile, GoldenFileEncodesByteForByteAndDecodesBack)
{
    const std::vector<uint8_t> golden = goldenBytes();
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(encodeSetFile(goldenEntries(), true), golden);
    const auto decoded = decodeSetFile(golden);
    ASSERT_TRUE(std::holds_alternative<SetFileImage>(decoded)) << reasonOf(golden);
    EXPECT_EQ(std::get<SetFileImage>(decoded), (SetFileImage{goldenEntries(), true}));
}

TEST(SetFile, NamesRoundTripInTheirPrefixForms)
{
    for (size_t length : {size_t(0), size_t(254), size_t(255), size_t(0xFFFD), size_t(0xFFFE)}) {
        std::vector<SetFileEntry> entries{{2, false, false, std::string(length, 'n')}};
        const std::vector<uint8_t> bytes = encodeSetFile(entries, false);
        const size_t prefix = length < 255 ? 1 : length < 0xFFFE ? 3 : 7;
        EXPECT_EQ(bytes.size(), 6 + 4 + prefix + length + 4) << length;
        const auto decoded = decodeSetFile(bytes);
        ASSERT_TRUE(std::holds_alternative<SetFileImage>(decoded)) << length;
        EXPECT_EQ(std::get<SetFileImage>(decoded).entries, entries) << length;
    }
}

// Any version reads; flag bits 2-7 and bytes after the lock are ignored;
// a folder has no disabled state.
TEST(SetFile, ReadingIgnoresWhatCarriesNoMeaning)
{
    std::vector<uint8_t> bytes;
    appendU32(bytes, 2);
    bytes.insert(bytes.end(), {0x34, 0x12});
    appendU32(bytes, 0x0300 | 0xFC | 1);
    bytes.insert(bytes.end(), {1, 'x'});
    appendU32(bytes, 0x0100 | 2 | 1);
    bytes.insert(bytes.end(), {1, 'F'});
    appendU32(bytes, 7);
    bytes.insert(bytes.end(), {9, 9, 9});
    const auto decoded = decodeSetFile(bytes);
    ASSERT_TRUE(std::holds_alternative<SetFileImage>(decoded)) << reasonOf(bytes);
    const SetFileImage& image = std::get<SetFileImage>(decoded);
    EXPECT_EQ(image.entries, (std::vector<SetFileEntry>{{3, false, true, "x"}, {1, true, false, "F"}}));
    EXPECT_TRUE(image.performanceLock);
}

TEST(SetFile, ANegativeCountReadsNoEntriesThenTheLock)
{
    std::vector<uint8_t> bytes;
    appendU32(bytes, uint32_t(-3));
    bytes.insert(bytes.end(), {101, 0});
    appendU32(bytes, 0);
    const auto decoded = decodeSetFile(bytes);
    ASSERT_TRUE(std::holds_alternative<SetFileImage>(decoded)) << reasonOf(bytes);
    EXPECT_TRUE(std::get<SetFileImage>(decoded).entries.empty());
    EXPECT_FALSE(std::get<SetFileImage>(decoded).performanceLock);
}

TEST(SetFile, EveryCutOfTheGoldenFileIsRefused)
{
    const std::vector<uint8_t> golden = goldenBytes();
    for (size_t length = 0; length < golden.size(); ++length) {
        const std::vector<uint8_t> cut(golden.begin(), golden.begin() + std::ptrdiff_t(length));
        EXPECT_FALSE(reasonOf(cut).empty()) << "cut at " << length;
    }
}

TEST(SetFile, MalformedFilesSayWhatIsWrong)
{
    const std::vector<uint8_t> golden = goldenBytes();
    const std::vector<uint8_t> noLock(golden.begin(), golden.end() - 4);

    std::vector<uint8_t> hugeName;
    appendU32(hugeName, 1);
    hugeName.insert(hugeName.end(), {101, 0});
    appendU32(hugeName, 0);
    hugeName.insert(hugeName.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    appendU32(hugeName, 0);

    std::vector<uint8_t> hugeCount = golden;
    hugeCount[0] = 0xFF, hugeCount[1] = 0xFF, hugeCount[2] = 0xFF, hugeCount[3] = 0x7F;

    std::vector<uint8_t> wide;
    appendU32(wide, 1);
    wide.insert(wide.end(), {101, 0});
    appendU32(wide, 0);
    wide.insert(wide.end(), {0xFF, 0xFE, 0xFF, 1, 'A', 0});
    appendU32(wide, 0);

    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string reason;
    } cases[] = {
        {"empty", {}, "the file is empty"},
        {"no lock", noLock, "the performance lock is missing"},
        {"4 GB name", hugeName, "entry 1: name length 4294967295 exceeds the 4 bytes left"},
        {"count beyond the bytes", hugeCount, "count 2147483647 needs at least 10737418239 bytes, only 55 are left"},
        {"wide-character name", wide, "entry 1: name holds wide characters"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reasonOf(c.bytes), c.reason) << c.name;
}

} // namespace
} // namespace rz
