// The audio effect dialogs offscreen: the chooser, the generated settings
// page with its presets, applying and auditioning.

#include "engine/audio/audio_filter.h"
#include "engine/audio/filter_apply.h"
#include "engine/audio/filter_presets.h"
#include "engine/ui/apply_filter_dlg.h"
#include "engine/ui/audio_filters_dlg.h"
#include "engine/ui/audition_dlg.h"
#include "engine/ui/filter_preset_bar.h"
#include "engine/ui/filter_prop_page.h"
#include "engine/ui/filter_prop_sheet.h"
#include "tests/engine/audio/filter_fixture.h"
#include "tests/engine/ui/when_shown.h"
#include "tests/support/eventually.h"
#include "tests/support/scripted_prompt.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace rz {
namespace {

TEST(AudioFilters, AnEmptyPluginFolderListsNothingAndKeepsOkDisabled)
{
    test::TempFolder empty;
    ::setenv("LADSPA_PATH", empty.path().c_str(), 1);
    LadspaCatalog catalog;
    catalog.scan(ladspaSearchPath(), test::kFilterRate);
    ::unsetenv("LADSPA_PATH");
    CAudioFiltersDlg dialog(catalog);
    EXPECT_EQ(dialog.windowTitle(), "Audio filter plug-ins...");
    EXPECT_EQ(dialog.list()->count(), 0);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
}

TEST(AudioFilters, ChoosingEnablesOkAndADoubleClickChooses)
{
    CAudioFiltersDlg dialog(test::testCatalog());
    ASSERT_GT(dialog.list()->count(), 2);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_LT(dialog.list()->item(0)->text(), dialog.list()->item(1)->text());
    const QList<QListWidgetItem*> found =
        dialog.list()->findItems("Simple Delay Line", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    dialog.list()->setCurrentItem(found[0]);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    emit dialog.list()->itemDoubleClicked(found[0]);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.filterId(), test::kDelay);
    EXPECT_EQ(dialog.filterName(), "Simple Delay Line");
}

class FilterSheet : public ::testing::Test {
protected:
    std::unique_ptr<CFilterPropSheet> open(LadspaFilter& filter,
                                           std::filesystem::path audition = {})
    {
        FilterSheetSetup setup{.presetFolder = presets.path(), .auditionFile = std::move(audition)};
        return std::make_unique<CFilterPropSheet>(filter, prompt, std::move(setup));
    }

    test::TempFolder presets;
    ScriptedPrompt prompt;
};

TEST_F(FilterSheet, TheGeneratedPageSetsTheGainAndTheLiveFilterFollows)
{
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    auto sheet = open(*filter);
    EXPECT_EQ(sheet->windowTitle(), "Stereo Amplifier");
    QLineEdit* gain = sheet->page()->edit(0);
    ASSERT_TRUE(gain);
    EXPECT_FALSE(sheet->page()->slider(0)) << "the gain has no upper bound";
    gain->setText("0.5");
    emit gain->editingFinished();
    EXPECT_FLOAT_EQ(filter->control(0), 0.5f);
    EXPECT_FALSE(sheet->auditionButton()->isVisible());
}

TEST_F(FilterSheet, ABoundedValueGetsASliderAndAnEdit)
{
    auto filter = test::makeFilter(test::kDelay);
    ASSERT_TRUE(filter);
    auto sheet = open(*filter);
    QSlider* delay = sheet->page()->slider(0);
    ASSERT_TRUE(delay);
    delay->setValue(CFilterPropPage::kSliderSteps / 2);
    EXPECT_FLOAT_EQ(filter->control(0), 2.5f);
    EXPECT_EQ(sheet->page()->edit(0)->text(), "2.5");
    sheet->page()->edit(0)->setText("9");
    emit sheet->page()->edit(0)->editingFinished();
    EXPECT_FLOAT_EQ(filter->control(0), 5.0f) << "clamped to the port";
    EXPECT_EQ(delay->value(), CFilterPropPage::kSliderSteps);
}

TEST_F(FilterSheet, OkStoresTheSettingsTheNextOpeningLoads)
{
    auto filter = test::makeFilter(test::kDelay);
    ASSERT_TRUE(filter);
    {
        auto sheet = open(*filter);
        sheet->page()->slider(1)->setValue(CFilterPropPage::kSliderSteps);
        sheet->reject();
    }
    auto fresh = test::makeFilter(test::kDelay);
    {
        auto sheet = open(*fresh);
        EXPECT_FLOAT_EQ(fresh->control(1), 0.5f) << "Cancel stored nothing";
        sheet->page()->slider(1)->setValue(0);
        sheet->accept();
    }
    auto again = test::makeFilter(test::kDelay);
    auto sheet = open(*again);
    EXPECT_FLOAT_EQ(again->control(1), 0.0f);
    EXPECT_EQ(sheet->page()->slider(1)->value(), 0);
}

TEST_F(FilterSheet, PresetsSaveLoadByTypingAndDeleteAfterAsking)
{
    auto filter = test::makeFilter(test::kDelay);
    ASSERT_TRUE(filter);
    auto sheet = open(*filter);
    CFilterPresetBar* bar = sheet->presetBar();
    ASSERT_TRUE(bar->isEnabled());
    EXPECT_FALSE(bar->saveButton()->isEnabled());
    filter->setControl(0, 0.25f);
    bar->combo()->setEditText("Slap");
    EXPECT_TRUE(bar->saveButton()->isEnabled());
    EXPECT_FALSE(bar->deleteButton()->isEnabled());
    bar->saveButton()->click();
    EXPECT_EQ(bar->combo()->count(), 1);
    EXPECT_TRUE(bar->deleteButton()->isEnabled());

    filter->setControl(0, 4.0f);
    bar->combo()->setEditText("");
    bar->combo()->setEditText("Slap");
    EXPECT_FLOAT_EQ(filter->control(0), 0.25f) << "typing a preset's name loads it";
    EXPECT_EQ(sheet->page()->edit(0)->text(), "0.25");

    bar->saveButton()->click();
    EXPECT_EQ(bar->combo()->count(), 1) << "saving over a name adds no entry";

    prompt.expectYesNo("Are you sure?", PromptAnswer::No);
    bar->deleteButton()->click();
    EXPECT_EQ(bar->combo()->count(), 1);
    prompt.expectYesNo("Are you sure?", PromptAnswer::Yes);
    bar->deleteButton()->click();
    EXPECT_EQ(bar->combo()->count(), 0);
    EXPECT_FALSE(bar->saveButton()->isEnabled());
    EXPECT_FALSE(bar->deleteButton()->isEnabled());
}

TEST_F(FilterSheet, AnUnusableStoreLeavesTheBarDisabledAndTheSheetWorking)
{
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    std::ofstream(presets / "blocked") << "x";
    FilterSheetSetup setup{.presetFolder = presets / "blocked", .auditionFile = presets / "a.wav"};
    CFilterPropSheet sheet(*filter, prompt, std::move(setup));
    EXPECT_FALSE(sheet.presetBar()->isEnabled());
    sheet.show();
    EXPECT_TRUE(sheet.auditionButton()->isVisible());
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
}

class ApplyFilter : public ::testing::Test {
protected:
    std::vector<std::filesystem::path> clips(size_t count, size_t frames)
    {
        std::vector<std::filesystem::path> files;
        for (size_t i = 0; i < count; ++i) {
            files.push_back(sources / ("clip" + std::to_string(i) + ".wav"));
            test::writeStereoWave(files.back(), test::rampSamples(frames));
        }
        return files;
    }

    test::TempFolder sources;
    test::TempFolder work;
    ScriptedPrompt prompt;
};

TEST_F(ApplyFilter, RendersEveryClipAndEndsWithOk)
{
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    const auto inputs = clips(2, 5000);
    CApplyFilterDlg dialog(*filter, work.path(), inputs, {0, 0}, prompt);
    EXPECT_EQ(dialog.windowTitle(), "Applying filter...");
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    ASSERT_EQ(dialog.outputs().size(), 2u);
    EXPECT_EQ(work.files().size(), 2u);
    EXPECT_EQ(dialog.overallBar()->value(), dialog.overallBar()->maximum());
}

TEST_F(ApplyFilter, CancelDuringTheSecondOfThreeClipsLeavesNoOutput)
{
    auto filter = test::makeFilter(test::kSlow);
    ASSERT_TRUE(filter);
    const auto inputs = clips(3, 200000);
    CApplyFilterDlg dialog(*filter, work.path(), inputs, {0, 0, 0}, prompt);
    int clipsBegun = 0;
    QObject::connect(&dialog, &CApplyFilterDlg::clipBegan, &dialog, [&] {
        if (++clipsBegun == 2)
            dialog.cancelButton()->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.error(), kFilterCancelled);
    EXPECT_TRUE(dialog.outputs().empty());
    EXPECT_TRUE(work.files().empty());
    EXPECT_TRUE(prompt.prompts().empty()) << "a cancelled run shows nothing";
}

TEST_F(ApplyFilter, AMissingInputShowsItsCodeAndLeavesNothing)
{
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    std::vector<std::filesystem::path> inputs = clips(1, 5000);
    inputs.push_back(sources / "gone.wav");
    CApplyFilterDlg dialog(*filter, work.path(), inputs, {0, 1500}, prompt);
    prompt.expectMessage("Sorry, LADSPA error: fffffff8");
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(work.files().empty());
}

TEST(AuditionDialog, StopDuringAnAuditionEndsWithoutAMessage)
{
    test::TempFolder folder;
    test::writeStereoWave(folder / "clip.wav", std::vector<int16_t>(2 * 441000, 1000));
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    ScriptedPrompt prompt;
    AudioPreviewSlot slot; // nothing drains it: the audition never ends by itself
    CAuditionDlg dialog(*filter, &slot, folder / "clip.wav", 10000, prompt);
    EXPECT_EQ(dialog.bar()->maximum(), 10000);
    whenShown([&] { dialog.stopButton()->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.error(), kFilterCancelled);
    EXPECT_TRUE(prompt.prompts().empty());
}

TEST(AuditionDialog, WithoutAnAudioEngineItShowsItsCode)
{
    test::TempFolder folder;
    test::writeStereoWave(folder / "clip.wav", std::vector<int16_t>(200, 1));
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    ScriptedPrompt prompt;
    prompt.expectMessage("Sorry, LADSPA error: ffffff93");
    CAuditionDlg dialog(*filter, nullptr, folder / "clip.wav", 5, prompt);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

} // namespace
} // namespace rz
