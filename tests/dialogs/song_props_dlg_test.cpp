// "Song properties...": the tempo field, the relative-volume slider, OK's
// questions, "Set as default", texts kept byte for byte and a song shown only.

#include "dialogs/song_props_dlg.h"

#include "core/settings.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "tests/song/song_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <cmath>

#include <gtest/gtest.h>

namespace rz {
namespace {

class SongProps : public testing::Test {
protected:
    void SetUp() override
    {
        song->title = "Song";
        song->contentFlag = true;
    }
    static void showActive(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    // Types into a field over its text and leaves it with Tab.
    static void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
};

TEST(SongPropsTempo, TypedTempoIsHeldWithinTheLimits)
{
    struct Case {
        const char* typed;
        const char* shown;
        uint32_t micros;
    };
    const Case cases[] = {
        {"500", "360.00", 166'666}, {"0.5", "3.58", 16'759'776}, {"abc", "3.58", 16'759'776},
        {"120", "120.00", 500'000}, {"97.257", "97.25", 616'966},
    };
    for (const Case& c : cases) {
        TempoField field(500'000);
        field.type(c.typed);
        EXPECT_EQ(field.text(), c.shown) << c.typed;
        EXPECT_EQ(field.micros(), c.micros) << c.typed;
    }
}

TEST_F(SongProps, TheSpinStepsTheTempoByOneHundredth)
{
    CSongPropsDlg dialog(*song);
    showActive(dialog);
    EXPECT_EQ(dialog.tempoEdit()->text(), "120.00");
    dialog.specifyTempoBox()->setChecked(true);
    dialog.tempoEdit()->upButton()->click();
    EXPECT_EQ(dialog.tempoEdit()->text(), "120.01");
    dialog.tempoEdit()->downButton()->click();
    dialog.tempoEdit()->downButton()->click();
    EXPECT_EQ(dialog.tempoEdit()->text(), "119.99");
    EXPECT_EQ(dialog.params().tempo, 500'041u);
    typeInto(dialog.tempoEdit(), "500");
    EXPECT_EQ(dialog.tempoEdit()->text(), "360.00");
    EXPECT_EQ(dialog.params().tempo, 166'666u);
}

TEST(SongPropsVolume, TheSliderIsSixteenStepsAnOctaveHalvesAwayFromZero)
{
    const std::pair<double, int32_t> cases[] = {
        {1.0, 0},   {2.0, 16},  {0.5, -16}, {std::exp2(0.5 / 16), 1}, {std::exp2(-0.5 / 16), -1},
        {std::exp2(0.49 / 16), 0}, {std::exp2(-1.5 / 16), -2}, {4.0, 16}, {0.0, 0},
    };
    for (const auto& [volume, step] : cases)
        EXPECT_EQ(volumeStepOf(volume), step) << volume;
}

TEST_F(SongProps, TheDialogOpensOnTheSongsValues)
{
    song->relativeVolume = 2.0;
    song->timeBase = 480;
    song->format = 0;
    CSongPropsDlg dialog(*song);
    EXPECT_EQ(dialog.volumeSlider()->value(), 16);
    EXPECT_EQ(dialog.timeBaseList()->currentData().toInt(), 480);
    EXPECT_EQ(dialog.formatList()->currentIndex(), 0);
    EXPECT_FALSE(dialog.specifyTempoBox()->isChecked());
    EXPECT_FALSE(dialog.tempoEdit()->isEnabled());
    EXPECT_EQ(dialog.timeBaseList()->itemText(0), "24");
    EXPECT_EQ(dialog.timeBaseList()->itemText(dialog.timeBaseList()->count() - 2), "768");
    EXPECT_EQ(dialog.timeBaseList()->itemText(dialog.timeBaseList()->count() - 1), "960");
}

TEST_F(SongProps, OkAsksWhatTheChangeNeedsAndEveryNoKeepsTheDialogOpen)
{
    struct Case {
        const char* title;
        int timeBase;  // chosen; the song's is 120
        int format;    // chosen; the song's is 1
        std::vector<std::pair<PromptKind, PromptAnswer>> answers;
        bool closes;
    };
    const Case cases[] = {
        {"   ", 120, 1, {{PromptKind::Message, PromptAnswer::Ok}}, false},
        {"Song", 120, 1, {}, true},
        {"Song", 240, 1, {{PromptKind::YesNo, PromptAnswer::No}}, false},
        {"Song", 240, 1, {{PromptKind::YesNo, PromptAnswer::Yes}}, true},
        {"Song", 120, 0, {{PromptKind::YesNo, PromptAnswer::No}}, false},
        {"Song", 120, 0, {{PromptKind::YesNo, PromptAnswer::Yes}}, true},
        {"Song", 240, 0, {{PromptKind::YesNo, PromptAnswer::Yes}, {PromptKind::YesNo, PromptAnswer::No}}, false},
        {"Song", 240, 0, {{PromptKind::YesNo, PromptAnswer::Yes}, {PromptKind::YesNo, PromptAnswer::Yes}}, true},
    };
    const char* fragments[] = {"re-quantized", "Format 0"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.title << "' " << c.timeBase << " format " << c.format);
        CSongPropsDlg dialog(*song);
        dialog.titleEdit()->setText(c.title);
        dialog.timeBaseList()->setCurrentIndex(dialog.timeBaseList()->findData(c.timeBase));
        dialog.formatList()->setCurrentIndex(c.format);
        size_t question = c.timeBase != 120 ? 0 : 1;
        for (const auto& [kind, answer] : c.answers) {
            if (kind == PromptKind::Message)
                fixture.prompt.expectMessage(kSongNeedsTitle);
            else
                fixture.prompt.expectYesNo(fragments[question++], answer);
        }
        dialog.accept();
        fixture.prompt.verifyAllUsed();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.closes);
        if (c.closes) {
            EXPECT_EQ(dialog.params().timeBase, c.timeBase);
            EXPECT_EQ(dialog.params().format, c.format);
        }
    }
}

TEST_F(SongProps, SetAsDefaultUntouchedStoresTheSongsOwnTempo)
{
    song->tempoMap.front().tempo = 500'001; // no BPM in hundredths gives it back
    song->author = "Ann";
    CSongPropsDlg dialog(*song);
    fixture.prompt.expectMessage(kDefaultsSaved);
    dialog.defaultButton()->click();
    fixture.prompt.verifyAllUsed();
    const IProfile& profile = fixture.profile;
    EXPECT_EQ(readSetting(profile, settings::kSongInitialTempo), 500'001);
    EXPECT_EQ(readSetting(profile, settings::kSongTimebase), 120);
    EXPECT_EQ(readSetting(profile, settings::kSongFormat), 1);
    EXPECT_EQ(readSettingText(profile, settings::kSongAuthor), "Ann");
    // A new song takes them.
    fixture.profile.writeInt("SongDefaults", "SpecifyTempo", 1);
    EXPECT_EQ(fixture.newSong()->tempoMap.front().tempo, 500'001u);
}

TEST_F(SongProps, LongAndLegacyTextsSurviveOkByteForByte)
{
    const std::string title(120, 'T');
    const std::string copyright = "\xA9 1998 K\xF6nig"; // Windows-1252
    song->title = title;
    song->copyright = copyright;
    CSongPropsDlg dialog(*song);
    showActive(dialog);
    EXPECT_EQ(dialog.titleEdit()->text().size(), 120);
    EXPECT_EQ(dialog.copyrightEdit()->text(), QString::fromUtf8("\u00A9 1998 K\u00F6nig"));
    // Typing past the limit adds nothing; deleting still works.
    dialog.titleEdit()->setFocus();
    dialog.titleEdit()->end(false);
    QTest::keyClicks(dialog.titleEdit(), "x");
    EXPECT_EQ(dialog.titleEdit()->text().size(), 120);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.params().title, title);
    EXPECT_EQ(dialog.params().copyright, copyright);

    CSongPropsDlg edited(*song);
    showActive(edited);
    edited.titleEdit()->setFocus();
    edited.titleEdit()->end(false);
    QTest::keyClick(edited.titleEdit(), Qt::Key_Backspace);
    EXPECT_EQ(edited.titleEdit()->text().size(), 119);
    edited.copyrightEdit()->setText(QString::fromUtf8("\u00A9 2024"));
    edited.accept();
    EXPECT_EQ(edited.params().title, std::string(119, 'T'));
    EXPECT_EQ(edited.params().copyright, "\xC2\xA9 2024"); // typed text is stored as UTF-8
}

TEST_F(SongProps, ASongWithoutContentIsOnlyShown)
{
    song->contentFlag = false;
    CSongPropsDlg dialog(*song);
    EXPECT_EQ(dialog.titleEdit()->text(), "Song");
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_FALSE(dialog.titleEdit()->isEnabled());
    EXPECT_FALSE(dialog.defaultButton()->isEnabled());
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(SongProps, TheFrameRateListChangesOnlyHowTheOffsetShows)
{
    song->smpteOffset = CSmpteTime::fromFields(kSmpteRate30, 1, 0, 0, 15, 0);
    CSongPropsDlg dialog(*song);
    const double time = dialog.offsetEdit()->time();
    EXPECT_EQ(dialog.rateList()->currentIndex(), kSmpteRate30);
    dialog.rateList()->setCurrentIndex(kSmpteRate25);
    EXPECT_EQ(dialog.offsetEdit()->rate(), kSmpteRate25);
    EXPECT_DOUBLE_EQ(dialog.offsetEdit()->time(), time);
    EXPECT_EQ(dialog.offsetEdit()->field(SmpteField::Frames)->text().toInt(), 12); // half a second at 25
    dialog.accept();
    EXPECT_DOUBLE_EQ(dialog.params().smpteOffset.time(), time);
    EXPECT_EQ(dialog.params().smpteOffset.rate(), kSmpteRate25);
}

} // namespace
} // namespace rz
