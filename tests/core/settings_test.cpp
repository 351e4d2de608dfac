#include "core/settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace rz {
namespace {

TEST(SettingsTable, EveryDefaultLiesInItsRange)
{
    for (const Setting& row : allSettings()) {
        SCOPED_TRACE(row.name);
        EXPECT_LE(row.min, row.max);
        if (row.type == SettingType::Int) {
            EXPECT_GE(row.defaultValue, row.min);
            EXPECT_LE(row.defaultValue, row.max);
        }
    }
}

TEST(SettingsTable, SectionAndKeyNameOneRowIgnoringCase)
{
    std::set<std::string> seen;
    for (const Setting& row : allSettings()) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(row.section.empty());
        EXPECT_FALSE(row.key.empty());
        const std::string name = profileKey(row.section) + "\n" + profileKey(row.key);
        EXPECT_TRUE(seen.insert(name).second) << row.section << " " << row.key;
    }
}

TEST(SettingsTable, AbsentValuesReadAsTheirDefault)
{
    const MemoryProfile profile;
    for (const Setting& row : allSettings()) {
        SCOPED_TRACE(row.name);
        if (row.type == SettingType::Int) {
            EXPECT_EQ(readSetting(profile, row, "1"), row.defaultValue);
        } else if (row.type == SettingType::Text) {
            EXPECT_EQ(readSettingText(profile, row, "1"), row.defaultText);
        }
    }
}

TEST(SettingsTable, StoredNumbersOutsideTheRangeReadClamped)
{
    for (const Setting& row : allSettings()) {
        if (row.type != SettingType::Int)
            continue;
        SCOPED_TRACE(row.name);
        MemoryProfile profile;
        if (row.min > settings::kLo) {
            writeSetting(profile, row, row.min - 1, "1");
            EXPECT_EQ(readSetting(profile, row, "1"), row.min);
        }
        if (row.max < settings::kHi) {
            writeSetting(profile, row, row.max + 1, "1");
            EXPECT_EQ(readSetting(profile, row, "1"), row.max);
        }
        writeSetting(profile, row, row.defaultValue, "1");
        EXPECT_EQ(readSetting(profile, row, "1"), row.defaultValue);
    }
}

TEST(SettingsTable, FamiliesStoreUnderTheNameTheCallerFillsIn)
{
    constexpr Setting row{"Family", "Ports\\Out\\{}", "synth", SettingType::Int, -1, -1, 99, ""};
    MemoryProfile profile;
    writeSetting(profile, row, 7, "3");
    EXPECT_EQ(profile.readInt("Ports\\Out\\3", "synth", 0), 7);
    EXPECT_EQ(readSetting(profile, row, "3"), 7);
    EXPECT_EQ(readSetting(profile, row, "4"), -1);
}

TEST(SettingsTable, ReadAndWriteUseTheStoredSectionAndKey)
{
    MemoryProfile profile;
    profile.writeString("tip", "timestamp", "x");
    EXPECT_EQ(readSettingText(profile, settings::kTipTimeStamp), "x");
    writeSetting(profile, settings::kTipFilePos, 12);
    EXPECT_EQ(profile.readInt("Tip", "FilePos", 0), 12);
}

} // namespace
} // namespace rz
