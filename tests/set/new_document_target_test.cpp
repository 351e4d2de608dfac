#include "set_fixture.h"

#include "set/new_document_target.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

struct NewSetDialog : SetFixture, testing::Test {
    std::filesystem::path gigs() const { return folder.path() / "Gigs"; }
    void SetUp() override { std::filesystem::create_directories(gigs()); }
};

TEST_F(NewSetDialog, SetGetsAFolderOfItsOwnWithOrWithoutTrailingSeparator)
{
    for (const std::string& location : {gigs().string(), gigs().string() + "/"}) {
        SCOPED_TRACE(location);
        const auto target = resolveNewTarget(0, "Show", location);
        ASSERT_TRUE(std::holds_alternative<std::filesystem::path>(target));
        EXPECT_EQ(std::get<std::filesystem::path>(target), gigs() / "Show" / "Show.set");
        EXPECT_TRUE(std::filesystem::is_directory(gigs() / "Show"));
    }
}

TEST_F(NewSetDialog, SongNameIsSanitized)
{
    const auto target = resolveNewTarget(1, "a/b:c", gigs().string());
    ASSERT_TRUE(std::holds_alternative<std::filesystem::path>(target));
    EXPECT_EQ(std::get<std::filesystem::path>(target), gigs() / "a_b_c.mid");
}

TEST_F(NewSetDialog, FailuresGiveTheirMessageAndCreateNothing)
{
    writeBytes(gigs() / "Show" / "Show.set", {0});
    writeBytes(gigs() / "Song.mid", {0});
    const struct {
        int kind;
        std::string name, location, message;
    } cases[] = {
        {0, "Show", gigs().string(), kTargetExists},
        {1, "Song", gigs().string(), kTargetExists},
        {0, "New", "", kInvalidLocation},
        {0, "New", (gigs() / "nowhere").string(), kInvalidLocation},
        {0, "New", (gigs() / "Song.mid").string(), kInvalidLocation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " in " + c.location);
        const auto target = resolveNewTarget(c.kind, c.name, c.location);
        ASSERT_TRUE(std::holds_alternative<std::string>(target));
        EXPECT_EQ(std::get<std::string>(target), c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(gigs() / "New"));
    EXPECT_FALSE(std::filesystem::exists(gigs() / "nowhere"));
}

TEST_F(NewSetDialog, EmptySetFileIsWrittenAndOpened)
{
    const auto target = resolveNewTarget(0, "Show", gigs().string());
    const std::filesystem::path path = std::get<std::filesystem::path>(target);
    ASSERT_TRUE(createEmptySet(set, path));
    const std::vector<uint8_t> bytes = readBytes(path);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 0, 0, 101, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(set.hasSetFile());
    EXPECT_EQ(set.navigator().captionOf(set.tree().statusItem()), "End of set.");
}

} // namespace
} // namespace rz
