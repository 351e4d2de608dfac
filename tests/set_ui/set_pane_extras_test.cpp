#include "set_fixture.h"

#include "res/command_ids.h"
#include "set/ui/paste_song_dlg.h"
#include "set/ui/set_pane.h"
#include "set/ui/set_props_dlg.h"
#include "set/ui/set_tree_drag.h"
#include "set/ui/set_tree_model.h"
#include "song/clipboard.h"
#include "song/cue.h"
#include "ui/in_place_edit.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>

namespace rz {
namespace {

struct NoTrash : ITrash {
    bool moveToTrash(const std::filesystem::path&) override { return false; }
};

struct SetPaneExtras : SetFixture, testing::Test {
    QWidget frame;
    NoTrash trash;
    std::unique_ptr<SetPane> pane;

    // The songs named in the entries are written; a pane shows the set.
    void open(const std::vector<SetFileEntry>& entries, int timeBase = 480)
    {
        frame.resize(1000, 800);
        for (const SetFileEntry& entry : entries) {
            if (entry.folder)
                continue;
            test::TrackBuilder notes;
            notes.event(0, {0x90, 60, 100}).event(timeBase, {0x80, 60, 0}).end();
            writeBytes(folder.path() / entry.name,
                       test::SmfBuilder().header(1, 2, uint16_t(timeBase)).track(test::plainConductor()).track(notes).bytes());
        }
        writeSet(entries);
        ASSERT_TRUE(set.OnOpenDocument(setPath()));
        pane = std::make_unique<SetPane>(set, setHost, trash, profile, &frame);
        pane->placeInFrame(frame.size());
        pane->initialUpdate();
    }
    SetTreeItem* song(const std::string& file) const
    {
        for (SetTreeItem* item : set.tree().songItems())
            if (item->song->pathName.filename() == file)
                return item;
        return nullptr;
    }
    void select(const SetTreeItem* item) { pane->treeView().setCurrentIndex(pane->model().indexOf(item)); }
    QPoint centreOf(const SetTreeItem* item)
    {
        return pane->treeView().visualRect(pane->model().indexOf(item)).center();
    }
    SetTreeItem* addMarker(SetTreeItem* songItem, int32_t time, int32_t secondTime)
    {
        auto cue = std::make_unique<CCue>();
        cue->name = "Vamp";
        cue->kind = kCueVamp;
        cue->time = time;
        cue->secondTime = secondTime;
        insertCueInOrder(songItem->song->cues, std::move(cue));
        set.navigator().UpdateMarkers(*songItem->song);
        pane->initialUpdate();
        return songItem->children.front().get();
    }
};

TEST_F(SetPaneExtras, AMarkerCopiedAtPpq96HoldsTimesTimesTwentyFromTheEarlier)
{
    open({songEntry("A.mid")}, 96);
    SetTreeItem* marker = addMarker(song("A.mid"), 480, 192);
    select(marker);
    ASSERT_TRUE(pane->commandEnabled(kIdEditCopy));
    pane->runCommand(kIdEditCopy);
    const AppClipboard& clipboard = host.clipboard();
    EXPECT_EQ(clipboard.kind, kClipboardCues);
    ASSERT_EQ(clipboard.cues.size(), 1u);
    EXPECT_EQ(clipboard.cues[0]->time, (480 - 192) * 20);
    EXPECT_EQ(clipboard.cues[0]->secondTime, 0);
    EXPECT_EQ(clipboard.cues[0]->name, "Vamp");
    const CCue& own = *song("A.mid")->song->cues.front();
    EXPECT_EQ(own.time, 480);
    EXPECT_EQ(own.secondTime, 192);
}

TEST_F(SetPaneExtras, CutOfASongCopiesItsPathThenDeletesTheEntry)
{
    open({songEntry("A.mid"), songEntry("B.mid"), songEntry("B.mid")});
    const std::filesystem::path b = song("B.mid")->song->pathName;
    select(set.tree().itemsOf(song("B.mid")->song).back());
    pane->runCommand(kIdEditCut);
    EXPECT_EQ(host.clipboard().kind, kClipboardSong);
    EXPECT_EQ(host.clipboard().songPath, b);
    EXPECT_EQ(shape(), "A.mid B.mid");
}

TEST_F(SetPaneExtras, PasteAsLinkAddsAnEntrySharingTheDocument)
{
    open({songEntry("A.mid"), songEntry("B.mid")});
    CSongDoc* a = song("A.mid")->song;
    select(song("A.mid"));
    pane->runCommand(kIdEditCopy);
    int repaints = 0;
    int copies = 0;
    std::optional<int> choice = CPasteSongDlg::Link;
    pane->setPasteChoiceAsker([&] { return choice; });
    pane->setClipViewRepaint([&] { ++repaints; });
    pane->setNewSongFromCopy([&] { ++copies; });
    select(song("B.mid"));
    ASSERT_TRUE(pane->commandEnabled(kIdEditPaste));
    pane->runCommand(kIdEditPaste);
    EXPECT_EQ(shape(), "A.mid A.mid B.mid");
    EXPECT_EQ(set.entryCount(*a), 2);
    EXPECT_EQ(set.CountSongs(), 2);
    EXPECT_TRUE(set.IsModified());
    EXPECT_EQ(repaints, 1);
    choice = CPasteSongDlg::Copy;
    pane->runCommand(kIdEditPaste);
    EXPECT_EQ(copies, 1);
    choice.reset();
    pane->runCommand(kIdEditPaste);
    EXPECT_EQ(repaints, 2);
    EXPECT_EQ(shape(), "A.mid A.mid B.mid");
}

TEST_F(SetPaneExtras, AFolderRenamedEncoreMarksTheSetModifiedAnEmptyCaptionNothing)
{
    open({songEntry("A.mid"), folderEntry("Encores"), songEntry("B.mid", 1)});
    SetTreeItem* encores = song("B.mid")->parent;
    pane->editCaption(encores);
    ASSERT_NE(pane->captionEditor(), nullptr);
    pane->captionEditor()->setText("");
    emit pane->captionEditor()->focusLost();
    EXPECT_EQ(encores->caption, "Encores");
    EXPECT_FALSE(set.IsModified());
    pane->editCaption(encores);
    pane->captionEditor()->setText("Encore");
    emit pane->captionEditor()->focusLost();
    EXPECT_EQ(encores->caption, "Encore");
    EXPECT_TRUE(set.IsModified());
    // Songs have no caption of their own to edit.
    pane->editCaption(song("A.mid"));
    EXPECT_EQ(pane->captionEditor(), nullptr);
}

TEST_F(SetPaneExtras, CreateAFolderGoesWhereASongWouldAndOpensItsCaption)
{
    open({songEntry("A.mid"), songEntry("B.mid")});
    SetTreeItem* marker = addMarker(song("B.mid"), 10, 0);
    select(marker);
    EXPECT_FALSE(pane->commandEnabled(kIdCreateFolder)); // not on a marker
    select(song("B.mid"));
    pane->runCommand(kIdCreateFolder);
    EXPECT_EQ(shape(), "A.mid [New folder:] B.mid");
    ASSERT_NE(pane->captionEditor(), nullptr);
    EXPECT_EQ(pane->captionEditor()->text(), "New folder");
}

TEST_F(SetPaneExtras, AlphabetizeSortsTheTopLevelIgnoringCaseAndKeepsFolders)
{
    open({songEntry("b.mid"), folderEntry("A"), songEntry("z.mid", 1), songEntry("y.mid", 1), songEntry("a.mid")});
    ASSERT_EQ(shape(), "b.mid [A: z.mid y.mid] a.mid");
    pane->runCommand(kIdAlphabetizeSet);
    EXPECT_EQ(shape(), "[A: z.mid y.mid] a.mid b.mid");
    EXPECT_TRUE(set.IsModified());
    EXPECT_EQ(set.tree().topItems().back().get(), set.tree().statusItem());
}

TEST_F(SetPaneExtras, AQTestDragOntoAFolderAsksAndMoves)
{
    open({songEntry("A.mid"), folderEntry("Encores"), songEntry("B.mid", 1), songEntry("C.mid")});
    frame.show();
    QWidget* viewport = pane->treeView().viewport();
    const SetTreeItem* encores = song("B.mid")->parent;
    const QPoint from = centreOf(song("C.mid"));
    const QPoint to = centreOf(encores);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(0, -4));
    QTest::mouseMove(viewport, to);
    ASSERT_TRUE(pane->drag().dragging());
    EXPECT_TRUE(pane->model().indexOf(encores).data(SetTreeModel::DropTargetRole).toBool());
    prompt.expectYesNo("Add item(s) to folder?", PromptAnswer::Yes);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    EXPECT_FALSE(pane->drag().dragging());
    EXPECT_EQ(shape(), "A.mid [Encores: B.mid C.mid]");
    EXPECT_TRUE(set.IsModified());
    prompt.verifyAllUsed();
}

// Near the bottom edge the tree scrolls a line per tick; a drop off the
// tree leaves the set as it was.
TEST_F(SetPaneExtras, ADragScrollsAtTheEdgeAndARefusedDropChangesNothing)
{
    std::vector<SetFileEntry> entries;
    for (char c = 'A'; c <= 'P'; ++c)
        entries.push_back(songEntry(std::string(1, c) + ".mid"));
    open(entries);
    frame.resize(1000, 400);
    pane->placeInFrame(frame.size());
    frame.show();
    const std::string before = shape();
    QWidget* viewport = pane->treeView().viewport();
    QScrollBar* bar = pane->treeView().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QPoint from = centreOf(song("A.mid"));
    const QPoint edge(from.x(), viewport->height() - 3);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, edge);
    ASSERT_TRUE(pane->drag().dragging());
    const int top = bar->value();
    pane->drag().autoscroll();
    EXPECT_EQ(bar->value(), top + bar->singleStep());
    QTest::mouseMove(viewport, QPoint(from.x(), viewport->height() + 40));
    EXPECT_EQ(pane->model().dropTarget(), nullptr);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(from.x(), viewport->height() + 40));
    EXPECT_FALSE(pane->drag().dragging());
    EXPECT_EQ(shape(), before);
    EXPECT_FALSE(set.IsModified());
}

TEST_F(SetPaneExtras, AMarkersPropertiesEditTheCueThroughTheUndo)
{
    open({songEntry("A.mid")});
    SetTreeItem* marker = addMarker(song("A.mid"), 960, 0);
    select(marker);
    editDialogs.missing.insert(EditDialog::CueProperties);
    EXPECT_FALSE(pane->commandEnabled(kIdProperties));
    editDialogs.missing.clear();
    ASSERT_TRUE(pane->commandEnabled(kIdProperties));
    // The dialog answers both times, and the cue takes them.
    editDialogs.cuePropertiesAnswer = CuePropsParams{kCueVamp, 4, 1, 960, 480, "Chorus"};
    pane->runCommand(kIdProperties);
    CSongDoc& a = *song("A.mid")->song;
    ASSERT_EQ(a.cues.size(), 1u);
    EXPECT_EQ(a.cues[0]->name, "Chorus");
    EXPECT_EQ(a.cues[0]->repeatCount, 4);
    EXPECT_EQ(a.cues[0]->time, 960);
    EXPECT_EQ(a.cues[0]->secondTime, 480);
    EXPECT_EQ(a.undoList.back()->label, "Edit Cue Properties");
    engine.state = TransportState::Playing;
    EXPECT_FALSE(pane->commandEnabled(kIdProperties));
    engine.state = TransportState::Stopped;
}

TEST_F(SetPaneExtras, FolderOrNothingOpensTheSetPropertiesAlsoByADoubleClickOffTheItems)
{
    open({folderEntry("F"), songEntry("A.mid", 1)});
    int opened = 0;
    pane->setSetPropsRunner([&] { ++opened; });
    select(set.tree().firstItem());
    pane->runCommand(kIdProperties);
    EXPECT_EQ(opened, 1);
    frame.show();
    QWidget* viewport = pane->treeView().viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(40, viewport->height() - 5));
    EXPECT_EQ(opened, 2);
}

TEST_F(SetPaneExtras, OwnWindowAndBack)
{
    open({songEntry("A.mid")});
    profile.writeInt("OSoptions", "alwaysontop", 1);
    frame.show();
    ASSERT_TRUE(pane->commandEnabled(kIdSpawnTopLevelWindow));
    pane->runCommand(kIdSpawnTopLevelWindow);
    EXPECT_TRUE(pane->undocked());
    EXPECT_TRUE(pane->isWindow());
    EXPECT_EQ(pane->windowTitle(), "Songs and Markers");
    EXPECT_TRUE(pane->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(pane->commandEnabled(kIdSpawnTopLevelWindow));
    EXPECT_EQ(pane->treeView().geometry(), pane->rect());
    pane->close();
    EXPECT_FALSE(pane->undocked());
    EXPECT_EQ(pane->parentWidget(), &frame);
    EXPECT_EQ(pane->geometry(), QRect(10, 60, 218, 800 - 261));
}

// The set properties dialog on the set's loaded songs.
TEST_F(SetPaneExtras, SetPropsDlgListsLoadedSongsAndNotesTheRest)
{
    open({songEntry("A.mid"), songEntry("B.mid", 0, true)});
    song("A.mid")->song->tracks[1]->name = "Bass";
    CSetPropsDlg dialog(set);
    ASSERT_EQ(dialog.list()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.list()->topLevelItem(0)->text(CSetPropsDlg::TrackColumn), "Bass");
    EXPECT_EQ(dialog.note()->text(), "1 songs that are not loaded are not listed.");
    EXPECT_FALSE(dialog.note()->isHidden());
    dialog.clickIn(0);
    EXPECT_EQ(song("A.mid")->song->tracks[1]->playEnabled, 0);
    dialog.list()->topLevelItem(0)->setSelected(true);
    editDialogs.trackPropertiesAnswer = TrackPropsParams{};
    editDialogs.trackPropertiesAnswer->timeText = "2000";
    dialog.editSelected();
    ASSERT_TRUE(editDialogs.trackPreset.has_value());
    EXPECT_EQ(editDialogs.trackPreset->name, "Bass");
    EXPECT_EQ(song("A.mid")->song->tracks[1]->timeOffset, 2000);
}

} // namespace
} // namespace rz
