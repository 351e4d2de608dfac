#include <gtest/gtest.h>

#include "song/auto_recover.h"
#include "song_fixture.h"

namespace rz {
namespace {

TEST(AutoRecoverPath, AppendsSavToTheWholeFileName)
{
    EXPECT_EQ(AutoRecoverPath("/songs/x.mid"), std::filesystem::path("/songs/x.mid.sav"));
    EXPECT_EQ(AutoRecoverPath("/songs/x.kar"), std::filesystem::path("/songs/x.kar.sav"));
    EXPECT_EQ(AutoRecoverPath("x"), std::filesystem::path("x.sav"));
}

TEST(AutoRecoverCopy, DeletingAMissingCopyIsFine)
{
    TempDir dir;
    const auto song = dir.path() / "a.mid";
    EXPECT_TRUE(deleteAutoRecoverCopy(song));
    touchFile(AutoRecoverPath(song));
    touchFile(song);
    EXPECT_TRUE(deleteAutoRecoverCopy(song));
    EXPECT_FALSE(std::filesystem::exists(AutoRecoverPath(song)));
    EXPECT_TRUE(std::filesystem::exists(song));
}

} // namespace
} // namespace rz
