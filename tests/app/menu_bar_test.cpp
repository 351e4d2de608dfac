#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "core/profile.h"
#include "recording_frame_host.h"
#include "recording_status_prompt.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "scripted_target.h"
#include "ui/command_router.h"
#include "ui/key_filter.h"
#include "ui/menu_style.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr CommandId kOpen = kIdFileOpen;
constexpr CommandId kUndo = kIdEditUndo;

struct MenuFixture {
    CommandRouter router;
    KeyFilter keys{router};
    QWidget parent;
    MenuBar bar{router, nullptr, &keys, &parent};

    MenuFixture() { bar.loadMenu(mainMenu()); }

    QAction* only(CommandId id)
    {
        const std::vector<QAction*> found = bar.commandActions(id);
        return found.size() == 1 ? found.front() : nullptr;
    }
};

TEST(MenuBar, LoadsTheEightMenusWithTheirSubMenus)
{
    MenuFixture f;
    QStringList titles;
    for (QAction* top : f.bar.actions())
        titles << top->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Insert", "&Transport", "&Adjust",
                                   "&Setup", "&Help"}));
    for (auto [top, sub] : {std::pair{"&File", kRecentSetsMenu}, {"&File", kRecentSongsMenu},
                            {"&Edit", kAudioEffectMenu}, {"&View", kLayoutMenu}})
        EXPECT_NE(f.bar.subMenu(top, sub), nullptr) << sub;
    EXPECT_EQ(f.bar.subMenu("&Edit", kRecentSetsMenu), nullptr);
    EXPECT_EQ(f.bar.commandActions(kIdPlayStop).size(), 1u); // Transport > Play/Stop
}

TEST(MenuBar, KeyTextFollowsTheActiveAcceleratorTable)
{
    MenuFixture f;
    ASSERT_NE(f.only(kOpen), nullptr);
    EXPECT_EQ(f.only(kOpen)->text(), "&Open...");

    f.keys.setTable(AccelTable::defaultMap());
    emit f.bar.topMenu(0)->aboutToShow(); // the File menu opens
    EXPECT_EQ(f.only(kOpen)->text(), "&Open...\tCtrl+O");
    EXPECT_EQ(f.only(kIdSaveAll)->text(), "Save a&ll\tAlt+Ctrl+S");
    EXPECT_EQ(f.only(kIdTempoSlower)->text(), "Tempo &slower 1%\tCtrl+[");
    EXPECT_EQ(f.only(kIdCloseAll)->text(), "&Close all"); // no key

    f.keys.setTable(AccelTable()); // accelerators off
    emit f.bar.topMenu(0)->aboutToShow();
    EXPECT_EQ(f.only(kOpen)->text(), "&Open...");
    EXPECT_EQ(f.only(kIdSaveAll)->text(), "Save a&ll");
}

TEST(MenuBar, AnUpdatedItemTextKeepsItsKey)
{
    std::vector<std::string> log;
    ScriptedTarget app("app", log);
    CmdUi undo;
    undo.text = "&Undo Insert Cue";
    app.accepts(kUndo).updates(kUndo, undo);
    CommandRouter router;
    router.setApplication(&app);
    UiUpdater updater(router);
    KeyFilter keys(router);
    keys.setTable(AccelTable::defaultMap());
    QWidget parent;
    MenuBar bar(router, &updater, &keys, &parent);
    bar.loadMenu(mainMenu());
    updater.updateNow();
    ASSERT_EQ(bar.commandActions(kUndo).size(), 1u);
    QAction* action = bar.commandActions(kUndo).front();
    EXPECT_EQ(action->text(), "&Undo Insert Cue\tCtrl+Z");
    action->trigger();
    EXPECT_EQ(log, (std::vector<std::string>{"app:57643"}));
}

TEST(MenuBar, ItemsShowTheirToolImageAndRunTheirCommand)
{
    std::vector<std::string> log;
    ScriptedTarget app("app", log);
    app.accepts(kOpen);
    MenuFixture f;
    f.router.setApplication(&app);
    EXPECT_FALSE(f.only(kOpen)->icon().isNull());
    EXPECT_TRUE(f.only(kIdCloseAll)->icon().isNull());
    f.only(kOpen)->trigger();
    f.only(kIdCloseAll)->trigger(); // no handler anywhere: disabled, not run
    EXPECT_EQ(log, (std::vector<std::string>{"app:57601"}));
}

TEST(MenuBar, HoveringAnItemShowsItsPromptAndClosingRestoresTheIdlePrompt)
{
    RecordingStatusPrompt prompt;
    MenuFixture f;
    QMenu* file = f.bar.topMenu(0);
    emit file->hovered(f.only(kOpen));
    EXPECT_EQ(prompt.shown(), kOpen);
    emit file->aboutToHide();
    EXPECT_EQ(prompt.shown(), kIdlePromptId);
}

TEST(MenuBar, MenuCommandsOpenTheirMenuUnderItsItem)
{
    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
    MainFrame frame(profile, router, host);
    frame.resize(1200, 800);
    frame.show();
    QApplication::processEvents();
    EXPECT_TRUE(router.execute(kIdMenuView));
    QMenu* view = frame.menuBar()->topMenu(2);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(frame.menuBar()->activeAction(), view->menuAction());
    view->hide();
    EXPECT_TRUE(router.execute(kIdMenuHelp));
    EXPECT_TRUE(frame.menuBar()->topMenu(7)->isVisible());
    frame.menuBar()->topMenu(7)->hide();
}

TEST(MenuBar, TheRightClickMenuHoldsTheTransportCommands)
{
    MemoryProfile profile;
    CommandRouter router;
    RecordingFrameHost host;
    MainFrame frame(profile, router, host);
    QMenu* menu = frame.contextMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<CommandId> ids;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            ids.push_back(action->data().toUInt());
    std::vector<CommandId> transport;
    for (QAction* action : frame.menuBar()->topMenu(4)->actions())
        if (!action->isSeparator())
            transport.push_back(action->data().toUInt());
    EXPECT_EQ(ids, transport);
    EXPECT_EQ(ids.front(), 32775u);
}

// Draws one menu item through the style and returns the picture.
QImage drawItem(QStyle::State state, bool checked, bool image)
{
    QImage picture(200, 20, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QStyleOptionMenuItem item;
    item.rect = picture.rect();
    item.state = state | QStyle::State_Enabled;
    item.menuItemType = QStyleOptionMenuItem::Normal;
    item.checkType = QStyleOptionMenuItem::NonExclusive;
    item.checked = checked;
    item.text = "&Staff\tCtrl+3";
    item.font = MenuStyle::menuFont();
    item.palette = QApplication::palette();
    if (image) {
        QPixmap square(16, 16);
        square.fill(Qt::black);
        item.icon = QIcon(square);
    }
    QPainter painter(&picture);
    MenuStyle::instance()->drawControl(QStyle::CE_MenuItem, &item, &painter);
    return picture;
}

bool holdsColour(const QImage& picture, const QRect& area, QColor colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (picture.pixelColor(x, y) == colour)
                return true;
    return false;
}

TEST(MenuStyle, SelectionCheckedSquareAndKeyTextColours)
{
    const QColor selection(12, 20, 56);
    const QColor selectedText(255, 240, 14);
    const QColor checkedSquare(189, 206, 192);

    const QImage selected = drawItem(QStyle::State_Selected, false, true);
    EXPECT_EQ(selected.pixelColor(100, 1), selection);
    EXPECT_NE(selected.pixelColor(10, 1), selection); // the image square stays out
    EXPECT_TRUE(holdsColour(selected, QRect(23, 0, 60, 20), selectedText));
    EXPECT_TRUE(holdsColour(selected, QRect(140, 0, 42, 20), selectedText)); // key text, right

    const QImage checked = drawItem(QStyle::State_None, true, false);
    EXPECT_EQ(checked.pixelColor(3, 10), checkedSquare);
    EXPECT_NE(checked.pixelColor(100, 1), selection);

    const QImage selectedNoImage = drawItem(QStyle::State_Selected, false, false);
    EXPECT_EQ(selectedNoImage.pixelColor(3, 1), selection);
}

TEST(MenuStyle, SeparatorsKeepARowOfTheirOwn)
{
    MenuFixture f;
    QMenu* file = f.bar.topMenu(0);
    QAction* separator = file->actions().value(3);
    ASSERT_TRUE(separator && separator->isSeparator());
    EXPECT_EQ(file->actionGeometry(separator).height(), 9);
    EXPECT_GE(file->actionGeometry(file->actions().value(1)).height(), MenuStyle::kButtonSize);
}

} // namespace
} // namespace rz
