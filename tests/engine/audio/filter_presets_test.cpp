#include "engine/audio/filter_presets.h"
#include "filter_fixture.h"

#include <gtest/gtest.h>

#include <fstream>

namespace rz {
namespace {

using Strings = std::vector<std::string>;

class FilterPresets : public ::testing::Test {
protected:
    const LadspaPluginInfo& delay() { return test::testCatalog().find(test::kDelay)->info(); }

    // A fresh store object over the folder, as the next opening sees it.
    FilterPresetStore reopen()
    {
        FilterPresetStore store(delay());
        std::string reason;
        EXPECT_TRUE(store.open(m_folder.path(), reason)) << reason;
        return store;
    }

    test::TempFolder m_folder;
    std::string m_reason;
};

TEST_F(FilterPresets, MissingStoreIsCreatedEmpty)
{
    FilterPresetStore store = reopen();
    EXPECT_EQ(store.file(), m_folder / "1043-delay_5s.ini");
    EXPECT_TRUE(std::filesystem::exists(store.file()));
    EXPECT_TRUE(store.presetNames().empty());
    std::vector<float> values = {1.0f, 0.5f};
    EXPECT_FALSE(store.loadLastUsed(values));
}

TEST_F(FilterPresets, OnlyLastUsedListsNothingButOpensWithItsValues)
{
    ASSERT_TRUE(reopen().saveLastUsed(std::vector<float>{2.5f, 0.25f}, m_reason)) << m_reason;
    const FilterPresetStore store = reopen();
    EXPECT_TRUE(store.presetNames().empty());
    std::vector<float> values = {1.0f, 0.5f};
    ASSERT_TRUE(store.loadLastUsed(values));
    EXPECT_EQ(values, (std::vector<float>{2.5f, 0.25f}));
}

TEST_F(FilterPresets, SavingOverANameReplacesItAndDeleteRemovesIt)
{
    FilterPresetStore store = reopen();
    ASSERT_TRUE(store.savePreset("Slap", std::vector<float>{0.1f, 0.3f}, m_reason));
    ASSERT_TRUE(store.savePreset("Echo", std::vector<float>{0.5f, 0.5f}, m_reason));
    ASSERT_TRUE(store.savePreset("Slap", std::vector<float>{0.2f, 0.4f}, m_reason));
    FilterPresetStore again = reopen();
    EXPECT_EQ(again.presetNames(), (Strings{"Echo", "Slap"}));
    std::vector<float> values(2);
    ASSERT_TRUE(again.loadPreset("Slap", values));
    EXPECT_EQ(values, (std::vector<float>{0.2f, 0.4f}));

    ASSERT_TRUE(again.removePreset("Slap", m_reason));
    EXPECT_FALSE(again.removePreset("Slap", m_reason));
    EXPECT_EQ(reopen().presetNames(), (Strings{"Echo"}));
}

TEST_F(FilterPresets, AnyTypedNameRoundTrips)
{
    const Strings names = {"a]b", "x=y", "rock/pop", "last used", " padded ", "%41", "[all]",
                           "semi;colon #1", "back\\slash", "Ölfass", "tab\there"};
    FilterPresetStore store = reopen();
    for (size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(store.savePreset(names[i], std::vector<float>{float(i) / 4, 0.5f}, m_reason));
    const FilterPresetStore again = reopen();
    Strings sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(again.presetNames(), sorted);
    for (size_t i = 0; i < names.size(); ++i) {
        std::vector<float> values(2);
        ASSERT_TRUE(again.loadPreset(names[i], values)) << names[i];
        EXPECT_FLOAT_EQ(values[0], float(i) / 4) << names[i];
    }
    std::vector<float> values(2);
    EXPECT_FALSE(again.loadLastUsed(values)); // the preset "last used" is not the OK's settings
}

TEST_F(FilterPresets, ForeignValuesAreClampedAndUnknownKeysIgnored)
{
    std::ofstream(m_folder / "1043-delay_5s.ini") << "; written by hand\n"
                                                     "[preset Wild]\n"
                                                     "0:Delay (Seconds)=99\n"
                                                     "1:Dry%2FWet Balance=-3\n"
                                                     "7:Nothing=1\n"
                                                     "0:Wrong name=2\n"
                                                     "garbage line\n"
                                                     "[preset Junk]\n"
                                                     "0:Delay (Seconds)=nan\n"
                                                     "1:Dry%2FWet Balance=0.7x\n";
    const FilterPresetStore store = reopen();
    EXPECT_EQ(store.presetNames(), (Strings{"Junk", "Wild"}));
    std::vector<float> values = {1.0f, 0.5f};
    ASSERT_TRUE(store.loadPreset("Wild", values));
    EXPECT_EQ(values, (std::vector<float>{5.0f, 0.0f}));
    values = {1.0f, 0.5f};
    ASSERT_TRUE(store.loadPreset("Junk", values));
    EXPECT_EQ(values, (std::vector<float>{1.0f, 0.5f}));
}

TEST_F(FilterPresets, UnwritableStoreFailsToOpen)
{
    std::ofstream(m_folder / "file") << "x";
    FilterPresetStore store(delay());
    EXPECT_FALSE(store.open(m_folder / "file" / "filterdata", m_reason));
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(store.savePreset("A", std::vector<float>{1, 1}, m_reason));
}

TEST_F(FilterPresets, DataFolder)
{
    EXPECT_EQ(filterDataFolderFor("/data", "/home/u"), "/data/Vozuzuzuziv Software/filterdata");
    EXPECT_EQ(filterDataFolderFor("rel", "/home/u"),
              "/home/u/.local/share/Vozuzuzuziv Software/filterdata");
}

} // namespace
} // namespace rz
