// The time edits in the whole program: each command opens the program's own
// dialog over the main frame, its OK is one edit, and Undo takes it back.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "dialogs/insert_time_dlg.h"
#include "dialogs/move_dlg.h"
#include "dialogs/paste_dlg.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "dialogs/time_range_dlg.h"
#include "res/command_ids.h"
#include "song/clipboard.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/selection.h"
#include "song/track.h"
#include "tests/song/song_builder.h"
#include "ui/command_router.h"
#include "views/track/track_view.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace rz {
namespace {

class TimeRangeCommands : public AppFixture {
protected:
    // The current song at 120 per quarter in 4/4 with "Piano" (notes at
    // each measure's start, 0 .. 1440) and an empty "Bass"; the real track
    // list in its pane.
    CSongDoc& start4x4()
    {
        viewFactory.registerView(ViewKind::Track, [this](const ViewRequest& request) -> SongView* {
            return new TrackView(app->trackViewContext(), request.topLevel, request.parent);
        });
        start();
        CSongDoc& song = addSong("A");
        auto piano = std::make_unique<CTrack>();
        piano->name = "Piano";
        for (int32_t tick : {0, 480, 960, 1440})
            piano->events.push_back(test::note(tick, 60, 90, 100));
        auto bass = std::make_unique<CTrack>();
        bass->name = "Bass";
        song.tracks.insert(song.tracks.end() - 1, std::move(piano));
        song.tracks.insert(song.tracks.end() - 1, std::move(bass));
        RebuildPlayImages(song, false);
        song.UpdateSongEnd();
        song.RecalcTempoTimes();
        song.ExtendMeasureMap();
        song.RecomputeMeasureStarts();
        app->SetCurrentSong(&song);
        return song;
    }

    static void selectRange(CSongDoc& song, int32_t from, int32_t to)
    {
        ++song.selectionStamp;
        song.selectionKind = kSelectTimeRange;
        song.selectionFrom = from;
        song.selectionTo = to;
    }

    static void selectEvents(CSongDoc& song, size_t track)
    {
        ++song.selectionStamp;
        song.selectionKind = kSelectEvents;
        for (CMidiEvent& event : song.tracks[track]->events)
            event.selectionStamp = song.selectionStamp;
    }

    // Runs the command while `answer` works its dialog; false when none showed.
    template <class Dialog>
    bool runWith(CommandId id, const std::function<void(Dialog&)>& answer)
    {
        return answerModal<Dialog>([&] { app->router().execute(id); },
                                   [&](Dialog& dialog) {
                                       EXPECT_EQ(dialog.parentWidget(), app->frame());
                                       EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
                                       answer(dialog);
                                   });
    }

    static void ok(QDialog& dialog) { dialog.accept(); }

    static void typeInto(QLineEdit* field, const char* text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    template <class T = QWidget>
    static T* child(QWidget& dialog, const char* name)
    {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static std::vector<int32_t> ticksOf(const CTrack& track)
    {
        std::vector<int32_t> ticks;
        for (const CMidiEvent& e : track.events)
            ticks.push_back(e.tick);
        return ticks;
    }

    static void expectTimeRange(const CSongDoc& song, int32_t from, int32_t to)
    {
        EXPECT_EQ(song.selectionKind, kSelectTimeRange);
        EXPECT_EQ(song.selectionFrom, from);
        EXPECT_EQ(song.selectionTo, to);
    }

    // Undo of the one edit gives the song as it was.
    void expectUndoRestores(CSongDoc& song, const std::string& label, const std::string& before)
    {
        ASSERT_EQ(song.undoList.size(), 1u);
        EXPECT_EQ(song.undoList.back()->label, label);
        EXPECT_TRUE(app->router().execute(kIdEditUndo));
        EXPECT_EQ(firstDifference(before, DescribeSong(song)), "");
    }
};

// Each command with what it needs: enabled with a song, stopped and
// editing, and grey otherwise.
TEST_F(TimeRangeCommands, EachIsEnabledByItsRule)
{
    using Prepare = std::function<void(CSongDoc&, AppClipboard&)>;
    const Prepare range = [](CSongDoc& song, AppClipboard&) { selectRange(song, 0, 960); };
    const struct {
        CommandId id;
        Prepare prepare;
    } kCases[] = {
        {kIdEditCopy, range},
        {kIdEditCut, range},
        {kIdDelete, range},
        {kIdMoveEvents, range},
        {kIdSelectTime, [](CSongDoc&, AppClipboard&) {}},
        {kIdInsertTime, [](CSongDoc&, AppClipboard&) {}},
        {kIdInsertMeasureNumbers, [](CSongDoc&, AppClipboard&) {}},
        {kIdEditPaste, [](CSongDoc&, AppClipboard& board) { board.kind = kClipboardTime; }},
        {kIdEditPaste, [](CSongDoc&, AppClipboard& board) { board.kind = kClipboardEvents; }},
    };
    CSongDoc& song = start4x4();
    for (const auto& c : kCases) {
        c.prepare(song, app->files().clipboard());
        for (const TransportState state : {TransportState::Stopped, TransportState::Playing, TransportState::Paused}) {
            for (const bool performance : {false, true}) {
                for (const bool current : {false, true}) {
                    engine.state = state;
                    app->setPerformanceMode(performance);
                    app->SetCurrentSong(current ? &song : nullptr);
                    SCOPED_TRACE(testing::Message() << "command " << c.id << " state " << int(state)
                                                    << " performance " << performance << " song " << current);
                    const bool enabled = current && state == TransportState::Stopped && !performance;
                    EXPECT_EQ(app->router().update(c.id).enabled, enabled);
                    if (!enabled) {
                        EXPECT_FALSE(app->router().execute(c.id)) << "a greyed command ran";
                    }
                }
            }
        }
    }
}

TEST_F(TimeRangeCommands, CutOfTwoWholeMeasuresDeletesTheirTime)
{
    CSongDoc& song = start4x4();
    const std::string before = DescribeSong(song);
    selectRange(song, 0, 960);
    ASSERT_TRUE(runWith<CDeleteTimeDlg>(kIdEditCut, ok));
    EXPECT_EQ(ticksOf(*song.tracks[1]), (std::vector<int32_t>{0, 480}));
    EXPECT_NE(app->files().clipboard().kind & kClipboardTime, 0u) << "cut copies first";
    expectUndoRestores(song, "Delete Time", before);
}

TEST_F(TimeRangeCommands, CopyTimeThenPasteTimeInsertsTheMeasuresBack)
{
    CSongDoc& song = start4x4();
    selectRange(song, 0, 960);
    ASSERT_TRUE(runWith<CCopyTimeDlg>(kIdEditCopy, ok));
    EXPECT_EQ(app->files().clipboard().kind, kClipboardTime);
    const std::string before = DescribeSong(song);
    const size_t measures = song.measureMap.size();
    song.setPosition(0);
    selectRange(song, 480, 1440);
    ASSERT_TRUE(runWith<CPasteTimeDlg>(kIdEditPaste, [](CPasteTimeDlg& dialog) {
        EXPECT_EQ(dialog.firstCopyCtrl()->tick(), 0);
        dialog.accept();
    }));
    EXPECT_EQ(ticksOf(*song.tracks[1]), (std::vector<int32_t>{0, 480, 960, 1440, 1920, 2400}));
    EXPECT_EQ(song.measureMap.size(), measures + 2);
    expectTimeRange(song, 0, 960); // the time pasted
    expectUndoRestores(song, "Paste Time", before);
    expectTimeRange(song, 480, 1440);
}

TEST_F(TimeRangeCommands, CopiedEventsPasteToASelectedTrack)
{
    CSongDoc& song = start4x4();
    selectEvents(song, 1);
    ASSERT_TRUE(app->router().execute(kIdEditCopy));
    ASSERT_EQ(app->files().clipboard().kind, kClipboardEvents);
    const std::string before = DescribeSong(song);
    app->trackView()->SelectRow(2, true);
    song.setPosition(1920);
    ASSERT_TRUE(runWith<CPasteEventsDlg>(kIdEditPaste, [](CPasteEventsDlg& dialog) {
        auto* selected = child<QAbstractButton>(dialog, "selected1038");
        EXPECT_TRUE(selected->isEnabled());
        selected->click();
        dialog.accept();
    }));
    EXPECT_EQ(ticksOf(*song.tracks[2]), (std::vector<int32_t>{1920, 2400, 2880, 3360}));
    EXPECT_EQ(ticksOf(*song.tracks[1]), (std::vector<int32_t>{0, 480, 960, 1440}));
    expectUndoRestores(song, "Paste Events", before);
}

TEST_F(TimeRangeCommands, SelectTimeSelectsBetweenThePositionsInEitherOrder)
{
    CSongDoc& song = start4x4();
    ASSERT_TRUE(runWith<CSelectTimeDlg>(kIdSelectTime, [](CSelectTimeDlg& dialog) {
        typeInto(dialog.fromCtrl()->field(TimeField::Measure), "3");
        typeInto(dialog.throughCtrl()->field(TimeField::Measure), "1");
        dialog.accept();
    }));
    EXPECT_EQ(song.selectionKind, kSelectTimeRange);
    EXPECT_EQ(song.selectionFrom, 0);
    EXPECT_EQ(song.selectionTo, 8 * 120);
}

TEST_F(TimeRangeCommands, InsertTimeOfTwoThreeFourMeasuresLengthensTheMap)
{
    CSongDoc& song = start4x4();
    const std::string before = DescribeSong(song);
    const int32_t end = song.measureMapEnd;
    song.setPosition(0);
    selectRange(song, 480, 1440);
    ASSERT_TRUE(runWith<CInsertTimeDlg>(kIdInsertTime, [](CInsertTimeDlg& dialog) {
        typeInto(dialog.countEdit(), "2");
        typeInto(child<QLineEdit>(dialog, "beats1117"), "3");
        child<QComboBox>(dialog, "beatValue1008")->setCurrentIndex(2);
        dialog.accept();
    }));
    ASSERT_GE(song.measureMap.size(), 3u);
    EXPECT_EQ(song.measureMap[0].numerator, 3);
    EXPECT_EQ(song.measureMap[1].numerator, 3);
    EXPECT_EQ(song.measureMap[2].start, 2 * 3 * 120);
    EXPECT_EQ(song.measureMapEnd, end + 2 * 3 * 120);
    EXPECT_EQ(ticksOf(*song.tracks[1]).front(), 720);
    expectUndoRestores(song, "Insert Time", before);
    expectTimeRange(song, 480, 1440);
}

TEST_F(TimeRangeCommands, MeasureNumbersLabelTheCurrentMeasure)
{
    CSongDoc& song = start4x4();
    const std::string before = DescribeSong(song);
    song.setPosition(500);
    ASSERT_TRUE(runWith<CInsertMeasureNumbersDlg>(kIdInsertMeasureNumbers, [](CInsertMeasureNumbersDlg& dialog) {
        EXPECT_EQ(dialog.labelEdit()->text(), "2");
        dialog.labelEdit()->clear();
        QTest::keyClicks(dialog.labelEdit(), "12a");
        dialog.accept();
    }));
    EXPECT_EQ(song.measureMap[1].number, 12);
    EXPECT_EQ(song.measureMap[1].letter, 'A');
    EXPECT_EQ(song.measureMap[0].number, 1);
    expectUndoRestores(song, "Insert Measure Numbers", before);
}

TEST_F(TimeRangeCommands, MoveByOneMeasure)
{
    CSongDoc& song = start4x4();
    const std::string before = DescribeSong(song);
    selectEvents(song, 1);
    ASSERT_TRUE(runWith<CMoveDlg>(kIdMoveEvents, [](CMoveDlg& dialog) {
        child<QAbstractButton>(dialog, "offset1039")->click();
        typeInto(child<QLineEdit>(dialog, "offset1153"), "1");
        child<QComboBox>(dialog, "units1158")->setCurrentIndex(1); // "Measures"
        dialog.accept();
    }));
    EXPECT_EQ(ticksOf(*song.tracks[1]), (std::vector<int32_t>{480, 960, 1440, 1920}));
    expectUndoRestores(song, "Move events", before);
}

// The range an edit was made over stays selected, through the edit and its
// undo, though the exchanges put other events in.
TEST_F(TimeRangeCommands, MoveOverATimeRangeKeepsTheRangeThroughItsUndo)
{
    CSongDoc& song = start4x4();
    const std::string before = DescribeSong(song);
    selectRange(song, 0, 960);
    ASSERT_TRUE(runWith<CMoveDlg>(kIdMoveEvents, [](CMoveDlg& dialog) {
        child<QAbstractButton>(dialog, "offset1039")->click();
        typeInto(child<QLineEdit>(dialog, "offset1153"), "1");
        child<QComboBox>(dialog, "units1158")->setCurrentIndex(1); // "Measures"
        dialog.accept();
    }));
    EXPECT_EQ(ticksOf(*song.tracks[1]), (std::vector<int32_t>{480, 960, 960, 1440}));
    expectTimeRange(song, 0, 960);
    expectUndoRestores(song, "Move events", before);
    expectTimeRange(song, 0, 960);
}

} // namespace
} // namespace rz
