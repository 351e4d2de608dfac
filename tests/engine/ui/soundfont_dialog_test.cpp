// "SoundFont Bank Manager" offscreen over a driverless built-in synthesizer
// with TimGM6mb: the tree, loading several files, the wave-only patch mode,
// the export and the missing device.

#include "core/profile.h"
#include "engine/synthdb/patch_list.h"
#include "engine/ui/soundfont_dlg.h"
#include "platform/midi_gm_synth.h"
#include "platform/soundfont_banks.h"
#include "song/fs.h"
#include "tests/engine/ui/sound_font_tree.h"
#include "tests/support/scripted_prompt.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <unistd.h>

namespace rz {
namespace {

std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SoundFontDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(kTestSoundFont));
        m_folder = std::filesystem::temp_directory_path()
            / ("soundfont-dialog-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder / "Synths");
        GmSynthOptions options;
        options.soundFont = kTestSoundFont;
        options.driverless = true;
        options.banks = m_banks = std::make_shared<SoundFontBanks>();
        m_synth = std::make_unique<GmSynthDevice>(options);
        ASSERT_TRUE(m_synth->open());
        m_dialog = std::make_unique<CSoundFontDlg>(m_banks.get(), m_prompt, m_profile, m_folder,
                                                   m_folder / "Synths");
    }

    void TearDown() override
    {
        m_dialog.reset();
        m_synth.reset();
        m_banks.reset();
        std::filesystem::remove_all(m_folder);
    }

    std::filesystem::path copyOfTestSoundFont(const std::string& name)
    {
        std::filesystem::copy_file(kTestSoundFont, m_folder / name);
        return m_folder / name;
    }

    std::filesystem::path m_folder;
    ScriptedPrompt m_prompt;
    MemoryProfile m_profile;
    std::shared_ptr<SoundFontBanks> m_banks;
    std::unique_ptr<GmSynthDevice> m_synth;
    std::unique_ptr<CSoundFontDlg> m_dialog;
};

TEST_F(SoundFontDialog, ShowsOnlyBanksInUseAndAlwaysThePercussiveBank)
{
    ASSERT_TRUE(m_dialog->OnInitDialog());
    EXPECT_EQ(m_dialog->deviceCombo()->count(), 1);
    EXPECT_EQ(m_dialog->deviceCombo()->currentText(), "Built-in GM Synth");
    EXPECT_EQ(m_dialog->emulationCombo()->count(), 4);
    EXPECT_EQ(m_dialog->emulationCombo()->currentText(), "gs");
    const std::string name = m_banks->bankName(0);
    EXPECT_EQ(rootTexts(*m_dialog->tree()),
              (std::vector<std::string>{"Bank 0: " + name, "Percussive bank"}));
    EXPECT_EQ(m_dialog->tree()->topLevelItem(0)->child(0)->text(0).left(3), "1: ");

    m_dialog->tree()->setCurrentItem(m_dialog->tree()->topLevelItem(0));
    m_prompt.expectOkCancel("Are you sue you want to delete bank " + name + "?", PromptAnswer::Ok);
    m_dialog->OnDelete();
    EXPECT_EQ(rootTexts(*m_dialog->tree()), (std::vector<std::string>{"Percussive bank"}));
    EXPECT_EQ(m_dialog->tree()->topLevelItem(0)->childCount(), 0);
}

TEST_F(SoundFontDialog, ThreeFilesLoadInOrderAndCancelSkipsOnlyItsOwn)
{
    ASSERT_TRUE(m_dialog->OnInitDialog());
    const auto first = copyOfTestSoundFont("first.sf2");
    const auto second = copyOfTestSoundFont("second.sf2");
    const auto third = copyOfTestSoundFont("third.sf2");
    std::vector<std::filesystem::path> asked;
    int bank = 2;
    m_dialog->setLoadAsker([&](const LoadSoundFontChoice& start) -> std::optional<LoadSoundFontChoice> {
        asked.push_back(start.path);
        LoadSoundFontChoice choice = start;
        choice.targetBank = bank++;
        if (start.path == second)
            return std::nullopt;
        return choice;
    });
    m_prompt.expectOpenPaths("Load SoundFonts...", {first, second, third});
    m_dialog->OnLoad();
    EXPECT_EQ(asked, (std::vector<std::filesystem::path>{first, second, third}));
    ASSERT_EQ(m_banks->items().size(), 3u);
    EXPECT_EQ(m_banks->items()[1].path, first);
    EXPECT_EQ(m_banks->items()[2].path, third);
    EXPECT_TRUE(m_banks->isBankInUse(2));
    EXPECT_FALSE(m_banks->isBankInUse(3));
    EXPECT_TRUE(m_banks->isBankInUse(4));
    EXPECT_EQ(m_prompt.prompts()[0].path, m_folder) << "starts in the documents folder";
    EXPECT_EQ(m_profile.readString("Soundfonts", "Dirs", ""), m_folder.string());
    EXPECT_EQ(m_dialog->tree()->topLevelItemCount(), 4);
}

TEST_F(SoundFontDialog, AFailedLoadShowsItsErrorNumber)
{
    ASSERT_TRUE(m_dialog->OnInitDialog());
    const auto text = m_folder / "text.sf2";
    std::ofstream(text) << "not a SoundFont";
    m_dialog->setLoadAsker([](const LoadSoundFontChoice& start) { return std::optional(start); });
    m_prompt.expectOpenPaths("Load SoundFonts...", {text});
    m_prompt.expectMessage("Trouble loading bank: " + std::to_string(kSoundFontNotSoundFont));
    m_dialog->OnLoad();
    EXPECT_EQ(m_banks->items().size(), 1u);
}

TEST_F(SoundFontDialog, AWaveOffersOnlyThePatchMode)
{
    CLoadSoundFontDlg wave(initialLoadChoice(m_folder / "tone.WAV"));
    EXPECT_TRUE(wave.selectedPatchRadio()->isChecked());
    EXPECT_FALSE(wave.entireFileRadio()->isEnabled());
    EXPECT_FALSE(wave.sourceBankSpin()->isEnabled());
    EXPECT_FALSE(wave.sourcePatchSpin()->isEnabled());
    EXPECT_TRUE(wave.targetPatchSpin()->isEnabled());
    EXPECT_TRUE(wave.choice().waveFile);

    CLoadSoundFontDlg sf2(initialLoadChoice(m_folder / "bank.sf2"));
    EXPECT_TRUE(sf2.entireFileRadio()->isChecked());
    EXPECT_TRUE(sf2.entireFileRadio()->isEnabled());
    EXPECT_FALSE(sf2.sourceBankSpin()->isEnabled());
    EXPECT_FALSE(sf2.targetPatchSpin()->isEnabled());
    sf2.selectedPatchRadio()->click();
    EXPECT_TRUE(sf2.sourceBankSpin()->isEnabled());
    EXPECT_TRUE(sf2.targetPatchSpin()->isEnabled());
    EXPECT_EQ(sf2.targetPatchSpin()->minimum(), 1);
    EXPECT_EQ(sf2.targetPatchSpin()->maximum(), 128);
    EXPECT_EQ(sf2.targetBankSpin()->maximum(), 127);
}

TEST_F(SoundFontDialog, ExportWritesTheBanksAndEmptyDrumSections)
{
    ASSERT_TRUE(m_dialog->OnInitDialog());
    ASSERT_EQ(m_banks->loadPreset(kTestSoundFont, {0, 1}, {5, 10}), kSoundFontOk);
    m_dialog->RefreshBanks();
    const auto file = m_folder / "Synths" / "gs.txt";
    m_prompt.expectSavePath("Export synth data file...", file);
    m_dialog->OnExportSynthData();
    EXPECT_EQ(m_prompt.prompts()[0].path, m_folder / "Synths" / "gs");
    const std::string text = readText(file);
    const std::string name = m_banks->bankName(5);
    EXPECT_NE(text.find("[Bank 0: " + m_banks->bankName(0) + "]\n0="), std::string::npos) << text;
    EXPECT_NE(text.find("[Bank 640: " + name + "]\n10=" + m_banks->presets(5)[0].name + "\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[Drum 0/0: "), std::string::npos) << text;

    std::string reason;
    const PatchList read = readPatchListFile(file, reason).value().list;
    ASSERT_EQ(read.banks.size(), 2u);
    EXPECT_EQ(read.banks[1].number, 640);
    EXPECT_EQ(read.banks[1].name, name);
    ASSERT_EQ(read.banks[1].patches.size(), 1u);
    EXPECT_EQ(read.banks[1].patches[0].number, 10);
    EXPECT_EQ(read.banks[1].patches[0].name, m_banks->presets(5)[0].name);
    const auto drums = m_banks->presets(kPercussionBank);
    ASSERT_EQ(read.drumsets.size(), drums.size());
    EXPECT_EQ(read.drumsets[0].name, drums[0].name);
    EXPECT_TRUE(read.drumsets[0].notes.empty());

    // A failed export says why and keeps the file it would have replaced.
    ASSERT_EQ(m_banks->deleteBank(5), kSoundFontOk);
    m_dialog->RefreshBanks();
    m_prompt.expectSavePath("Export synth data file...", file);
    m_prompt.expectMessage("cannot write");
    {
        ScopedFsFault fault(FsStep::Write, ENOSPC);
        m_dialog->OnExportSynthData();
    }
    EXPECT_EQ(readText(file), text);
}

TEST(SoundFontDialogDevice, WithoutTheSynthTheMessageClosesTheDialog)
{
    ScriptedPrompt prompt;
    MemoryProfile profile;
    CSoundFontDlg dialog(nullptr, prompt, profile, "/tmp", "/tmp");
    prompt.expectMessage("The SoundFont manager is unable to locate a SoundFont compatible device");
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

} // namespace
} // namespace rz
