#include "set_fixture.h"

#include "set/ui/desktop_trash.h"
#include "set/ui/set_pane.h"
#include "set/ui/set_tree_model.h"
#include "res/command_ids.h"
#include "scripted_target.h"
#include "ui/command_router.h"
#include "views/pane_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTreeView>
#include <QWidget>

#include <gtest/gtest.h>

namespace rz {
namespace {

struct SetPaneView : SetFixture, testing::Test {
    QWidget frame;
    DesktopTrash trash;

    void SetUp() override
    {
        frame.resize(1000, 800);
        for (const char* name : {"A.mid", "B.mid"})
            writeSmallSong(folder.path() / name);
        writeSet({songEntry("A.mid"), folderEntry("Encores"), songEntry("B.mid", 1, true),
                  songEntry("C.mid", 1)});
        ASSERT_TRUE(set.OnOpenDocument(setPath()));
        set.navigator().SelectSongByIndex(0);
    }
};

TEST_F(SetPaneView, ModelRolesCarryStatesAndCaptions)
{
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.initialUpdate();
    SetTreeModel& model = pane.model();
    ASSERT_EQ(model.rowCount(), 3); // A, Encores, the status item
    const QModelIndex a = model.index(0, 0);
    const QModelIndex encores = model.index(1, 0);
    EXPECT_EQ(a.data(Qt::DisplayRole).toString(), "A");
    EXPECT_EQ(a.data(SetTreeModel::StateImageRole).toInt(), SetNavigator::kStateCurrent);
    EXPECT_EQ(encores.data(SetTreeModel::NormalImageRole).toInt(), SetNavigator::kFolderImage);
    ASSERT_EQ(model.rowCount(encores), 2);
    EXPECT_EQ(model.index(0, 0, encores).data(SetTreeModel::StateImageRole).toInt(), SetNavigator::kStateDisabled);
    EXPECT_EQ(model.index(1, 0, encores).data(SetTreeModel::StateImageRole).toInt(), SetNavigator::kStateFailed);
    EXPECT_EQ(model.parent(model.index(1, 0, encores)), encores);
    EXPECT_EQ(model.index(2, 0).data(Qt::DisplayRole).toString(), "End of set.");
}

TEST_F(SetPaneView, HeaderAndWidthFollowZoomAndShowHide)
{
    profile.writeInt("DisplayOptions", "FZoom", 2);
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.placeInFrame(frame.size());
    pane.initialUpdate();
    EXPECT_EQ(pane.headerHeight(), 18);
    EXPECT_EQ(pane.geometry(), QRect(10, 60, 218, 800 - 261));
    EXPECT_EQ(pane.treeView().geometry().top(), 18);
    profile.writeInt("DisplayOptions", "FZoom", 7);
    EXPECT_EQ(pane.headerHeight(), 36);

    pane.runCommand(kIdShowHideSetPane);
    EXPECT_FALSE(pane.shown());
    EXPECT_EQ(pane.width(), 23);
    EXPECT_TRUE(pane.treeView().isHidden());
    pane.toggleShown();
    EXPECT_EQ(pane.width(), 218);
}

TEST_F(SetPaneView, ShowHideMovesTheTrackListBesideIt)
{
    PlaceholderPane trackList(pane_id::kTrackList, &frame);
    trackList.placeInFrame(frame.size());
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.placeInFrame(frame.size());
    const int height = 800 - 261;
    EXPECT_EQ(trackList.geometry(), QRect(236, 60, 219, height));
    pane.toggleShown();
    EXPECT_EQ(trackList.geometry(), QRect(41, 60, 414, height));
    pane.toggleShown();
    EXPECT_EQ(trackList.geometry(), QRect(236, 60, 219, height));
    frame.resize(1000, 900); // the frame's own re-placing keeps the shown state
    trackList.placeInFrame(frame.size());
    EXPECT_EQ(trackList.geometry(), QRect(236, 60, 219, 900 - 261));
}

// While the tree has the focus the pane's commands come before the song
// document's: Delete is the pane's, and greyed by the pane's rules.
TEST_F(SetPaneView, FocusedTreeRoutesAndGreysThePaneCommands)
{
    std::vector<std::string> calls;
    ScriptedTarget editor("editor", calls);
    ScriptedTarget document("document", calls);
    document.accepts(kIdDelete).updates(kIdDelete, CmdUi{.enabled = true, .text = "&Delete events"});
    CommandRouter router;
    router.setActiveView(&editor, &document);
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.setCommandRouter(&router);
    pane.initialUpdate();
    const auto focus = [&](QEvent::Type type, Qt::FocusReason reason) {
        QFocusEvent event(type, reason);
        QCoreApplication::sendEvent(&pane.treeView(), &event);
    };
    EXPECT_EQ(router.update(kIdDelete).text, "&Delete events");
    EXPECT_FALSE(router.update(kIdExpandAll).enabled);

    focus(QEvent::FocusIn, Qt::TabFocusReason);
    EXPECT_EQ(router.activeView(), &pane);
    const QModelIndex b = pane.model().index(0, 0, pane.model().index(1, 0));
    pane.treeView().setCurrentIndex(b);
    EXPECT_EQ(router.update(kIdDisableSong).text, "&Enable song");
    EXPECT_TRUE(router.update(kIdGoToItem).enabled);
    EXPECT_TRUE(router.update(kIdCollapseAll).enabled);
    EXPECT_EQ(router.update(kIdDelete).text, "&Delete");
    ASSERT_TRUE(router.execute(kIdDisableSong));
    EXPECT_FALSE(set.isDisabled(*set.tree().songItems()[1]->song));
    EXPECT_EQ(router.update(kIdDisableSong).text, "Disabl&e song");

    engine.state = TransportState::Playing;
    for (const CommandId id : {kIdDisableSong, kIdExpandAll, kIdCollapseAll})
        EXPECT_FALSE(router.update(id).enabled) << id;
    EXPECT_FALSE(router.execute(kIdExpandAll));
    engine.state = TransportState::Stopped;
    EXPECT_TRUE(calls.empty()); // the document's Delete never ran

    focus(QEvent::FocusOut, Qt::PopupFocusReason); // its context menu opens
    EXPECT_EQ(router.activeView(), &pane);
    focus(QEvent::FocusOut, Qt::MouseFocusReason);
    EXPECT_EQ(router.activeView(), &editor);
    EXPECT_EQ(router.update(kIdDelete).text, "&Delete events");
}

TEST_F(SetPaneView, EnterRunsGoTo)
{
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.initialUpdate();
    frame.show();
    const QModelIndex b = pane.model().index(0, 0, pane.model().index(1, 0));
    pane.treeView().setCurrentIndex(b);
    pane.treeView().setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&pane.treeView(), &enter);
    EXPECT_EQ(set.tree().currentSongItem()->song->pathName.filename(), "B.mid");
    EXPECT_FALSE(set.isDisabled(*set.tree().currentSongItem()->song));
}

TEST_F(SetPaneView, ItemsThatComeAndGoElsewhereReachTheView)
{
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.placeInFrame(frame.size());
    pane.initialUpdate();
    frame.show();
    writeSmallSong(folder.path() / "D.mid");
    set.AddSong(folder.path() / "D.mid", set.tree().beforeStatus(), 1, false);
    EXPECT_EQ(pane.model().rowCount(), 4);
    (void)pane.grab();
    set.DeleteContents();
    EXPECT_EQ(pane.model().rowCount(), 1);
    (void)pane.grab();
    EXPECT_EQ(pane.model().index(0, 0).data(Qt::DisplayRole).toString(), "0 open songs.");
}

// Another song becomes current (a command, the advance, the engine): the
// view's highlight moves with it, and stays there when the tree is rebuilt.
TEST_F(SetPaneView, TheHighlightFollowsTheCurrentSong)
{
    writeSmallSong(folder.path() / "D.mid");
    set.AddSong(folder.path() / "D.mid", set.tree().beforeStatus(), 1, false);
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.initialUpdate();
    frame.show();
    const auto highlighted = [&] {
        const SetTreeItem* item = pane.model().itemAt(pane.treeView().currentIndex());
        return item && item->song ? item->song->pathName.filename().string() : std::string();
    };
    EXPECT_EQ(highlighted(), "A.mid");
    set.navigator().SelectSongByIndex(3);
    ASSERT_EQ(set.tree().currentSongItem()->song->pathName.filename(), "D.mid");
    EXPECT_EQ(highlighted(), "D.mid");
    pane.songUpdate(0);
    EXPECT_EQ(highlighted(), "D.mid") << "after the tree is rebuilt";
    set.navigator().SelectSongByIndex(0);
    EXPECT_EQ(highlighted(), "A.mid");
}

TEST_F(SetPaneView, DesktopTrashLandsInTheDataFolder)
{
    const std::filesystem::path victim = folder.path() / "A.mid";
    ASSERT_TRUE(trash.moveToTrash(victim));
    EXPECT_FALSE(std::filesystem::exists(victim));
    const std::filesystem::path files =
        std::filesystem::path(qEnvironmentVariable("XDG_DATA_HOME").toStdString()) / "Trash" / "files";
    EXPECT_TRUE(std::filesystem::exists(files / "A.mid"));
}

TEST_F(SetPaneView, Picture)
{
    SetPane pane(set, setHost, trash, profile, &frame);
    pane.placeInFrame(frame.size());
    pane.initialUpdate();
    frame.show();
    const QString path = QDir::current().filePath("set_pane.png");
    EXPECT_TRUE(pane.grab().save(path));
}

} // namespace
} // namespace rz
