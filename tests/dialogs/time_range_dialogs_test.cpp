// The time-range dialogs: what they open with, what they grey, the ticks and
// profile values they answer at OK, and the numbers they refuse.

#include "dialogs/field_values.h"
#include "dialogs/insert_time_dlg.h"
#include "dialogs/paste_dlg.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "dialogs/time_range_dlg.h"
#include "dialogs/time_range_models.h"
#include "song/clipboard.h"
#include "song/selection.h"
#include "tests/dialogs/dialog_controls.h"
#include "tests/dialogs/dialog_song.h"
#include "tests/song/clipboard_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace rz {
namespace {

TEST(TimeRangeDialogs, PercentOfAQuarterBecomesTicksAtOkAndNothingWithTheBoxOff)
{
    const struct {
        int timeBase;
        bool on;
        int32_t percent;
        int32_t ticks;
    } kCases[] = {{120, true, 50, 60}, {96, true, 25, 24}, {120, false, 50, 0}, {480, true, 1, 5}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.timeBase << " " << c.on << " " << c.percent);
        DialogSong s(c.timeBase, {{4, 4, 1}});
        MemoryProfile& profile = s.fixture.profile;
        profile.writeInt("Defaults", "OffsetTime", c.on);
        profile.writeInt("Defaults", "OffsetTimeTicks", c.percent);
        profile.writeInt("Defaults", "EventShorten", c.on);
        profile.writeInt("Defaults", "EventShortenTicks", c.percent);
        profile.writeInt("Defaults", "EventStretch", c.on);
        profile.writeInt("Defaults", "EventStretchTicks", c.percent);
        EXPECT_EQ(CopyTimeModel(*s.song, false).params().offset, c.ticks);
        const DeleteTimeParams deleted = DeleteTimeModel(*s.song).params();
        EXPECT_EQ(deleted.offset, c.ticks);
        EXPECT_EQ(deleted.shortenThreshold, c.ticks);
        const InsertTimeParams inserted = InsertTimeModel(*s.song).params();
        EXPECT_EQ(inserted.shift, c.ticks);
        EXPECT_EQ(inserted.stretchThreshold, c.ticks);
        EXPECT_EQ(PasteTimeModel(*s.song, AppClipboard{}, 0).params().offset, c.ticks);
    }
}

TEST(TimeRangeDialogs, OutOfRangeProfileValuesReadAsTheirDefaults)
{
    DialogSong s(120, {{4, 4, 1}});
    MemoryProfile& profile = s.fixture.profile;
    profile.writeInt("Defaults", "OffsetTimeTicks", 121);  // above Copy Time's 120
    profile.writeInt("Defaults", "EventStretchTicks", -3);
    profile.writeInt("Defaults", "PasteTimeCopies", 0);
    profile.writeInt("Defaults", "PasteTimeMethod", 9);
    EXPECT_EQ(CopyTimeModel(*s.song, false).offset.percent, 0);
    EXPECT_EQ(DeleteTimeModel(*s.song).offset.percent, 121) << "Delete Time takes up to 480";
    EXPECT_EQ(InsertTimeModel(*s.song).stretch.percent, 10);
    const PasteTimeModel paste(*s.song, AppClipboard{}, 0);
    EXPECT_EQ(paste.copies, 1);
    EXPECT_EQ(paste.method, PasteMethod::Insert);
}

TEST(TimeRangeDialogs, CopyTimeStartsWithAllAndNeedsAControllerViewForControllers)
{
    DialogSong s(120, {{4, 4, 1}});
    for (const bool view : {false, true}) {
        CCopyTimeDlg dialog(*s.song, view);
        EXPECT_TRUE(child<QAbstractButton>(dialog, "all1037")->isChecked());
        EXPECT_EQ(child(dialog, "controllers1040")->isEnabled(), view);
        child<QAbstractButton>(dialog, "tempos1039")->click();
        dialog.accept();
        EXPECT_EQ(dialog.params().mode, CopyTimeMode::Tempos);
    }
}

// Each end is tested against its own measure: 480 starts the 3/4 measure,
// 500 is 20 ticks into it.
TEST(TimeRangeDialogs, DeleteTimeOffABeatGreysTheBoundaryBoxesAndLeavesTheirKeys)
{
    const struct {
        int32_t from, to;
        bool onBeats;
    } kCases[] = {{0, 840, true}, {0, 500, false}, {20, 840, false}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
        DialogSong s = mixedSong();
        selectRange(*s.song, c.from, c.to);
        MemoryProfile& profile = s.fixture.profile;
        profile.writeInt("Defaults", "OffsetMeasures", 1);
        profile.writeInt("Defaults", "OffsetMNumbers", 1);
        CDeleteTimeDlg dialog(*s.song);
        auto* measures = child<QCheckBox>(dialog, "measures1113");
        auto* preserve = child<QCheckBox>(dialog, "preserve1005");
        EXPECT_EQ(measures->isEnabled(), c.onBeats);
        EXPECT_EQ(measures->isChecked(), c.onBeats);
        EXPECT_EQ(preserve->isEnabled(), c.onBeats);
        EXPECT_EQ(preserve->isChecked(), c.onBeats);
        if (c.onBeats) {
            measures->click();
            EXPECT_FALSE(preserve->isEnabled()) << "preserve follows the boundaries box";
        }
        child<QCheckBox>(dialog, "hole1116")->click();
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.params().measures);
        EXPECT_FALSE(dialog.params().preserveNumbers);
        EXPECT_EQ(profile.readInt("Defaults", "OffsetMeasures", -1), c.onBeats ? 0 : 1);
        EXPECT_EQ(profile.readInt("Defaults", "OffsetMNumbers", -1), 1);
        EXPECT_EQ(profile.readInt("Defaults", "DeleteTimeHole", -1), 0);
    }
}

TEST(TimeRangeDialogs, DeleteTimeHoleGreysTheKindsAndSelectedTracksOnly)
{
    for (const bool anySelected : {false, true}) {
        DialogSong s(120, {{4, 4, 1}});
        selectRange(*s.song, 0, 480);
        s.fixture.trackRows.selected = anySelected ? std::set<int>{1} : std::set<int>{};
        CDeleteTimeDlg dialog(*s.song);
        auto* hole = child<QCheckBox>(dialog, "hole1116");
        auto* selected = child<QCheckBox>(dialog, "selected1007");
        ASSERT_TRUE(hole->isChecked());
        EXPECT_EQ(selected->isChecked(), anySelected);
        for (const char* kind : {"cues1012", "tempos1016", "events1002"})
            EXPECT_FALSE(child(dialog, kind)->isEnabled()) << kind;
        EXPECT_FALSE(selected->isEnabled());
        hole->click();
        for (const char* kind : {"cues1012", "tempos1016", "events1002"})
            EXPECT_TRUE(child(dialog, kind)->isEnabled()) << kind;
        EXPECT_EQ(selected->isEnabled(), anySelected);
        dialog.accept();
        EXPECT_EQ(dialog.params().selectedTracksOnly, anySelected);
        EXPECT_EQ(s.fixture.profile.readInt("Defaults", "SelTracksOnly", -1), -1) << "not stored";
    }
}

TEST(TimeRangeDialogs, InsertTimeOffABeatOffersOnlyTicksOfOneQuarter)
{
    const struct {
        int32_t position;
        bool onBeat;
        InsertTimeMethod method;
        int32_t count;
        int32_t beats;     // of the measure before the current one
        int32_t beatValue; // its denominator's power
    } kCases[] = {
        {500, false, InsertTimeMethod::Ticks, 120, 4, 2},   // in 2A; the measure before is 4/4
        {840, true, InsertTimeMethod::Measures, 1, 3, 2},   // starts 3 (6/8); before it 2A in 3/4
        {1440, true, InsertTimeMethod::Measures, 1, 6, 3},  // B:2 (3/2); before it 3 in 6/8
        {0, true, InsertTimeMethod::Measures, 1, 4, 2},     // the first measure is its own "before"
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.position);
        DialogSong s = mixedSong();
        s.song->measureMap[0].key = -3;
        s.song->measureMap[1].key = 2;
        s.song->measureMap[2].key = 2;
        s.song->setPosition(c.position);
        CInsertTimeDlg dialog(*s.song);
        for (const char* other : {"measures1037", "beats1119", "ms1121"})
            EXPECT_EQ(child(dialog, other)->isEnabled(), c.onBeat) << other;
        EXPECT_EQ(dialog.countEdit()->text(), QString::number(c.count));
        dialog.accept();
        const InsertTimeParams p = dialog.params();
        EXPECT_EQ(p.method, c.method);
        EXPECT_EQ(p.count, c.count);
        EXPECT_EQ(p.numerator, c.beats);
        EXPECT_EQ(p.beatValue, c.beatValue);
        const int before = std::max(FindMeasure(s.song->measureMap, c.position) - 1, 0);
        EXPECT_EQ(p.key, s.song->measureMap[size_t(before)].key);
    }
}

TEST(TimeRangeDialogs, InsertTimeMillisecondsAndTimeCodeRoundTrip)
{
    DialogSong s(120, {{4, 4, 1}, {4, 4, 2}});
    s.song->smpteOffset = CSmpteTime::fromFields(kSmpteRate30, 1, 0, 10, 0, 0);
    s.song->setPosition(480); // 2 s into the song at 500000 µs a quarter
    const InsertTimeModel model(*s.song);
    EXPECT_DOUBLE_EQ(model.smpteFor(0), smpteTimeOfTick(*s.song, 480));
    for (const int32_t ms : {0, 1, 999, 250'000})
        EXPECT_EQ(model.countFor(model.smpteFor(ms)), ms) << ms;
    EXPECT_EQ(model.countFor(model.smpteFor(5) + 499.0), 5);
    EXPECT_EQ(model.countFor(model.smpteFor(5) + 500.0), 6);
    EXPECT_EQ(model.countFor(model.smpteFor(0) - 2'000'000.0), 0) << "a time before the position";

    CInsertTimeDlg dialog(*s.song);
    showActive(dialog);
    child<QAbstractButton>(dialog, "ms1121")->click();
    EXPECT_TRUE(dialog.smpteEdit()->isEnabled());
    typeInto(dialog.smpteEdit()->field(SmpteField::Seconds), "15"); // 3 s past the position
    EXPECT_EQ(dialog.countEdit()->text(), "3000");
    typeInto(dialog.countEdit(), "250");
    EXPECT_DOUBLE_EQ(dialog.smpteEdit()->time(), model.smpteFor(250));
    // The arrow shows the time code of the count as it stood, then steps.
    QTest::mouseClick(dialog.countEdit()->upButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.countEdit()->text(), "251");
    EXPECT_DOUBLE_EQ(dialog.smpteEdit()->time(), model.smpteFor(250));
    dialog.accept();
    EXPECT_EQ(dialog.params().method, InsertTimeMethod::Milliseconds);
    EXPECT_EQ(dialog.params().count, 251);
}

TEST(TimeRangeDialogs, PasteTimeOffersWhatTheClipboardHoldsAndMeasuresOnlyOnABeat)
{
    DialogSong s = mixedSong();
    AppClipboard board;
    board.kind = kClipboardTime;
    board.measures.resize(2);
    board.tempos.resize(1);
    board.tracks.push_back(std::make_unique<CTrack>()); // no events in it
    CPasteTimeDlg dialog(*s.song, board, 480);
    showActive(dialog);
    auto* measures = child<QCheckBox>(dialog, "measures1113");
    auto* preserve = child<QCheckBox>(dialog, "preserve1005");
    EXPECT_FALSE(child(dialog, "cues1012")->isEnabled());
    EXPECT_FALSE(child(dialog, "events1002")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>(dialog, "tempos1016")->isChecked());
    EXPECT_TRUE(measures->isEnabled());
    EXPECT_TRUE(preserve->isEnabled());

    CTimePosCtrl* first = dialog.firstCopyCtrl();
    typeInto(first->field(TimeField::Tick), "10"); // 2A:1:10
    EXPECT_FALSE(measures->isEnabled());
    EXPECT_FALSE(preserve->isEnabled());
    typeInto(first->field(TimeField::Beat), "3"); // 2A:3:000, on a beat again
    EXPECT_TRUE(measures->isEnabled());
    EXPECT_TRUE(preserve->isEnabled());
    typeInto(first->field(TimeField::Tick), "1");

    child<QAbstractButton>(dialog, "blend1038")->click();
    EXPECT_FALSE(child(dialog, "offset1111")->isEnabled());
    EXPECT_FALSE(child(dialog, "stretch1118")->isEnabled());
    EXPECT_FALSE(child(dialog, "stretch1122")->isEnabled());
    dialog.accept();
    const PasteTimeParams p = dialog.params();
    EXPECT_EQ(p.firstCopy, 721);
    EXPECT_FALSE(p.measures) << "off a beat";
    EXPECT_TRUE(p.tempos);
    EXPECT_FALSE(p.cues);
    EXPECT_FALSE(p.events);
    EXPECT_EQ(p.method, PasteMethod::Blend);
    EXPECT_EQ(p.stretchThreshold, 0);
}

TEST(TimeRangeDialogs, AnEmptyClipboardGreysEveryKindToPaste)
{
    DialogSong s = mixedSong();
    CPasteTimeDlg dialog(*s.song, AppClipboard{}, 0);
    for (const char* kind : {"cues1012", "tempos1016", "events1002", "measures1113"}) {
        EXPECT_FALSE(child(dialog, kind)->isEnabled()) << kind;
        EXPECT_FALSE(child<QCheckBox>(dialog, kind)->isChecked()) << kind;
    }
}

// Source tracks s of the copied events against the tracks n to paste to.
TEST(TimeRangeDialogs, PasteEventsTargetFollowsSourcesAndSelectedTracks)
{
    const struct {
        std::set<int> selected;
        int currentOnly; // current row in current-row mode; -1 off
        int32_t stored;
        PasteTarget target;
        bool selectedEnabled, mixdownEnabled;
    } kCases[] = {
        {{}, -1, 1, PasteTarget::SourceTracks, false, false},
        {{}, -1, 2, PasteTarget::SourceTracks, false, false},
        {{1, 2}, -1, 1, PasteTarget::SelectedTracks, true, true},
        {{1}, -1, 1, PasteTarget::Mixdown, false, true},
        {{1}, -1, 0, PasteTarget::SourceTracks, false, true},
        {{}, 2, 1, PasteTarget::Mixdown, false, true},   // one user row current
        {{}, 0, 1, PasteTarget::SourceTracks, false, false}, // the conductor row is no target
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.selected.size() << " current " << c.currentOnly << " stored "
                                        << c.stored);
        test::ClipboardFixture f;
        std::unique_ptr<CSongDoc> song = f.songAt(120, {"A", "B", "C"});
        f.trackRows.selected = c.selected;
        f.trackRows.currentOnly = c.currentOnly >= 0;
        f.trackRows.current = c.currentOnly;
        f.profile.writeInt("Defaults", "PasteEventsTracks", c.stored);
        AppClipboard board;
        board.events.resize(3);
        board.events[0].selectionStamp = 1;
        board.events[1].selectionStamp = 2;
        board.events[2].selectionStamp = 1;
        const PasteEventsModel model(*song, board, 0);
        EXPECT_EQ(model.sources(), 2);
        EXPECT_EQ(model.target, c.target);
        EXPECT_EQ(model.enabling().selectedTracks, c.selectedEnabled);
        EXPECT_EQ(model.enabling().mixdown, c.mixdownEnabled);
    }
}

TEST(TimeRangeDialogs, PasteEventsSecondCopyFollowsTheSpanOrTheRangeWhileCopiesAreTwoOrMore)
{
    DialogSong s = mixedSong();
    AppClipboard board;
    board.span = 1920 * 2; // two quarters
    {
        CPasteEventsDlg dialog(*s.song, board, 240);
        showActive(dialog);
        EXPECT_EQ(dialog.firstCopyCtrl()->tick(), 240);
        EXPECT_EQ(dialog.secondCopyCtrl()->tick(), 480);
        EXPECT_FALSE(dialog.secondCopyCtrl()->isEnabled());
        QTest::mouseClick(child<SpinEdit>(dialog, "copies1006")->upButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.secondCopyCtrl()->isEnabled());
    }
    selectRange(*s.song, 120, 1000);
    CPasteEventsDlg dialog(*s.song, board, 240);
    EXPECT_EQ(dialog.firstCopyCtrl()->tick(), 120);
    EXPECT_EQ(dialog.secondCopyCtrl()->tick(), 1000);
}

// At 144 per quarter a 100-tick copy is 1333 clipboard ticks, which come
// back as 100 ticks rounded but 99 truncated.
TEST(TimeRangeDialogs, PasteEventsProposesASecondCopyThePasteAccepts)
{
    test::ClipboardFixture f;
    std::unique_ptr<CSongDoc> song = f.songAt(144, {"A"});
    AppClipboard& board = f.clipboard();
    board.kind = kClipboardEvents;
    board.span = int32_t(toClipboardTicks(100, 144));
    board.events = {test::note(0, 60, 90, 50)};
    board.events[0].selectionStamp = 1;
    PasteEventsModel model(*song, board, 0);
    model.copies = 2;
    EXPECT_EQ(model.secondCopy, 100);
    f.dialogs.pasteEventsAnswer = model.params();
    song->OnEditPaste();
    ASSERT_EQ(song->undoList.size(), 1u) << "the paste refused the proposal";
    EXPECT_EQ(f.ticksOf(*song->tracks[1]), (std::vector<int32_t>{0, 100}));
}

// Each dialog with one number out of range, empty or not a number: the range
// message, the dialog still open and nothing written; the top of the range
// passes.
TEST(TimeRangeDialogs, NumbersOutOfRangeGetTheRangeMessageAndWriteNothing)
{
    using Make = std::function<std::unique_ptr<QDialog>(CSongDoc&)>;
    const AppClipboard board;
    const struct {
        const char* dialog;
        Make make;
        const char* field;
        int32_t high;
        int32_t low;
    } kCases[] = {
        {"copy", [](CSongDoc& s) { return std::make_unique<CCopyTimeDlg>(s, true); }, "offset1010", 120, 0},
        {"delete", [](CSongDoc& s) { return std::make_unique<CDeleteTimeDlg>(s); }, "offset1010", 480, 0},
        {"delete", [](CSongDoc& s) { return std::make_unique<CDeleteTimeDlg>(s); }, "shorten1114", 480, 0},
        {"paste time", [&](CSongDoc& s) { return std::make_unique<CPasteTimeDlg>(s, board, 0); }, "copies1006",
         256, 1},
        {"paste events", [&](CSongDoc& s) { return std::make_unique<CPasteEventsDlg>(s, board, 0); },
         "copies1006", 256, 1},
        {"insert time", [](CSongDoc& s) { return std::make_unique<CInsertTimeDlg>(s); }, "count1006", 999, 1},
        {"insert time", [](CSongDoc& s) { return std::make_unique<CInsertTimeDlg>(s); }, "beats1117", 32, 1},
        {"insert time", [](CSongDoc& s) { return std::make_unique<CInsertTimeDlg>(s); }, "offset1010", 100, 0},
        {"insert time", [](CSongDoc& s) { return std::make_unique<CInsertTimeDlg>(s); }, "stretch1011", 100, 0},
        {"paste time", [&](CSongDoc& s) { return std::make_unique<CPasteTimeDlg>(s, board, 0); }, "offset1010",
         100, 0},
        {"paste time", [&](CSongDoc& s) { return std::make_unique<CPasteTimeDlg>(s, board, 0); }, "stretch1122",
         100, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.dialog << " " << c.field);
        DialogSong s = mixedSong();
        selectRange(*s.song, 0, 480);
        ScriptedPrompt& prompt = s.fixture.prompt;
        std::unique_ptr<QDialog> dialog = c.make(*s.song);
        auto* field = child<QLineEdit>(*dialog, c.field);
        const std::string message = rangeMessage(c.low, c.high);
        const QString wrongs[] = {QString::number(c.high + 1), QString::number(c.low - 1), "", "ab"};
        for (const QString& wrong : wrongs) {
            field->setText(wrong);
            prompt.expectMessage(message);
            dialog->accept();
            EXPECT_NE(dialog->result(), QDialog::Accepted) << wrong.toStdString();
            EXPECT_TRUE(s.fixture.profile.valueNames("Defaults").empty()) << wrong.toStdString();
        }
        field->setText(QString::number(c.high));
        dialog->accept();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(s.fixture.profile.valueNames("Defaults").empty());
    }
}

// Ticks and milliseconds may run past the arrows' 999, but never to none.
TEST(TimeRangeDialogs, InsertTimeRefusesNoTicksOrMilliseconds)
{
    for (const char* method : {"ticks1120", "ms1121"}) {
        SCOPED_TRACE(method);
        DialogSong s = mixedSong();
        CInsertTimeDlg dialog(*s.song);
        child<QAbstractButton>(dialog, method)->click();
        dialog.countEdit()->setText("0");
        s.fixture.prompt.expectMessage(rangeMessage(1, kMaxDialogTick));
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        dialog.countEdit()->setText("5000");
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.params().count, 5000);
    }
}

// A greyed amount is not used, so whatever it shows does not stop OK.
TEST(TimeRangeDialogs, InsertTimeTakesAnyAmountWithItsBoxOff)
{
    DialogSong s = mixedSong();
    CInsertTimeDlg dialog(*s.song);
    child<QCheckBox>(dialog, "offset1111")->setChecked(false);
    child<QLineEdit>(dialog, "offset1010")->setText("900");
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.params().shift, 0);
}

TEST(TimeRangeDialogs, CancelWritesNothing)
{
    DialogSong s = mixedSong();
    selectRange(*s.song, 0, 480);
    const AppClipboard board;
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<CCopyTimeDlg>(*s.song, true));
    dialogs.push_back(std::make_unique<CDeleteTimeDlg>(*s.song));
    dialogs.push_back(std::make_unique<CInsertTimeDlg>(*s.song));
    dialogs.push_back(std::make_unique<CPasteTimeDlg>(*s.song, board, 0));
    dialogs.push_back(std::make_unique<CPasteEventsDlg>(*s.song, board, 0));
    for (auto& dialog : dialogs) {
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
            box->click();
        dialog->reject();
    }
    EXPECT_TRUE(s.fixture.profile.valueNames("Defaults").empty());
}

} // namespace
} // namespace rz
