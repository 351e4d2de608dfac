// The event transform dialogs: the values they hand the song's edits, the
// ranges their fields keep, what they grey and what they refuse.

#include "dialogs/insert_cc_dlg.h"
#include "dialogs/note_value_box.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "dialogs/transform_dlg.h"
#include "dialogs/transform_models.h"
#include "song/edit_transforms.h"
#include "song/selection.h"
#include "tests/dialogs/dialog_controls.h"
#include "tests/dialogs/dialog_song.h"
#include "tests/song/clipboard_fixture.h"
#include "tests/support/fake_synth_lookup.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace rz {
namespace {

QAbstractButton* okOf(QDialog& dialog)
{
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

TEST(TransformDialogs, QuantizeRowsGiveTheirGridThroughTheEdit)
{
    const struct {
        int timeBase;
        int row;
        int32_t grid;
        int32_t noteAt;
        int32_t snapped;
    } kCases[] = {{96, 10, 32, 40, 32}, {120, 9, 45, 50, 45}, {120, 8, 60, 50, 60}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.timeBase << " row " << c.row);
        test::ClipboardFixture f;
        std::unique_ptr<CSongDoc> song = f.songAt(uint16_t(c.timeBase), {"A"});
        song->tracks[1]->events = {test::note(c.noteAt, 60, 90, c.timeBase)};
        test::ClipboardFixture::settle(*song);
        test::ClipboardFixture::selectRange(*song, 0, 4 * c.timeBase);
        CQuantizeDlg dialog(*song);
        dialog.resolutionBox()->setCurrentIndex(c.row);
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.params().resolution, c.row);
        EXPECT_EQ(quantizeGrid(dialog.params(), c.timeBase).grid, c.grid);
        f.dialogs.quantizeAnswer = dialog.params();
        song->OnEditQuantize();
        EXPECT_EQ(song->tracks[1]->events.at(0).tick, c.snapped);
        EXPECT_EQ(f.profile.readInt("Defaults", "QuantizeResolution", -1), c.row);
    }
}

TEST(TransformDialogs, GridOffsetStopsAtHalfAQuarterAtAnyTimeBase)
{
    for (const int timeBase : {24, 960, 3}) {
        SCOPED_TRACE(timeBase);
        DialogSong s(timeBase, {{4, 4, 1}});
        s.fixture.profile.writeInt("Defaults", "QuantizeGridOffset", 48);
        CQuantizeDlg dialog(*s.song);
        SpinEdit* grid = dialog.gridOffsetEdit();
        for (int i = 0; i < 5; ++i)
            grid->upButton()->click();
        EXPECT_EQ(grid->text(), "50");
        grid->setText("-48");
        for (int i = 0; i < 5; ++i)
            grid->downButton()->click();
        EXPECT_EQ(grid->text(), "-50");
        grid->setText("-240");
        s.fixture.prompt.expectMessage(rangeMessage(-50, 50));
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << "a grid offset beyond its range is refused";
        grid->setText("-50");
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.params().gridOffset, percentToTicks(timeBase, -50));
        EXPECT_EQ(s.fixture.profile.readInt("Defaults", "QuantizeGridOffset", 0), -50);
    }
}

TEST(TransformDialogs, PercentAndTicksFollowEachOther)
{
    DialogSong s(480, {{4, 4, 1}});
    s.fixture.profile.writeInt("Defaults", "RandomTime", 50);
    s.fixture.profile.writeInt("Defaults", "ThinTime", 10);
    CRandomizeDlg randomize(*s.song);
    CThinDlg thin(*s.song);
    EXPECT_EQ(child<QLineEdit>(randomize, "ticks1013")->text(), "240") << "worked out once at opening";
    EXPECT_EQ(child<QLineEdit>(thin, "ticks1013")->text(), "48");
    for (QDialog* dialog : std::initializer_list<QDialog*>{&randomize, &thin}) {
        showActive(*dialog);
        auto* percent = child<QLineEdit>(*dialog, "percent1011");
        auto* ticks = child<QLineEdit>(*dialog, "ticks1013");
        typeInto(percent, "25");
        EXPECT_EQ(ticks->text(), "120");
        typeInto(ticks, "100");
        EXPECT_EQ(percent->text(), "20");
        dialog->hide();
    }
    randomize.accept();
    EXPECT_EQ(randomize.params().timeAmount, 100) << "the spread is the ticks field";
    thin.accept();
    EXPECT_EQ(thin.params().gap, 100);
}

// A spread, gap or change beyond its field's range is refused with the range
// message and writes nothing; the highest in range is taken.
TEST(TransformDialogs, AmountsOutOfRangeGetTheRangeMessage)
{
    using Make = std::function<std::unique_ptr<QDialog>(CSongDoc&)>;
    const Make randomize = [](CSongDoc& s) { return std::make_unique<CRandomizeDlg>(s); };
    const Make thin = [](CSongDoc& s) { return std::make_unique<CThinDlg>(s); };
    const struct {
        const char* dialog;
        Make make;
        const char* field;
        int32_t low;
        int32_t high;
    } kCases[] = {
        {"randomize", randomize, "percent1011", 0, 100}, {"randomize", randomize, "ticks1013", 0, 480},
        {"randomize", randomize, "value1012", 0, 999},   {"thin", thin, "percent1011", 0, 100},
        {"thin", thin, "ticks1013", 0, 480},             {"thin", thin, "value1012", 0, 999},
        {"quantize", [](CSongDoc& s) { return std::make_unique<CQuantizeDlg>(s); }, "grid1151", -50, 50},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.dialog << " " << c.field);
        DialogSong s(480, {{4, 4, 1}});
        std::unique_ptr<QDialog> dialog = c.make(*s.song);
        auto* field = child<QLineEdit>(*dialog, c.field);
        for (const int32_t wrong : {c.high + 1, c.low - 1}) {
            field->setText(QString::number(wrong));
            s.fixture.prompt.expectMessage(rangeMessage(c.low, c.high));
            dialog->accept();
            EXPECT_NE(dialog->result(), QDialog::Accepted) << wrong;
            EXPECT_TRUE(s.fixture.profile.valueNames("Defaults").empty()) << wrong;
        }
        field->setText(QString::number(c.high));
        dialog->accept();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
}

// Randomize at 500 % would have moved notes by five quarters; only the
// spread shown reaches the song.
TEST(TransformDialogs, RandomizeMovesNotesByNoMoreThanItsField)
{
    test::ClipboardFixture f;
    std::unique_ptr<CSongDoc> song = f.songAt(480, {"A"});
    for (int i = 0; i < 16; ++i)
        song->tracks[1]->events.push_back(test::note(4 * 480 + i * 10, 60, 90, 10));
    test::ClipboardFixture::settle(*song);
    test::ClipboardFixture::selectRange(*song, 0, 16 * 480);
    CRandomizeDlg dialog(*song);
    child<QCheckBox>(dialog, "velocity1374")->setChecked(false);
    auto* percent = child<QLineEdit>(dialog, "percent1011");
    showActive(dialog);
    typeInto(percent, "500");
    f.prompt.expectMessage(rangeMessage(0, 100));
    dialog.accept();
    ASSERT_NE(dialog.result(), QDialog::Accepted);
    typeInto(percent, "100");
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    f.dialogs.randomizeAnswer = dialog.params();
    song->OnEditRandomize();
    for (const CMidiEvent& e : song->tracks[1]->events)
        EXPECT_LE(std::abs(e.tick - 4 * 480), 480 + 150);
}

TEST(TransformDialogs, RandomizeAndThinNeedOneOfTheirBoxes)
{
    DialogSong s(120, {{4, 4, 1}});
    CRandomizeDlg randomize(*s.song);
    CThinDlg thin(*s.song);
    const struct {
        QDialog* dialog;
        const char* time;
        const char* value;
    } kCases[] = {{&randomize, "time1002", "velocity1374"}, {&thin, "time1002", "value1374"}};
    for (const auto& c : kCases) {
        auto* time = child<QCheckBox>(*c.dialog, c.time);
        auto* value = child<QCheckBox>(*c.dialog, c.value);
        ASSERT_TRUE(time->isChecked() && value->isChecked());
        time->click();
        EXPECT_TRUE(okOf(*c.dialog)->isEnabled());
        value->click();
        EXPECT_FALSE(okOf(*c.dialog)->isEnabled());
        c.dialog->accept();
        EXPECT_NE(c.dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(child<QLineEdit>(*c.dialog, "ticks1013")->isEnabled());
        value->click();
        EXPECT_TRUE(okOf(*c.dialog)->isEnabled());
    }
}

// A ramp thinned by value keeps its first value and every value far enough
// from the last one kept before it.
TEST(TransformDialogs, ThinKeepsTheFirstValueOfARamp)
{
    const struct {
        const char* change;
        std::vector<int> kept;
    } kCases[] = {{"15", {0, 20, 40, 60}}, {"25", {0, 30, 60}}, {"0", {0, 10, 20, 30, 40, 50, 60, 70}}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.change);
        test::ClipboardFixture f;
        std::unique_ptr<CSongDoc> song = f.songAt(480, {"A"});
        for (int i = 0; i < 8; ++i)
            song->tracks[1]->events.push_back(test::controller(i * 4 * 480, 1, uint8_t(i * 10)));
        test::ClipboardFixture::settle(*song);
        test::ClipboardFixture::selectRange(*song, 0, 32 * 480);
        f.profile.writeInt("Defaults", "ThinCC", 1);
        CThinDlg dialog(*song);
        child<QCheckBox>(dialog, "time1002")->setChecked(false);
        child<QLineEdit>(dialog, "value1012")->setText(c.change);
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_EQ(dialog.params().controller, 1);
        f.dialogs.thinAnswer = dialog.params();
        song->OnEditThin();
        std::vector<int> kept;
        for (const CMidiEvent& e : song->tracks[1]->events)
            kept.push_back(e.data2());
        EXPECT_EQ(kept, c.kept);
    }
}

TEST(TransformDialogs, ThinListsTheStandardControllersThenTheKinds)
{
    DialogSong s(120, {{4, 4, 1}});
    s.fixture.profile.writeInt("Defaults", "ThinCC", 160);
    CThinDlg thin(*s.song);
    QComboBox* box = thin.controllerBox();
    for (const int data : {176, 160, 224, 208, 7, 11})
        EXPECT_GE(box->findData(data), 0) << data;
    for (const int data : {0, 6, 32, 38, 98, 99, 100, 101, 127})
        EXPECT_LT(box->findData(data), 0) << data;
    EXPECT_EQ(box->currentData().toInt(), 160);
    box->setCurrentIndex(box->findData(224));
    thin.accept();
    EXPECT_EQ(thin.params().controller, kThinPitch);
    EXPECT_EQ(s.fixture.profile.readInt("Defaults", "ThinCC", 0), 224);
}

TEST(TransformDialogs, VelocityValuesFollowTheirMethod)
{
    DialogSong s(120, {{4, 4, 1}});
    s.fixture.profile.writeInt("Defaults", "VelocityMethod", 1);
    s.fixture.profile.writeInt("Defaults", "VelocityValue", 150);
    s.fixture.profile.writeInt("Defaults", "VelocityValue2", -20);
    CVelocityDlg dialog(*s.song, 480);
    auto* value = child<QLineEdit>(dialog, "value1052");
    auto* value2 = child<QLineEdit>(dialog, "value1053");
    EXPECT_EQ(value->text(), "150");
    EXPECT_EQ(value2->text(), "1") << "held in 1..1000 at opening";
    EXPECT_FALSE(child(dialog, "strength1147")->isEnabled());
    child<QAbstractButton>(dialog, "absolute1037")->click();
    EXPECT_EQ(value->text(), "127");
    EXPECT_TRUE(child(dialog, "strength1147")->isEnabled());
    value->setText("-100");
    child<QAbstractButton>(dialog, "offsets1039")->click();
    EXPECT_EQ(value->text(), "-100");
    child<QAbstractButton>(dialog, "percent1038")->click();
    EXPECT_EQ(value->text(), "1");
    EXPECT_TRUE(child(dialog, "through1007")->isEnabled());

    CVelocityDlg still(*s.song, 0);
    auto* through = child<QCheckBox>(still, "through1007");
    EXPECT_FALSE(through->isEnabled()) << "a ramp needs a span";
    through->setChecked(true);
    EXPECT_FALSE(child(still, "value1053")->isEnabled());
    still.accept();
    EXPECT_FALSE(still.params().through);
}

TEST(TransformDialogs, DisabledSelectedTracksOnlyAnswersFalse)
{
    DialogSong s(120, {{4, 4, 1}, {4, 4, 2}});
    s.song->tracks.insert(s.song->tracks.end() - 1, std::make_unique<CTrack>());
    s.fixture.profile.writeInt("Defaults", "SelTracksOnly", 1);
    selectRange(*s.song, 0, 480);
    {
        CNoteDurationsDlg dialog(*s.song);
        auto* box = child<QCheckBox>(dialog, "selected1310");
        EXPECT_TRUE(box->isChecked());
        EXPECT_FALSE(box->isEnabled()) << "no track selected";
        dialog.accept();
        EXPECT_FALSE(dialog.params().selectedTracksOnly);
    }
    s.fixture.trackRows.selected = {1};
    s.fixture.trackRows.current = 1;
    {
        CQuantizeDlg dialog(*s.song);
        EXPECT_TRUE(child(dialog, "selected1310")->isEnabled());
        dialog.accept();
        EXPECT_TRUE(dialog.params().selectedTracksOnly);
    }
    s.song->selectionKind = kSelectEvents;
    {
        CVelocityDlg dialog(*s.song, 10);
        EXPECT_FALSE(child(dialog, "selected1310")->isEnabled()) << "only for a time range";
        EXPECT_FALSE(child(dialog, "offset1111")->isEnabled());
        dialog.accept();
        EXPECT_FALSE(dialog.params().selectedTracksOnly);
        EXPECT_EQ(dialog.params().offset, 0);
    }
}

TEST(TransformDialogs, TransposeRefusesHalfStepsBeyondFiveOctaves)
{
    DialogSong s(120, {{4, 4, 1}});
    CTransposeDlg dialog(*s.song);
    EXPECT_FALSE(child(dialog, "keys1145")->isEnabled()) << "without a time range";
    EXPECT_FALSE(child(dialog, "drums1001")->isEnabled());
    dialog.halfStepsEdit()->setText("61");
    s.fixture.prompt.expectMessage("between -60 and 60");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.halfStepsEdit()->setText("-60");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.params().halfSteps, -60);
}

TEST(TransformDialogs, DurationsKeepTheTextAndRangeTheSpinByMethod)
{
    DialogSong s(480, {{4, 4, 1}});
    CNoteDurationsDlg dialog(*s.song);
    auto* value = child<SpinEdit>(dialog, "value1052");
    EXPECT_EQ(value->text(), "1");
    auto* units = child<QComboBox>(dialog, "units1158");
    EXPECT_FALSE(units->isEnabled());
    const struct {
        const char* method;
        std::pair<int32_t, int32_t> range;
    } kCases[] = {{"offset1039", {-15360, 15360}},
                  {"percent1038", {1, 1000}},
                  {"legato1041", {1, 480}},
                  {"absolute1040", {1, 3840}}};
    for (const auto& c : kCases) {
        child<QAbstractButton>(dialog, c.method)->click();
        EXPECT_EQ(dialog.valueRange(), c.range) << c.method;
        value->setText(QString::number(c.range.second));
        value->upButton()->click();
        EXPECT_EQ(value->text(), QString::number(c.range.second)) << c.method;
    }
    EXPECT_TRUE(units->isEnabled());
    units->setCurrentIndex(8);
    value->setText("1.5");
    dialog.accept();
    EXPECT_EQ(dialog.params().value, "1.5");
    EXPECT_EQ(dialog.params().method, DurationMethod::Absolute);
    EXPECT_EQ(dialog.params().units, 8);
    EXPECT_EQ(s.fixture.profile.readString("Defaults", "DurationValue", ""), "1.5");
}

// A duration value that does not start with a number is refused; one that
// changes no note leaves no undo step and no modified mark.
TEST(TransformDialogs, DurationsRefuseAValueWithoutANumberAndChangeNothingSilently)
{
    test::ClipboardFixture f;
    std::unique_ptr<CSongDoc> song = f.songAt(480, {"A"});
    song->tracks[1]->events = {test::note(0, 60, 90, 240), test::note(480, 62, 90, 240)};
    test::ClipboardFixture::settle(*song);
    test::ClipboardFixture::selectRange(*song, 0, 4 * 480);
    song->SetModifiedFlag(false);
    f.profile.writeInt("Defaults", "DurationMethod", 0);
    CNoteDurationsDlg dialog(*song);
    auto* value = child<QLineEdit>(dialog, "value1052");
    for (const char* text : {"", "   ", "abc", "-"}) {
        value->setText(text);
        f.prompt.expectMessage(rangeMessage(-15360, 15360));
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << '"' << text << '"';
    }
    value->setText("0");
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    f.dialogs.durationAnswer = dialog.params();
    song->OnEditDuration();
    EXPECT_TRUE(song->undoList.empty()) << "an offset of 0 changes no note";
    EXPECT_FALSE(song->IsModified());
    f.dialogs.durationAnswer->value = "-30";
    song->OnEditDuration();
    EXPECT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->tracks[1]->events.at(0).value2, 210);
}

// ---- the controller series

struct SeriesSong {
    DialogSong s{120, {{4, 4, 1}, {4, 4, 2}, {4, 4, 3}, {4, 4, 4}}};
    FakeSynthLookup synths;
    std::unique_ptr<CSongDoc> song;

    SeriesSong()
    {
        SongContext c = s.fixture.context();
        c.synths = &synths;
        song = std::make_unique<CSongDoc>(c);
        song->InitNewSong();
        song->measureMap = s.song->measureMap;
        song->measureMapEnd = s.song->measureMapEnd;
        auto track = std::make_unique<CTrack>();
        track->synth = 3;
        song->tracks.insert(song->tracks.end() - 1, std::move(track));
    }
};

TEST(TransformDialogs, SeriesWithEqualTimesKeepsOneValue)
{
    SeriesSong s;
    s.song->setPosition(480);
    CInsertCCDlg dialog(*s.song);
    showActive(dialog);
    EXPECT_EQ(dialog.timeCtrl()->tick(), 480);
    EXPECT_EQ(dialog.throughCtrl()->tick(), 480);
    EXPECT_FALSE(dialog.lastValueEdit()->isEnabled());
    EXPECT_FALSE(dialog.returnBox()->isEnabled());
    typeInto(dialog.firstValueEdit(), "64");
    EXPECT_EQ(dialog.lastValueEdit()->text(), "64");
    dialog.accept();
    EXPECT_EQ(dialog.params().value2, 64);
    EXPECT_FALSE(dialog.params().returnToOriginal);
}

TEST(TransformDialogs, SeriesValuesAreHeldInTheKindsRange)
{
    SeriesSong s;
    selectRange(*s.song, 0, 960);
    CInsertCCDlg dialog(*s.song);
    showActive(dialog);
    EXPECT_TRUE(dialog.lastValueEdit()->isEnabled());
    EXPECT_TRUE(dialog.returnBox()->isEnabled());
    QComboBox* box = dialog.controllerBox();
    EXPECT_EQ(box->currentData().toInt(), 11) << "\"InsertCC\" defaults to expression";
    box->setCurrentIndex(box->findData(kSeriesPitchBend));
    typeInto(dialog.firstValueEdit(), "-8192");
    EXPECT_EQ(dialog.firstValueEdit()->text(), "-8192");
    typeInto(dialog.lastValueEdit(), "9000");
    EXPECT_EQ(dialog.lastValueEdit()->text(), "8191");
    box->setCurrentIndex(box->findData(7));
    EXPECT_EQ(dialog.firstValueEdit()->text(), "0") << "clamped on a kind change";
    EXPECT_EQ(dialog.lastValueEdit()->text(), "127");
    typeInto(dialog.firstValueEdit(), "-5");
    EXPECT_EQ(dialog.firstValueEdit()->text(), "0");
    typeInto(dialog.firstValueEdit(), "200");
    EXPECT_EQ(dialog.firstValueEdit()->text(), "127");
    dialog.firstValueEdit()->upButton()->click();
    EXPECT_EQ(dialog.firstValueEdit()->text(), "127");
    dialog.accept();
    EXPECT_EQ(dialog.params().controller, 7);
    EXPECT_EQ(s.s.fixture.profile.readInt("Defaults", "InsertCC", 0), 7);

    CInsertCCDlg pitch(*s.song);
    pitch.controllerBox()->setCurrentIndex(pitch.controllerBox()->findData(kSeriesPitchBend));
    pitch.firstValueEdit()->setText("-8192");
    pitch.accept();
    EXPECT_EQ(pitch.params().controller, kSeriesPitchBend);
    EXPECT_EQ(pitch.params().value1, -8192);
}

TEST(TransformDialogs, SeriesSwapsAReversedRangeWithItsValues)
{
    SeriesSong s;
    selectRange(*s.song, 480, 1440);
    CInsertCCDlg dialog(*s.song);
    dialog.firstValueEdit()->setText("10");
    dialog.lastValueEdit()->setText("100");
    dialog.throughCtrl()->setTick(240);
    dialog.accept();
    const ControllerSeriesParams p = dialog.params();
    EXPECT_EQ(p.from, 240);
    EXPECT_EQ(p.through, 480);
    EXPECT_EQ(p.value1, 100);
    EXPECT_EQ(p.value2, 10);
}

TEST(TransformDialogs, SeriesEndsFollowEachOther)
{
    SeriesSong s;
    selectRange(*s.song, 480, 960);
    CInsertCCDlg dialog(*s.song);
    showActive(dialog);
    typeInto(dialog.timeCtrl()->field(TimeField::Measure), "4");
    EXPECT_EQ(dialog.throughCtrl()->tick(), 1440);
    typeInto(dialog.throughCtrl()->field(TimeField::Measure), "1");
    EXPECT_EQ(dialog.timeCtrl()->tick(), 0);
}

TEST(TransformDialogs, SeriesOffersTheSynthsControllersOfTheTrackInQuestion)
{
    SeriesSong s;
    s.synths.ccNames[{3, 74}] = "  Cutoff";
    s.synths.ccNames[{3, 127}] = "Poly";
    {
        CInsertCCDlg dialog(*s.song);
        EXPECT_LT(dialog.controllerBox()->findText("Cutoff (74)"), 0) << "no track chosen: the built-in list";
        EXPECT_GE(dialog.controllerBox()->findData(7), 0);
    }
    s.s.fixture.trackRows.selected = {1};
    CInsertCCDlg dialog(*s.song);
    QComboBox* box = dialog.controllerBox();
    ASSERT_EQ(box->count(), 4);
    EXPECT_EQ(box->itemText(box->findData(74)), "Cutoff (74)");
    EXPECT_GE(box->findData(127), 0);
    EXPECT_GE(box->findData(kSeriesPitchBend), 0);
    EXPECT_GE(box->findData(kSeriesChannelPressure), 0);
}

TEST(TransformDialogs, LinkedFieldsNeverDivideByZero)
{
    EXPECT_EQ(ticksOfPercent(3, 50), 1);
    EXPECT_EQ(percentOfTicks(3, 2), 66);
    EXPECT_EQ(percentOfTicks(0, 5), 500);
}

} // namespace
} // namespace rz
