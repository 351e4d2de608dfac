#include "views/track/track_view.h"

#include "res/command_ids.h"
#include "song/undo_record.h"
#include "ui/bitmap_catalog.h"
#include "ui/command_router.h"
#include "ui/in_place_edit.h"
#include "ui/key_filter.h"
#include "ui/track_check_images.h"
#include "views/track/track_edit_copy.h"
#include "tests/views/track/track_view_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace rz::test {
namespace {

// A shown track list over a song of `userTracks` tracks with scripted dialogs.
class TrackViewEdit : public testing::Test {
protected:
    explicit TrackViewEdit(int userTracks = 5, QSize size = {900, 400})
    {
        fixture.host.workFolderPath = work.path();
        TrackViewContext context;
        context.profile = &fixture.profile;
        context.host = &fixture.host;
        context.keys = &keys;
        context.router = &router;
        view = std::make_unique<TrackView>(context, false);
        SongContext songContext = fixture.context();
        songContext.trackRows = view.get();
        songContext.editDialogs = &dialogs;
        song = std::make_unique<CSongDoc>(songContext);
        song->InitNewSong();
        for (int i = 1; i <= userTracks; ++i)
            addUserTrack(*song).name = "T" + std::to_string(i);
        view->resize(size);
        view->attach(*song);
        view->initialUpdate();
        view->show();
        view->activateWindow();
        view->setFocus();
        QApplication::processEvents();
    }

    int positionOf(int column) const { return view->columns().positionOf(column); }
    QPoint numberCentre(int row) const
    {
        return QPoint(view->rowLayout().numberWidth / 2, view->cellRect(row, 0).center().y());
    }
    CTrack& track(int row) { return *song->tracks[size_t(row)]; }
    bool enabled(CommandId id)
    {
        CmdUi ui;
        return view->update(id, ui) && ui.enabled;
    }
    void cellMode(int row, int column) { view->selection().pressCell(row, positionOf(column)); }

    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    TempDir work;
    CommandRouter router;
    KeyFilter keys{router};
    std::unique_ptr<TrackView> view;
    std::unique_ptr<CSongDoc> song;
};

TEST_F(TrackViewEdit, ASelectedRowDraggedPastHalfARowMovesOnRelease)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, numberCentre(2));
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::ControlModifier, numberCentre(4));
    const int half = view->rowLayout().rowHeight / 2;
    QTest::mousePress(view.get(), Qt::LeftButton, {}, numberCentre(2));
    QTest::mouseMove(view.get(), numberCentre(2) - QPoint(0, half));
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"T1", "T2", "T3", "T4", "T5"})) << "not yet a drag";
    QTest::mouseMove(view.get(), numberCentre(1));
    EXPECT_EQ(view->currentRow(), 1);
    const size_t steps = song->undoList.size();
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, numberCentre(1));
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"T2", "T4", "T1", "T3", "T5"}));
    ASSERT_EQ(song->undoList.size(), steps + 1);
    EXPECT_EQ(song->undoList.back()->label, "Drag Tracks");
    EXPECT_FALSE(view->rowScrollActive());
}

TEST_F(TrackViewEdit, SortingAndDraggingAreRefusedWhileTheTransportPlays)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, numberCentre(3));
    fixture.engine.state = TransportState::Playing;
    QTest::mousePress(view.get(), Qt::LeftButton, {}, numberCentre(3));
    QTest::mouseMove(view.get(), numberCentre(1));
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, numberCentre(1));
    EXPECT_FALSE(view->sortByColumn(kColumnTrack));
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"T1", "T2", "T3", "T4", "T5"}));
    EXPECT_TRUE(song->undoList.empty());
}

// Forty rows in a short view: holding the pointer below the grid scrolls.
class TrackViewScroll : public TrackViewEdit {
protected:
    TrackViewScroll() : TrackViewEdit(40, {600, 200}) {}
};

TEST_F(TrackViewScroll, HoldingTheDragBelowTheGridScrollsTheRows)
{
    ASSERT_GT(view->selection().maxTopRow(), 0);
    QTest::mousePress(view.get(), Qt::LeftButton, {}, numberCentre(2));
    EXPECT_TRUE(view->rowScrollActive());
    const QPoint below(numberCentre(2).x(), view->height() - TrackView::kBarSize + 3 * view->rowLayout().rowHeight);
    QTest::mouseMove(view.get(), below);
    QElapsedTimer clock;
    clock.start();
    while (view->topRow() < 6 && clock.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_GE(view->topRow(), 6) << "three rows a beat";
    EXPECT_GT(view->currentRow(), 6) << "the drag follows";
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, below);
    EXPECT_FALSE(view->rowScrollActive());
    EXPECT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.back()->label, "Drag Tracks");
}

TEST_F(TrackViewScroll, AHeaderDragRightOfTheGridScrollsTheColumns)
{
    auto* header = view->findChild<QHeaderView*>();
    ASSERT_NE(header, nullptr);
    const QPoint at(header->sectionViewportPosition(kColumnPatch) + 5, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, at);
    const QPoint right = header->viewport()->mapFrom(view.get(), QPoint(view->width() - TrackView::kBarSize + 40, 5));
    QTest::mouseMove(header->viewport(), right);
    EXPECT_TRUE(view->columnScrollActive());
    view->columnScrollBeat();
    EXPECT_GT(view->horizontalOffset(), 0);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, right);
    EXPECT_FALSE(view->columnScrollActive());
}

TEST_F(TrackViewEdit, CellCopyPutsTheValueOnTheSystemClipboardAndEmptiesOurs)
{
    track(2).initialControllers[0] = 64; // pan
    fixture.host.clipboardContent.kind = kClipboardEvents;
    cellMode(2, kColumnPan);
    ASSERT_TRUE(enabled(kIdEditCopy));
    EXPECT_FALSE(enabled(kIdEditCut));
    EXPECT_TRUE(view->handle(kIdEditCopy));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "0");
    EXPECT_EQ(fixture.host.clipboardContent.kind, 0u);
}

TEST_F(TrackViewEdit, PasteInCellModeOpensTheEditorOnTheClipboardsText)
{
    QGuiApplication::clipboard()->setText("Bass");
    cellMode(3, kColumnTrack);
    ASSERT_TRUE(enabled(kIdEditPaste));
    EXPECT_TRUE(view->handle(kIdEditPaste));
    EXPECT_TRUE(view->editor().isVisible());
    EXPECT_EQ(view->editor().text(), "Bass");
    QTest::keyClick(&view->editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(track(3).name, "Bass");

    QGuiApplication::clipboard()->setText(QString(150, 'x'));
    EXPECT_TRUE(view->handle(kIdEditPaste));
    EXPECT_EQ(view->editor().text().size(), 99);
    QTest::keyClick(&view->editor(), Qt::Key_Escape);

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(enabled(kIdEditPaste)) << "greyed without text";
}

TEST_F(TrackViewEdit, PasteOfCopiedTracksIsLeftToTheApplication)
{
    view->SelectRow(2, true);
    view->selection().RefreshSelection();
    CmdUi ui;
    EXPECT_FALSE(view->update(kIdEditPaste, ui)) << "row mode";
    EXPECT_FALSE(view->handle(kIdEditPaste));
    cellMode(2, kColumnTrack);
    fixture.host.clipboardContent.kind = kClipboardTracks;
    EXPECT_FALSE(view->update(kIdEditPaste, ui)) << "our clipboard holds something";
    EXPECT_FALSE(view->handle(kIdEditPaste));
}

TEST_F(TrackViewEdit, CutCopiesAndDeletesInOneStepButKeepsWhatItCouldNotCopy)
{
    view->SelectRow(2, true);
    view->SelectRow(3, false);
    view->selection().RefreshSelection();
    ASSERT_TRUE(enabled(kIdEditCut));
    EXPECT_TRUE(view->handle(kIdEditCut));
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"T1", "T4", "T5"}));
    EXPECT_EQ(song->undoList.size(), 1u);
    ASSERT_EQ(fixture.host.clipboardContent.tracks.size(), 2u);
    EXPECT_EQ(fixture.host.clipboardContent.tracks[1]->name, "T3");

    song->timeBase = 96;
    track(2).events.push_back(note(200'000'000, 60, 100, 10));
    view->SelectRow(2, true);
    view->selection().RefreshSelection();
    fixture.prompt.expectMessage(kTracksTooLong);
    EXPECT_TRUE(view->handle(kIdEditCut));
    EXPECT_EQ(trackNames(*song), (std::vector<std::string>{"T1", "T4", "T5"})) << "nothing lost";
    EXPECT_EQ(fixture.host.clipboardContent.kind, 0u);
}

TEST_F(TrackViewEdit, PropertiesOnTheStarRowInsertsATrack)
{
    const int star = view->selection().rowCount() - 1;
    cellMode(star, kColumnTrack);
    TrackPropsParams answer;
    answer.name = "Strings";
    dialogs.trackPropertiesAnswer = answer;
    ASSERT_TRUE(enabled(kIdProperties));
    EXPECT_TRUE(view->handle(kIdProperties));
    EXPECT_EQ(song->undoList.back()->label, "Insert Track");
    EXPECT_EQ(track(6).name, "Strings");
}

TEST_F(TrackViewEdit, ADoubleClickOnSelectedRowsOpensTheirProperties)
{
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, numberCentre(2));
    dialogs.trackPropertiesAnswer = std::nullopt;
    QTest::mouseDClick(view.get(), Qt::LeftButton, {}, numberCentre(2));
    EXPECT_EQ(dialogs.log.count("trackProperties"), 1u);
    ASSERT_TRUE(dialogs.trackPreset.has_value());
    EXPECT_EQ(dialogs.trackPreset->name, "T2");

    dialogs.missing.insert(EditDialog::TrackProperties);
    EXPECT_FALSE(enabled(kIdProperties)) << "grey until the dialog is there";
}

TEST_F(TrackViewEdit, TheInCellShowsTheCheckBoxPicture)
{
    track(3).playEnabled = 1;
    track(4).playEnabled = 0;
    QApplication::processEvents();
    const QImage image = view->grab().toImage();
    const QImage check = trackCheck(1);
    ASSERT_FALSE(check.isNull());
    const auto checkOrigin = [&](int row) {
        const QRect in = view->cellRect(row, positionOf(kColumnIn));
        const int h = in.height() > 16 ? 13 : in.height();
        return QPoint(in.left() + (13 - check.width()) / 2, in.top() + (in.height() - h) / 2 + (h - check.height()) / 2);
    };
    int opaque = 0;
    for (int y = 0; y < check.height(); ++y) {
        for (int x = 0; x < check.width(); ++x) {
            if (check.pixelColor(x, y).alpha() != 255)
                continue;
            ++opaque;
            EXPECT_EQ(image.pixelColor(checkOrigin(3) + QPoint(x, y)), check.pixelColor(x, y)) << x << "," << y;
            // Inside the box's sunken frame the unchecked box stays white.
            if (x >= 2 && x < check.width() - 2 && y >= 2 && y < check.height() - 2) {
                EXPECT_EQ(image.pixelColor(checkOrigin(4) + QPoint(x, y)), QColor(Qt::white)) << "no check";
            }
        }
    }
    EXPECT_GT(opaque, 5);
    EXPECT_FALSE(BitmapCatalog::image(bitmap_id::kTrackInHeader).isNull());
}

} // namespace
} // namespace rz::test
