#include "core/input_file.h"

#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "tests/support/hostile_files.h"
#include "tests/support/temp_folder.h"

namespace rz {
namespace {

constexpr uint64_t kCap = 1 << 20;

struct RefusedCase {
    const char* name;
    std::function<std::filesystem::path(const TempFolder&)> make;
    const char* reason;
};

TEST(InputFile, RefusesWhatIsNotAPlainFileOfReadableSizeWithoutBlocking)
{
    const RefusedCase cases[] = {
        {"fifo", [](const TempFolder& t) { MakeFifo(t.file("clip.wav")); return t.file("clip.wav"); },
         "not a regular file"},
        {"folder", [](const TempFolder& t) { return t.path(); }, "not a regular file (a folder)"},
        {"device", [](const TempFolder&) { return std::filesystem::path("/dev/zero"); }, "not a regular file"},
        {"sparse file past the cap",
         [](const TempFolder& t) { MakeSparseFile(t.file("huge"), 2ull << 30); return t.file("huge"); },
         "too large (over 1 MB)"},
        {"missing", [](const TempFolder& t) { return t.file("gone"); }, "cannot open: No such file or directory"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const auto path = c.make(folder);
        std::string reason;
        std::optional<std::string> bytes;
        ASSERT_TRUE(ReturnsWithin([&] { bytes = ReadWholeFile(path, kCap, reason); }, {path})) << c.name;
        EXPECT_FALSE(bytes) << c.name;
        EXPECT_EQ(reason, c.reason) << c.name;
    }
}

TEST(InputFile, ReadsAPlainFileWholeAndReadsBlockAgain)
{
    TempFolder folder;
    std::ofstream(folder.file("lyrics.txt"), std::ios::binary) << "one\ntwo\n";
    std::string reason;
    auto file = InputFile::open(folder.file("lyrics.txt"), kCap, reason);
    ASSERT_TRUE(file) << reason;
    EXPECT_EQ(file->size(), 8u);
    char tail[4] = {};
    ASSERT_TRUE(file->readAt(4, tail, 4, reason)) << reason;
    EXPECT_EQ(std::string(tail, 4), "two\n");
    EXPECT_FALSE(file->readAt(6, tail, 4, reason));
    EXPECT_EQ(reason, "the file shrank while it was read");
    EXPECT_EQ(ReadWholeFile(folder.file("lyrics.txt"), kCap, reason), "one\ntwo\n");
}

} // namespace
} // namespace rz
