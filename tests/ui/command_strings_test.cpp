#include "res/command_ids.h"
#include "res/command_strings.h"
#include "res/default_accel_map.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rz {
namespace {

TEST(CommandStrings, AreSortedUniqueAndHaveAPromptAndAShortName)
{
    const auto strings = commandStrings();
    EXPECT_TRUE(std::is_sorted(strings.begin(), strings.end(),
                               [](const auto& a, const auto& b) { return a.id <= b.id; }));
    for (const CommandString& s : strings) {
        if (s.id == kIdlePromptId || s.id == kPerformanceIdlePromptId)
            continue;
        EXPECT_EQ(std::count(s.text.begin(), s.text.end(), '\n'), 1) << s.id;
        EXPECT_FALSE(commandPrompt(s.id).empty()) << s.id;
        EXPECT_FALSE(commandShortName(s.id).empty()) << s.id;
        EXPECT_LE(commandShortName(s.id).size(), 80u) << s.id; // the map editor's limit
    }
}

TEST(CommandStrings, IdlePromptsAreTheLiteralTexts)
{
    EXPECT_EQ(commandString(57345), "For Help, press F1");
    EXPECT_EQ(commandString(61501), "Performance mode--click mouse icon to edit");
    EXPECT_EQ(commandPrompt(57345), "For Help, press F1");
    EXPECT_EQ(commandShortName(57345), "");
}

TEST(CommandStrings, SplitPromptAndShortName)
{
    EXPECT_EQ(commandPrompt(kIdPlayThrough), "Begin play; do not stop for cues");
    EXPECT_EQ(commandShortName(kIdPlayThrough), "Play through");
    EXPECT_EQ(commandString(kIdMenuFile), "The File Menu\nMenu: File");
    EXPECT_EQ(commandString(12345), "");
    EXPECT_EQ(commandShortName(12345), "");
}

TEST(CommandStrings, CoverEveryCommandOfTheDefaultMap)
{
    for (const AccelRecordData& r : defaultAccelRecords())
        EXPECT_FALSE(commandShortName(r.command).empty()) << r.command;
}

} // namespace
} // namespace rz
