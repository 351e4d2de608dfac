#include "views/events/event_view.h"

#include "res/command_ids.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "ui/command_router.h"
#include "ui/in_place_edit.h"
#include "ui/key_filter.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace rz {
namespace {

namespace col = event_column;
using test::controller;
using test::note;

// Two shown tracks of a 4/4 song: a note, a controller and a second note on
// track 1, a note on track 2, at ticks 0, 120, 240 and 480.
class EventViewWidget : public testing::Test {
protected:
    EventViewWidget()
    {
        savedWidths = EventView::columnWidths();
        SongContext context = fixture.context();
        context.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(context);
        song->InitNewSong();
        test::addUserTrack(*song).events = {note(0, 60, 100, 60), controller(120, 7, 90), note(240, 64, 80, 60)};
        test::addUserTrack(*song).events = {note(480, 67, 70, 60)};
        song->endTick = 8 * 480;
        ExtendMeasureMap(song->measureMap, song->endTick);
        fixture.trackRows.selected = {1, 2};
        view = std::make_unique<EventView>(&keys);
        view->resize(700, 300);
        view->attach(*song);
        view->initialUpdate();
        view->show();
        view->activateWindow();
        view->table().setFocus();
        QApplication::processEvents();
    }
    ~EventViewWidget() override
    {
        view.reset();
        EventView::columnWidths() = savedWidths;
    }

    QPoint cellCentre(int row, int column) const
    {
        const QTableView& t = view->table();
        return t.visualRect(t.model()->index(row, column)).center();
    }
    void clickCell(int row, int column)
    {
        QTest::mouseClick(view->table().viewport(), Qt::LeftButton, {}, cellCentre(row, column));
    }
    QTableView& table() { return view->table(); }
    CTrack& track(int row) { return *song->tracks[size_t(row)]; }

    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    CommandRouter router;
    KeyFilter keys{router};
    std::unique_ptr<CSongDoc> song;
    std::unique_ptr<EventView> view;
    EventView::ColumnWidths savedWidths{};
};

TEST_F(EventViewWidget, TypingInANotesNumberCellOpensTheEditorHoldingTheKey)
{
    ASSERT_EQ(view->rows().size(), 4);
    clickCell(0, col::kNumber);
    ASSERT_EQ(view->currentColumn(), col::kNumber);
    QTest::keyClick(&table(), Qt::Key_6);
    ASSERT_TRUE(view->editing());
    EXPECT_TRUE(view->editor().isVisible());
    EXPECT_EQ(view->editor().text(), "6");
    EXPECT_TRUE(keys.inPlaceEditOpen()) << "accelerators are off while it is open";
}

TEST_F(EventViewWidget, EnterMakesOneEventPropertiesStepAndEscapeNone)
{
    clickCell(0, col::kNumber);
    QTest::keyClick(&table(), Qt::Key_6);
    QTest::keyClick(&view->editor(), Qt::Key_1);
    QTest::keyClick(&view->editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(view->editing());
    EXPECT_FALSE(keys.inPlaceEditOpen());
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->GetUndoRecord()->label, "Event Properties");
    EXPECT_EQ(track(1).events[0].data1(), 61);
    EXPECT_EQ(view->playRow(), 0) << "the cursor stays on the edited event";

    clickCell(0, col::kValue);
    QTest::keyClick(&table(), Qt::Key_5);
    ASSERT_TRUE(view->editing());
    QTest::keyClick(&view->editor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(view->editing());
    EXPECT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(track(1).events[0].data2(), 100);
}

// A note name typed into the velocity cell: the note keeps its velocity (it
// would sound silent at 0), nothing is recorded and the status line says why.
TEST_F(EventViewWidget, TextACellCannotReadLeavesTheValueAndSaysSo)
{
    clickCell(0, col::kValue);
    QTest::keyClicks(&table(), "c");
    ASSERT_TRUE(view->editing());
    QTest::keyClicks(&view->editor(), "#5");
    QTest::keyClick(&view->editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(view->editing());
    EXPECT_EQ(track(1).events[0].data2(), 100);
    EXPECT_TRUE(song->undoList.empty());
    const auto& calls = fixture.host.log.calls();
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const std::string& call) {
        return call.starts_with("SetStatusText(") && call.find("c#5") != std::string::npos;
    }));
    EXPECT_EQ(view->currentColumn(), col::kValue);
}

TEST_F(EventViewWidget, GoToOpensTheEditorOnTheCellsText)
{
    clickCell(2, col::kValue);
    CmdUi ui;
    ASSERT_TRUE(view->update(kIdGoToItem, ui));
    EXPECT_TRUE(ui.enabled);
    ASSERT_TRUE(view->handle(kIdGoToItem));
    ASSERT_TRUE(view->editing());
    EXPECT_EQ(view->editor().text(), "80");
    EXPECT_EQ(view->editor().selectedText(), "80");
}

TEST_F(EventViewWidget, FollowMovesTheFocusRowBothWays)
{
    song->setPosition(300);
    view->follow();
    EXPECT_EQ(view->playRow(), 3);
    EXPECT_EQ(table().currentIndex().row(), 3);
    song->setPosition(100);
    view->follow();
    EXPECT_EQ(view->playRow(), 1);
    EXPECT_EQ(table().currentIndex().row(), 1);
}

TEST_F(EventViewWidget, NoCellIsEditableWhilePlayingOrPerforming)
{
    clickCell(0, col::kNumber);
    for (int run = 0; run < 2; ++run) {
        fixture.engine.state = run == 0 ? TransportState::Playing : TransportState::Stopped;
        fixture.host.performance = run == 1;
        for (int column = col::kTrack; column < col::kCount; ++column)
            EXPECT_FALSE(view->canEditCell(0, column)) << run << " " << column;
        QTest::keyClick(&table(), Qt::Key_6);
        EXPECT_FALSE(view->editing()) << run;
    }
}

TEST_F(EventViewWidget, ATwentyCharacterColumnWidthSetsEightColumns)
{
    EventView::readColumnWidths(std::string(20, 'A'));
    for (int width : EventView::columnWidths())
        EXPECT_EQ(width, 2 * 'A');
    EXPECT_EQ(EventView::columnWidthsText(), std::string(8, 'A'));
    EventView::readColumnWidths(std::string(1, char(-5)));
    EXPECT_EQ(EventView::columnWidths()[0], 2) << "at least 2";
}

TEST_F(EventViewWidget, RowSelectionBecomesTheSongsEventSelection)
{
    QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, cellCentre(1, col::kSwatch));
    QTest::mouseClick(table().viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(2, col::kSwatch));
    EXPECT_EQ(song->selectionKind, kSelectEvents);
    EXPECT_EQ(song->selectionFrom, 120);
    EXPECT_EQ(song->selectionTo, 240);
    EXPECT_EQ(track(1).events[1].selectionStamp, song->selectionStamp);
    EXPECT_NE(track(1).events[0].selectionStamp, song->selectionStamp);
    EXPECT_EQ(song->position(), 240) << "a click locates to the focus row";

    QTest::keyClick(&table(), Qt::Key_Tab);
    EXPECT_EQ(song->selectionKind, 0u) << "cell mode clears the rows";
    EXPECT_NE(track(1).events[1].selectionStamp, song->selectionStamp);
}

TEST_F(EventViewWidget, TabAndArrowsMoveTheCellCursor)
{
    clickCell(1, col::kTick);
    QTest::keyClick(&table(), Qt::Key_Tab);
    EXPECT_EQ(view->currentColumn(), col::kSmpte);
    QTest::keyClick(&table(), Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(&table(), Qt::Key_Left);
    EXPECT_EQ(view->currentColumn(), col::kTrack);
    QTest::keyClick(&table(), Qt::Key_Down);
    EXPECT_EQ(view->playRow(), 2);
    EXPECT_TRUE(table().selectionModel()->selectedRows().isEmpty()) << "cell mode selects no rows";
    QTest::keyClick(&table(), Qt::Key_Left);
    EXPECT_EQ(view->currentColumn(), 0);
    EXPECT_TRUE(table().selectionModel()->isRowSelected(2, {}));
}

} // namespace
} // namespace rz
