// The marks that skip a plug-in library which stopped the program.

#include "platform/plugin_marks.h"

#include "tests/support/hostile_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace rz {
namespace {

class PluginMarksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "rz-marks-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
};

TEST_F(PluginMarksTest, AMarkLeftByAKilledLoadSkipsThatLibraryFromThenOn)
{
    const PluginMarks marks(folder, "ladspa");
    marks.begin("/lib/bad.so"); // the run is killed here
    const auto messages = PluginMarks(folder, "ladspa").settle();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), PluginMarks::stoppedMessage("/lib/bad.so"));
    EXPECT_TRUE(marks.isStopped("/lib/bad.so"));
    EXPECT_FALSE(marks.isStopped("/lib/good.so"));
    EXPECT_TRUE(marks.settle().empty()) << "the message is given once";
}

TEST_F(PluginMarksTest, AFifoInTheMarksPlaceNeverHoldsUpALoad)
{
    const PluginMarks marks(folder, "ladspa");
    const auto mark = folder / "ladspa-loading";
    MakeFifo(mark);
    // A writer freed from the FIFO by the watchdog must fail, not end the test.
    const auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
    EXPECT_TRUE(ReturnsWithin(
        [&] {
            marks.begin("/lib/some.so");
            marks.end();
        },
        {mark}));
    std::signal(SIGPIPE, oldPipe);
    EXPECT_FALSE(marks.isStopped("/lib/some.so"));
}

} // namespace
} // namespace rz
