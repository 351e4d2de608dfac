// The bank manager's model over a driverless built-in synthesizer with
// TimGM6mb: the tree, the load choices and the synth data files.

#include "engine/synthdb/soundfont_manager.h"
#include "platform/midi_gm_synth.h"
#include "platform/soundfont_banks.h"
#include "song/fs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <unistd.h>

namespace rz {
namespace {

const std::filesystem::path kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class SoundFontManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(kTestSoundFont))
            << kTestSoundFont << " is missing: install the Debian package timgm6mb-soundfont";
        GmSynthOptions options;
        options.soundFont = kTestSoundFont;
        options.driverless = true;
        options.banks = m_banks = std::make_shared<SoundFontBanks>();
        m_synth = std::make_unique<GmSynthDevice>(options);
        ASSERT_TRUE(m_synth->open()) << m_synth->openError();
    }

    std::shared_ptr<SoundFontBanks> m_banks;
    std::unique_ptr<GmSynthDevice> m_synth;
};

TEST_F(SoundFontManagerTest, TreeShowsBanksInUseAndAlwaysThePercussiveBank)
{
    ASSERT_EQ(m_banks->loadPreset(kTestSoundFont, {0, 1}, {5, 10}), kSoundFontOk);
    auto tree = soundFontTree(*m_banks);
    ASSERT_EQ(tree.size(), 3u);
    const std::string name = m_banks->bankName(0);
    EXPECT_EQ(tree[0].text, "Bank 0: " + name);
    EXPECT_EQ(tree[0].data, 0);
    ASSERT_FALSE(tree[0].children.empty());
    EXPECT_EQ(tree[0].children[0].data, 0);
    EXPECT_EQ(tree[0].children[0].text.substr(0, 3), "1: ");
    EXPECT_EQ(tree[1].text, "Bank 5: " + name);
    ASSERT_EQ(tree[1].children.size(), 1u);
    EXPECT_EQ(tree[1].children[0].data, 9 + 1);
    EXPECT_EQ(tree[1].children[0].text, "11: " + nameAfterColon(tree[0].children[1].text));
    EXPECT_EQ(tree[2].text, "Percussive bank");
    EXPECT_EQ(tree[2].data, kPercussiveBankData);
    EXPECT_FALSE(tree[2].children.empty());

    ASSERT_EQ(deleteTreeItem(*m_banks, 0, std::nullopt), kSoundFontOk);
    tree = soundFontTree(*m_banks);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].data, 5);
    EXPECT_EQ(tree[1].text, "Percussive bank");
    EXPECT_TRUE(tree[1].children.empty());
}

TEST_F(SoundFontManagerTest, DeletingAPresetOfAWholeBankGivesAnErrorNumber)
{
    EXPECT_EQ(deleteTreeItem(*m_banks, 0, 0), kSoundFontNotAlone);
    EXPECT_EQ(deleteTreeItem(*m_banks, kPercussiveBankData, 0), kSoundFontNotAlone);
    EXPECT_EQ(soundFontTree(*m_banks).size(), 2u);
}

TEST_F(SoundFontManagerTest, ChoicesLoadWhereTheDialogSays)
{
    LoadSoundFontChoice whole = initialLoadChoice(kTestSoundFont);
    whole.targetBank = 3;
    ASSERT_EQ(loadChosen(*m_banks, whole), kSoundFontOk);
    EXPECT_TRUE(m_banks->isBankInUse(3));

    LoadSoundFontChoice one = initialLoadChoice(kTestSoundFont);
    one.mode = LoadSoundFontChoice::SelectedPatch;
    one.sourcePatch = 2;
    one.targetBank = 7;
    one.targetPatch = 5;
    ASSERT_EQ(loadChosen(*m_banks, one), kSoundFontOk);
    const auto presets = m_banks->presets(7);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].location.preset, 4);
}

TEST(SoundFontManagerChoice, AWaveLoadsOnlyAsOnePatch)
{
    struct Case {
        const char* path;
        bool wave;
    };
    for (const Case& c : {Case{"/x/bank.sf2", false}, Case{"/x/tone.wav", true},
                          Case{"/x/TONE.WAV", true}, Case{"/x/wav", false}}) {
        const LoadSoundFontChoice choice = initialLoadChoice(c.path);
        EXPECT_EQ(choice.waveFile, c.wave) << c.path;
        EXPECT_EQ(choice.mode, c.wave ? LoadSoundFontChoice::SelectedPatch
                                      : LoadSoundFontChoice::EntireFile)
            << c.path;
        const LoadSoundFontFields fields = loadFieldStates(choice);
        EXPECT_EQ(fields.entireFile, !c.wave) << c.path;
        EXPECT_FALSE(fields.source) << c.path;
        EXPECT_EQ(fields.targetPatch, c.wave) << c.path;
    }
    LoadSoundFontChoice sf2 = initialLoadChoice("/x/bank.sf2");
    sf2.mode = LoadSoundFontChoice::SelectedPatch;
    EXPECT_TRUE(loadFieldStates(sf2).source);
    EXPECT_TRUE(loadFieldStates(sf2).targetPatch);
}

TEST(SoundFontManagerExport, SectionsInThePatchListShape)
{
    const std::vector<SoundFontTreeNode> tree{
        {"Bank 0: GM", 0, {{"1: Piano", 0, {}}, {"2: Bright", 1, {}}, {"3: Pad [Warm]", 2, {}}}},
        {"Bank 5: Mine: Extra", 5, {{"11: Solo", 10, {}}}},
        {"Percussive bank", kPercussiveBankData, {{"1: Standard", 0, {}}, {"26: Electro\nKit", 25, {}}}},
    };
    const PatchList list = synthDataList(tree);
    const std::string text = writePatchList(list, kSynthDataLayout);
    EXPECT_EQ(text, "[Bank 0: GM]\n0=Piano\n1=Bright\n2=Pad [Warm]\n"
                    "[Bank 640: Mine: Extra]\n10=Solo\n"
                    "[Drum 0/0: Standard]\n"
                    "[Drum 0/25: Electro Kit]\n");
    const PatchListReading read = readPatchList(text);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(read.list, list) << "the patch-list reader reads the same names back";
}

TEST(SoundFontManagerExport, ReplacesAnExistingFileOnlyWhenTheNewOneIsWritten)
{
    const auto folder = std::filesystem::temp_directory_path()
        / ("soundfont-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto file = folder / "gs.txt";
    std::ofstream(file) << "[Bank 0: Old]\n0=Piano\n";
    PatchList list;
    list.banks.push_back({0, "New", {{0, "Organ", ""}}});
    std::string reason;
    ASSERT_TRUE(writeSynthDataFile(file, list, reason)) << reason;
    const auto readText = [&] {
        std::ifstream in(file);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(readText(), "[Bank 0: New]\n0=Organ\n");

    list.banks[0].name = "Newer";
    {
        ScopedFsFault fault(FsStep::Write, ENOSPC);
        EXPECT_FALSE(writeSynthDataFile(file, list, reason));
    }
    EXPECT_EQ(readText(), "[Bank 0: New]\n0=Organ\n") << "a failed export keeps the old file";
    EXPECT_FALSE(writeSynthDataFile(folder / "no-such-folder" / "x.txt", list, reason));
    EXPECT_FALSE(reason.empty());
    std::filesystem::remove_all(folder);
}

TEST(SoundFontManagerDevices, OnlyTheBuiltInSynthAndOnlyWhenThereIsOne)
{
    EXPECT_TRUE(soundFontDevices(nullptr).empty());
}

} // namespace
} // namespace rz
