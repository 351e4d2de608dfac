// "Track properties...": the fields shown and answered, mixed values, the
// play box, typed banks and patches, the patch filter, previews on the
// preview track's port, enabling by kind, colour and clef preview.

#include "dialogs/track_props_dlg.h"

#include "dialogs/spin_edit.h"
#include "staff/symbols/music_font.h"
#include "tests/dialogs/track_props_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

namespace rz {
namespace {

class TrackPropsDialog : public testing::Test {
protected:
    // One track's fields: port 0 (the normal synth), channel 3, bank 0, patch 2.
    static TrackPropsParams pianoTrack()
    {
        TrackPropsParams p;
        p.name = "Piano";
        p.keyText = "0";
        p.timeText = "0";
        p.velocityText = "0";
        p.kind = 0;
        p.playEnabled = 1;
        p.clef = 0;
        p.splitNote = 60;
        p.inputChannel = 0;
        p.bank = 0;
        p.port = 0;
        p.inputPort = 0;
        p.patch = 1;
        p.channel = 2;
        p.initialControllers[0] = 64;
        p.initialControllers[1] = 100;
        p.color = 0x00FF00;
        return p;
    }
    static void showActive(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    // Types over a field's text and leaves it with Tab.
    static void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
    static void choose(QComboBox* combo, int index)
    {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    static QStringList itemsOf(const QComboBox* combo)
    {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }

    TrackDialogSong s;
};

TEST_F(TrackPropsDialog, ShowsATracksFieldsAndAnswersThemUnchanged)
{
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Track properties...");
    EXPECT_EQ(dialog.nameEdit()->text(), "Piano");
    EXPECT_EQ(dialog.portCombo()->currentText(), "0: Synth A");
    EXPECT_EQ(dialog.channelCombo()->currentText(), "3:  Sound Module ");
    EXPECT_EQ(dialog.inputPortCombo()->itemText(2), "2: Keyboard");
    EXPECT_EQ(dialog.inputChannelCombo()->currentText(), "All channels");
    EXPECT_EQ(dialog.bankCombo()->currentText(), "0 (0/0): Capital");
    EXPECT_EQ(dialog.patchCombo()->currentText(), "2: Bright PIANO");
    EXPECT_EQ(dialog.allPatchesCombo()->currentText(), "Bright PIANO [Keys] (Capital)");
    EXPECT_EQ(dialog.splitCombo()->currentText(), "C4 (60)");
    EXPECT_FALSE(dialog.splitCombo()->isEnabled()); // only for "Keyboard"
    EXPECT_EQ(dialog.volumeEdit()->text(), "100");
    EXPECT_EQ(dialog.panEdit()->text(), "0");
    EXPECT_EQ(dialog.panSlider()->value(), 64);
    EXPECT_EQ(dialog.playBox()->checkState(), Qt::Checked);
    const TrackPropsParams answer = dialog.params();
    const TrackPropsParams asked = pianoTrack();
    EXPECT_EQ(answer.name, asked.name);
    EXPECT_EQ(answer.bank, asked.bank);
    EXPECT_EQ(answer.patch, asked.patch);
    EXPECT_EQ(answer.playEnabled, 1);
    EXPECT_EQ(answer.initialControllers, asked.initialControllers);
    EXPECT_EQ(answer.timeText, "0");
}

TEST_F(TrackPropsDialog, ABankTheSynthDoesNotListShowsItsNumbers)
{
    TrackPropsParams p = pianoTrack();
    p.bank = 300;
    CTrackPropsDlg dialog(*s.song, p, nullptr);
    EXPECT_EQ(dialog.bankCombo()->currentIndex(), -1);
    EXPECT_EQ(dialog.bankCombo()->currentText(), "300 (2/44)");
    EXPECT_EQ(dialog.patchCombo()->currentIndex(), -1);
    EXPECT_EQ(dialog.params().bank, 300);
}

TEST_F(TrackPropsDialog, MixedFieldsShowEmptyAndStayMixed)
{
    TrackPropsParams mixed; // what two differing tracks share: nothing
    mixed.port = 0;
    mixed.channel = 2;
    CTrackPropsDlg dialog(*s.song, mixed, nullptr);
    showActive(dialog);
    EXPECT_TRUE(dialog.nameEdit()->text().isEmpty());
    EXPECT_TRUE(dialog.volumeEdit()->text().isEmpty());
    EXPECT_TRUE(dialog.bankCombo()->currentText().isEmpty());
    EXPECT_TRUE(dialog.patchCombo()->currentText().isEmpty());
    EXPECT_EQ(dialog.playBox()->checkState(), Qt::PartiallyChecked);
    dialog.accept();
    const TrackPropsParams answer = dialog.params();
    EXPECT_EQ(answer.name, "");
    EXPECT_EQ(answer.bank, -2);
    EXPECT_EQ(answer.patch, -2);
    EXPECT_EQ(answer.playEnabled, 2);
    EXPECT_EQ(answer.initialControllers[1], -2);
}

TEST_F(TrackPropsDialog, ThePlayBoxGoesFromMixedToCheckedThenToggles)
{
    TrackPropsParams mixed = pianoTrack();
    mixed.playEnabled = 2;
    CTrackPropsDlg dialog(*s.song, mixed, nullptr);
    showActive(dialog);
    QTest::mouseClick(dialog.playBox(), Qt::LeftButton);
    EXPECT_EQ(dialog.playBox()->checkState(), Qt::Checked);
    EXPECT_EQ(dialog.params().playEnabled, 1);
    QTest::mouseClick(dialog.playBox(), Qt::LeftButton);
    EXPECT_EQ(dialog.playBox()->checkState(), Qt::Unchecked);
    EXPECT_EQ(dialog.params().playEnabled, 0);
    QTest::mouseClick(dialog.playBox(), Qt::LeftButton);
    EXPECT_EQ(dialog.params().playEnabled, 1);
}

TEST_F(TrackPropsDialog, TypedBanksAndPatchesFollowTheSynthsNumbering)
{
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    showActive(dialog);
    typeInto(dialog.bankCombo()->lineEdit(), "2/3");
    EXPECT_EQ(dialog.params().bank, 259);
    EXPECT_EQ(itemsOf(dialog.patchCombo()), QStringList{"6: Rock Piano"});
    typeInto(dialog.patchCombo()->lineEdit(), "6");
    EXPECT_EQ(dialog.params().patch, 5);
    EXPECT_EQ(dialog.allPatchesCombo()->currentText(), "Rock Piano (Variation)");
    typeInto(dialog.patchCombo()->lineEdit(), "0"); // patches count from 1 here
    EXPECT_EQ(dialog.params().patch, -1);
    typeInto(dialog.bankCombo()->lineEdit(), "200/0");
    EXPECT_EQ(dialog.params().bank, -1);

    choose(dialog.portCombo(), 1); // the MSB-only synth that counts from 0
    EXPECT_EQ(dialog.channelCombo()->currentText(), "3:  Old Module ");
    typeInto(dialog.bankCombo()->lineEdit(), "2");
    EXPECT_EQ(dialog.params().bank, 256);
    EXPECT_EQ(dialog.bankCombo()->currentText(), "2: Second");
    typeInto(dialog.patchCombo()->lineEdit(), "0");
    EXPECT_EQ(dialog.params().patch, 0);
    EXPECT_EQ(dialog.patchCombo()->currentText(), "0: Organ");
}

TEST_F(TrackPropsDialog, AWordTypedAsPatchFiltersTheList)
{
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    showActive(dialog);
    EXPECT_FALSE(dialog.filteredBox()->isChecked());
    EXPECT_EQ(dialog.allPatchesCombo()->count(), 6);
    typeInto(dialog.patchCombo()->lineEdit(), "piano");
    EXPECT_TRUE(dialog.filteredBox()->isChecked());
    EXPECT_TRUE(dialog.filteredBox()->isEnabled());
    EXPECT_EQ(itemsOf(dialog.allPatchesCombo()),
              (QStringList{"Bright PIANO [Keys] (Capital)", "Grand Piano [Keys] (Capital)", "Rock Piano (Variation)"}));
    EXPECT_EQ(dialog.params().patch, 1); // a filter word is no patch
    dialog.filteredBox()->setChecked(false);
    EXPECT_EQ(dialog.allPatchesCombo()->count(), 6);
}

TEST_F(TrackPropsDialog, EveryBankOrPatchChangeIsHeardOnThePreviewTracksPort)
{
    s.previewOnFirstTrack();
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    showActive(dialog);
    ASSERT_EQ(dialog.previewTrack(), s.song->tracks[1].get());
    EXPECT_TRUE(s.port.log.calls().empty()); // opening alone sends nothing
    choose(dialog.bankCombo(), dialog.bankCombo()->findData(259));
    choose(dialog.patchCombo(), 0);
    choose(dialog.allPatchesCombo(), dialog.allPatchesCombo()->findText("Nylon Guitar [Guitar] (Capital)"));
    typeInto(dialog.bankCombo()->lineEdit(), "2/3");
    typeInto(dialog.patchCombo()->lineEdit(), "1");
    std::vector<std::string> previews;
    for (const std::string& call : s.port.log.calls())
        if (call.starts_with("SendBankProgram"))
            previews.push_back(call);
    EXPECT_EQ(previews, (std::vector<std::string>{
                                      "SendBankProgram(2,259,1,1)",
                                      "SendBankProgram(2,259,5,1)",
                                      "SendBankProgram(2,0,24,1)",
                                      "SendBankProgram(2,259,24,1)",
                                      "SendBankProgram(2,259,0,1)",
                                  }));
}

TEST_F(TrackPropsDialog, WithoutAPreviewTrackNothingIsSent)
{
    s.fixture.trackRows.selected = {1, 2}; // two rows: no single track to hear it
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    showActive(dialog);
    EXPECT_EQ(dialog.previewPort(), nullptr);
    choose(dialog.patchCombo(), 0);
    typeInto(dialog.bankCombo()->lineEdit(), "2/3");
    EXPECT_EQ(dialog.params().bank, 259);
    EXPECT_TRUE(s.port.log.calls().empty());
}

TEST_F(TrackPropsDialog, TheKindEnablesWhatItsTracksUse)
{
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    const std::vector<QWidget*> midiOnly{dialog.portCombo(), dialog.channelCombo(), dialog.bankCombo(),
                                         dialog.patchCombo(), dialog.allPatchesCombo(), dialog.inputPortCombo(),
                                         dialog.keyEdit(), dialog.clefCombo(), dialog.advancedButton()};
    const std::vector<QWidget*> audioToo{dialog.volumeEdit(), dialog.volumeSlider(), dialog.panEdit(),
                                         dialog.panSlider(), dialog.timeEdit(), dialog.playBox(),
                                         dialog.colorButton()};
    const struct {
        int kind;
        bool midi;
        bool audio;
    } cases[] = {{1, false, true}, {2, false, false}, {0, true, true}};
    for (const auto& c : cases) {
        choose(dialog.kindCombo(), c.kind);
        for (QWidget* control : midiOnly)
            EXPECT_EQ(control->isEnabled(), c.midi) << c.kind << " " << control->objectName().toStdString();
        for (QWidget* control : audioToo)
            EXPECT_EQ(control->isEnabled(), c.audio) << c.kind << " " << control->objectName().toStdString();
        EXPECT_TRUE(dialog.nameEdit()->isEnabled());
        EXPECT_EQ(dialog.params().kind, c.kind);
    }
}

TEST_F(TrackPropsDialog, OffsetsVolumeAndPanAreReadAsTyped)
{
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    showActive(dialog);
    typeInto(dialog.timeEdit(), "-3000");
    typeInto(dialog.panEdit(), "-70");
    typeInto(dialog.volumeEdit(), "200");
    EXPECT_EQ(dialog.panEdit()->text(), "-64");
    EXPECT_EQ(dialog.volumeEdit()->text(), "127");
    EXPECT_EQ(dialog.volumeSlider()->value(), 127);
    dialog.volumeSlider()->setValue(90);
    EXPECT_EQ(dialog.volumeEdit()->text(), "90");
    typeInto(dialog.panEdit(), "");
    dialog.accept();
    const TrackPropsParams answer = dialog.params();
    EXPECT_EQ(answer.timeText, "-3000");
    EXPECT_EQ(answer.initialControllers[0], -1);
    EXPECT_EQ(answer.initialControllers[1], 90);
    // The spin stops at the end of the range.
    dialog.timeEdit()->setText("4096");
    emit dialog.timeEdit()->stepRequested(true);
    EXPECT_EQ(dialog.timeEdit()->text(), "4096");
}

TEST_F(TrackPropsDialog, OffsetsBeyondTheirRangeAreHeldAtItsEndAndShown)
{
    const struct {
        const char* key;
        const char* velocity;
        const char* time;
        const char* keyShown;
        const char* velocityShown;
        const char* timeShown;
    } kCases[] = {
        {"999", "-300", "99999", "127", "-127", "4096"},
        {"-128", "128", "-5000", "-127", "127", "-4096"},
        {"12", "-5", "30", "12", "-5", "30"},
    };
    for (const auto& c : kCases) {
        CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
        dialog.keyEdit()->setText(c.key);
        dialog.velocityEdit()->setText(c.velocity);
        dialog.timeEdit()->setText(c.time);
        dialog.accept();
        EXPECT_EQ(dialog.keyEdit()->text(), c.keyShown) << c.key;
        const TrackPropsParams answer = dialog.params();
        EXPECT_EQ(answer.keyText, c.keyShown) << c.key;
        EXPECT_EQ(answer.velocityText, c.velocityShown) << c.velocity;
        EXPECT_EQ(answer.timeText, c.timeShown) << c.time;
    }
}

TEST_F(TrackPropsDialog, TheColourSampleShowsTheChosenColour)
{
    CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
    EXPECT_EQ(dialog.colorSample()->pixmap().toImage().pixelColor(1, 1), QColor(0, 255, 0));
    s.fixture.prompt.expectColor(makeColor(0, 0, 128));
    dialog.colorButton()->click();
    EXPECT_EQ(dialog.params().color, makeColor(0, 0, 128));
    const QImage sample = dialog.colorSample()->pixmap().toImage();
    EXPECT_EQ(sample.pixelColor(1, 1), QColor(0, 0, 128));
    bool lightText = false; // "12" in the text colour of a dark blue
    for (int y = 0; y < sample.height(); ++y)
        for (int x = 0; x < sample.width(); ++x)
            lightText = lightText || sample.pixelColor(x, y).lightness() > 200;
    EXPECT_TRUE(lightText);
    s.fixture.prompt.expectColor(std::nullopt);
    dialog.colorButton()->click();
    EXPECT_EQ(dialog.params().color, makeColor(0, 0, 128));
}

// Dark pixels of the preview.
int inkOf(const QLabel* preview)
{
    const QImage image = preview->pixmap().toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixelColor(x, y).lightness() < 128 ? 1 : 0;
    return ink;
}

TEST_F(TrackPropsDialog, TheClefPreviewDrawsTheChosenClefAndKeyboardOpensTheSplit)
{
    const std::unique_ptr<MusicFont> font = MusicFont::load();
    ASSERT_TRUE(font->ok()) << font->message().toStdString();
    TrackPropsParams none = pianoTrack();
    none.clef = -1;
    CTrackPropsDlg mixed(*s.song, none, font.get());
    EXPECT_EQ(inkOf(mixed.clefPreview()), 0);
    EXPECT_EQ(mixed.clefPreview()->pixmap().height(), 40);

    CTrackPropsDlg dialog(*s.song, pianoTrack(), font.get());
    const int treble = inkOf(dialog.clefPreview());
    EXPECT_GT(treble, 0);
    choose(dialog.clefCombo(), 1);
    EXPECT_NE(inkOf(dialog.clefPreview()), treble);
    EXPECT_FALSE(dialog.splitCombo()->isEnabled());
    choose(dialog.clefCombo(), 2);
    EXPECT_TRUE(dialog.splitCombo()->isEnabled());
    choose(dialog.splitCombo(), 55);
    EXPECT_EQ(dialog.params().clef, 2);
    EXPECT_EQ(dialog.params().splitNote, 55);
}

// The rows of the preview crossed by a staff line: dark over most of the
// widest row's length.
int staffLineRows(const QLabel* preview)
{
    const QImage image = preview->pixmap().toImage();
    std::vector<int> dark(size_t(image.height()), 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark[size_t(y)] += image.pixelColor(x, y).lightness() < 128 ? 1 : 0;
    const int widest = *std::max_element(dark.begin(), dark.end());
    return int(std::count_if(dark.begin(), dark.end(), [&](int n) { return widest > 0 && n * 5 >= widest * 4; }));
}

TEST_F(TrackPropsDialog, TheClefPreviewShowsTheSongsKeyAndBothStavesOfAGrandStaff)
{
    const std::unique_ptr<MusicFont> font = MusicFont::load();
    ASSERT_TRUE(font->ok()) << font->message().toStdString();
    ASSERT_FALSE(s.song->measureMap.empty());
    s.song->measureMap.front().key = 0; // C major
    const int plain = [&] {
        CTrackPropsDlg dialog(*s.song, pianoTrack(), font.get());
        return inkOf(dialog.clefPreview());
    }();
    s.song->measureMap.front().key = 2; // D major
    CTrackPropsDlg inD(*s.song, pianoTrack(), font.get());
    EXPECT_GT(inkOf(inD.clefPreview()), plain) << "two sharps drawn for D only";

    s.song->measureMap.front().key = 0;
    CTrackPropsDlg dialog(*s.song, pianoTrack(), font.get());
    EXPECT_EQ(staffLineRows(dialog.clefPreview()), 5);
    choose(dialog.clefCombo(), 2); // keyboard
    EXPECT_EQ(staffLineRows(dialog.clefPreview()), 10) << "treble and bass staves";
}

TEST_F(TrackPropsDialog, SortingByCategoryIsRemembered)
{
    writeSetting(s.fixture.profile, settings::kTrackCatSortPatches, 1);
    {
        CTrackPropsDlg dialog(*s.song, pianoTrack(), nullptr);
        EXPECT_TRUE(dialog.sortedBox()->isChecked());
        EXPECT_EQ(dialog.allPatchesCombo()->itemText(0), "DRUMSET: Power");
        EXPECT_EQ(dialog.allPatchesCombo()->currentText(), "Keys: Bright PIANO (Capital)");
        dialog.sortedBox()->setChecked(false);
        EXPECT_EQ(dialog.allPatchesCombo()->itemText(0), "Bright PIANO [Keys] (Capital)");
    }
    EXPECT_EQ(readSetting(s.fixture.profile, settings::kTrackCatSortPatches), 0);
}

TEST_F(TrackPropsDialog, WithoutADatabaseTypedNumbersStillCount)
{
    SongContext context = s.fixture.context(); // no synthesizer database
    CSongDoc song(context);
    song.InitNewSong();
    CTrackPropsDlg dialog(song, pianoTrack(), nullptr);
    showActive(dialog);
    EXPECT_EQ(dialog.bankCombo()->count(), 0);
    EXPECT_EQ(dialog.allPatchesCombo()->count(), 0);
    EXPECT_EQ(dialog.channelCombo()->currentText(), "3:  <undefined> ");
    typeInto(dialog.bankCombo()->lineEdit(), "1/1");
    typeInto(dialog.patchCombo()->lineEdit(), "10");
    EXPECT_EQ(dialog.params().bank, 129);
    EXPECT_EQ(dialog.params().patch, 9);
}

} // namespace
} // namespace rz
