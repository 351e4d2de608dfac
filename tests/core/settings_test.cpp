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

// The Options pages show a hand-edited value as it is, to be mended.
TEST(SettingsTable, AsStoredReadsOutsideTheRangeUnclamped)
{
    MemoryProfile profile;
    writeSetting(profile, settings::kSetMaxSetSize, 9000);
    EXPECT_EQ(readSetting(profile, settings::kSetMaxSetSize), settings::kSetMaxSetSize.max);
    EXPECT_EQ(readSettingAsStored(profile, settings::kSetMaxSetSize, 80), 9000);
    EXPECT_EQ(readSettingAsStored(MemoryProfile(), settings::kSetMaxSetSize, 80), 80);
}

// A map store's family lists the names the user gave and goes whole.
TEST(SettingsTable, FamilySectionsListAndGoWhole)
{
    MemoryProfile profile;
    writeSettingBinary(profile, settings::kAccelMapBytes, {1, 2}, "Mine");
    writeSettingText(profile, settings::kAccelMapUseWhich, "Mine");
    std::set<std::string> names;
    for (const IProfile::ValueName& value : settingSectionValues(profile, settings::kAccelMapBytes))
        names.insert(value.name);
    EXPECT_EQ(names, (std::set<std::string>{"Mine", "UseWhich"}));
    removeSettingSection(profile, settings::kAccelMapBytes);
    EXPECT_TRUE(settingSectionValues(profile, settings::kAccelMapUseWhich).empty());
    EXPECT_EQ(readSettingText(profile, settings::kAccelMapUseWhich), "Default");
}

} // namespace
} // namespace rz
