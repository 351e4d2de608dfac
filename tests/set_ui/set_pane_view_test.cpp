#include "set_fixture.h"

#include "set/ui/desktop_trash.h"
#include "set/ui/set_pane.h"
#include "set/ui/set_tree_model.h"
#include "res/command_ids.h"

#include <QCoreApplication>
#include <QDir>
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
