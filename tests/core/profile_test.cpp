#include "core/profile.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rz {
namespace {

TEST(MemoryProfile, SectionsAndNamesCompareCaseInsensitively)
{
    MemoryProfile profile;
    profile.writeInt("PlaybackOptions", "Chase", 1);
    EXPECT_EQ(profile.readInt("playbackoptions", "CHASE", 0), 1);

    profile.writeInt("PLAYBACKOPTIONS", "chase", 0); // the same value, overwritten
    EXPECT_EQ(profile.readInt("PlaybackOptions", "Chase", 7), 0);
    EXPECT_EQ(profile.valueNames("PlaybackOptions").size(), 1u);
}

TEST(MemoryProfile, ReadsGiveTheDefaultWhenAbsentOrOfAnotherType)
{
    MemoryProfile profile;
    EXPECT_EQ(profile.readInt("S", "Missing", 42), 42);
    EXPECT_EQ(profile.readString("S", "Missing", "dflt"), "dflt");
    EXPECT_FALSE(profile.readBinary("S", "Missing"));

    profile.writeString("S", "Number", "-12");
    profile.writeString("S", "Word", "abc");
    profile.writeString("S", "Trailing", "12x");
    profile.writeInt("S", "Int", 300);
    profile.writeBinary("S", "Blob", {1, 2, 3});

    EXPECT_EQ(profile.readInt("S", "Number", 0), -12); // text that is a number
    EXPECT_EQ(profile.readInt("S", "Word", 5), 5);
    EXPECT_EQ(profile.readInt("S", "Trailing", 5), 5);
    EXPECT_EQ(profile.readString("S", "Int", ""), "300");
    EXPECT_EQ(profile.readInt("S", "Blob", 9), 9);
    EXPECT_EQ(profile.readString("S", "Blob", "none"), "none");
    EXPECT_FALSE(profile.readBinary("S", "Int"));
    EXPECT_EQ(profile.readBinary("S", "blob"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(MemoryProfile, StringsKeepTheirBytes)
{
    MemoryProfile profile;
    profile.writeString("SaveOptions", "Path", "/home/\xC3\xA9t\xC3\xA9/Songs ");
    EXPECT_EQ(profile.readString("saveoptions", "path", ""), "/home/\xC3\xA9t\xC3\xA9/Songs ");
    profile.writeString("SaveOptions", "Empty", "");
    EXPECT_EQ(profile.readString("SaveOptions", "Empty", "dflt"), "");
}

TEST(MemoryProfile, WritingAnotherTypeReplacesTheValue)
{
    MemoryProfile profile;
    profile.writeBinary("S", "V", {9});
    profile.writeInt("S", "V", 4);
    EXPECT_FALSE(profile.readBinary("S", "V"));
    EXPECT_EQ(profile.readInt("S", "V", 0), 4);
}

TEST(MemoryProfile, ValueNamesKeepTheirSpellingAndBinaryFlag)
{
    MemoryProfile profile;
    profile.writeInt("PortsToUse\\MIDIOUT\\3", "Number", 3);
    profile.writeBinary("PortsToUse\\MIDIOUT\\3", "Cache", {0});
    auto names = profile.valueNames("portstouse\\midiout\\3");
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].name, "Cache");
    EXPECT_TRUE(names[0].binary);
    EXPECT_EQ(names[1].name, "Number");
    EXPECT_FALSE(names[1].binary);
    EXPECT_TRUE(profile.valueNames("Nothing").empty());
}

TEST(MemoryProfile, RemoveValueLeavesTheOthers)
{
    MemoryProfile profile;
    profile.writeInt("S", "A", 1);
    profile.writeInt("S", "B", 2);
    profile.removeValue("s", "a");
    profile.removeValue("Absent", "A");
    EXPECT_EQ(profile.readInt("S", "A", -1), -1);
    EXPECT_EQ(profile.readInt("S", "B", -1), 2);
}

TEST(MemoryProfile, RemovingASectionRemovesItsSubSectionsOnly)
{
    MemoryProfile profile;
    profile.writeInt("Ports", "V", 1);
    profile.writeInt("Ports\\Out", "V", 2);
    profile.writeInt("PORTS\\Out\\1", "V", 3);
    profile.writeInt("PortsExtra", "V", 4);
    profile.writeInt("Port", "V", 5);

    profile.removeSection("ports");

    EXPECT_EQ(profile.readInt("Ports", "V", 0), 0);
    EXPECT_EQ(profile.readInt("Ports\\Out", "V", 0), 0);
    EXPECT_EQ(profile.readInt("Ports\\Out\\1", "V", 0), 0);
    EXPECT_EQ(profile.readInt("PortsExtra", "V", 0), 4);
    EXPECT_EQ(profile.readInt("Port", "V", 0), 5);
}

TEST(MemoryProfile, RemovingASubSectionKeepsItsParent)
{
    MemoryProfile profile;
    profile.writeInt("A", "V", 1);
    profile.writeInt("A\\B", "V", 2);
    profile.writeInt("A\\BC", "V", 3);
    profile.removeSection("a\\b");
    EXPECT_EQ(profile.readInt("A", "V", 0), 1);
    EXPECT_EQ(profile.readInt("A\\B", "V", 0), 0);
    EXPECT_EQ(profile.readInt("A\\BC", "V", 0), 3);
}

} // namespace
} // namespace rz
