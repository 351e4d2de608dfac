#include "core/tips.h"

#include "core/profile.h"

#include <gtest/gtest.h>

#include <sys/time.h>

#include <filesystem>
#include <fstream>

namespace rz {
namespace {

TEST(TipReader, SkipsCommentsAndBlankLinesAndWrapsAround)
{
    TipReader reader("; header\nFirst\n\n  indented\n\tTabbed\nSecond\r\n", 0);
    EXPECT_EQ(reader.next(), "First");
    EXPECT_EQ(reader.next(), "Second");
    EXPECT_EQ(reader.next(), "First");
}

TEST(TipReader, CommentsOnlyOrEmptyEndAfterOnePass)
{
    for (const char* text : {"; a\n; b\n", "", "\n\n", " x"}) {
        TipReader reader(text, 0);
        EXPECT_FALSE(reader.next()) << text;
    }
}

TEST(TipReader, LongLineIsCutAndItsRestSkipped)
{
    TipReader reader(std::string(1500, 'a') + "\nNext\n", 0);
    EXPECT_EQ(reader.next(), std::string(TipReader::kMaxTipLength, 'a'));
    EXPECT_EQ(reader.next(), "Next");
}

TEST(TipReader, PositionPastTheEndStartsAgain)
{
    TipReader reader("One\nTwo\n", 999);
    EXPECT_EQ(reader.next(), "One");
    EXPECT_EQ(reader.position(), 4u);
}

class TipOfTheDayTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path()
                 / ("rz_tips_" + std::to_string(::getpid()) + "_"
                    + testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        file = folder / "tips.txt";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void write(const std::string& text, std::time_t mtime)
    {
        std::ofstream(file, std::ios::binary) << text;
        const timeval times[2] = {{mtime, 0}, {mtime, 0}};
        ASSERT_EQ(::utimes(file.c_str(), times), 0);
    }

    std::filesystem::path folder;
    std::filesystem::path file;
    MemoryProfile profile;
};

TEST_F(TipOfTheDayTest, ContinuesWhereItStoppedUntilTheFileChanges)
{
    write("A\nB\nC\n", 1000000);
    {
        TipOfTheDay tips(profile, file);
        EXPECT_EQ(tips.text(), "A");
        tips.readNextTip();
        EXPECT_EQ(tips.text(), "B");
    }
    EXPECT_EQ(profile.readString("Tip", "TimeStamp", ""), ctimeText(1000000));
    {
        TipOfTheDay tips(profile, file);
        EXPECT_EQ(tips.text(), "C");
        tips.readNextTip();
        EXPECT_EQ(tips.text(), "A");
    }
    write("X\nY\nZ\n", 2000000);
    TipOfTheDay tips(profile, file);
    EXPECT_EQ(tips.text(), "X");
}

TEST_F(TipOfTheDayTest, MissingAndTiplessFilesSayWhy)
{
    {
        TipOfTheDay tips(profile, file);
        EXPECT_FALSE(tips.fileOpened());
        EXPECT_EQ(tips.text(), kTipsFileMissing);
    }
    write("; only\n; comments\n", 1000000);
    TipOfTheDay tips(profile, file);
    EXPECT_TRUE(tips.fileOpened());
    EXPECT_EQ(tips.text(), kTipsFileTrouble);
}

TEST_F(TipOfTheDayTest, UncheckingStoresStartUpOne)
{
    write("A\n", 1000000);
    TipOfTheDay tips(profile, file);
    EXPECT_TRUE(tips.showAtStartup());
    tips.close(false);
    EXPECT_EQ(profile.readInt("Tip", "StartUp", 0), 1);
    EXPECT_FALSE(TipOfTheDay(profile, file).showAtStartup());
}

TEST(CtimeText, HasTheCLocaleForm)
{
    const std::string text = ctimeText(0);
    ASSERT_EQ(text.size(), 24u) << text;
    EXPECT_EQ(text[3], ' ');
    EXPECT_EQ(text[13], ':');
}

} // namespace
} // namespace rz
