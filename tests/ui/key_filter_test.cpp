#include "res/command_ids.h"
#include "scripted_target.h"
#include "ui/command_router.h"
#include "ui/key_filter.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

// Counts the key presses that reach a widget, leaving out the modifier
// keys QTest presses on their own.
class KeySpy : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt)
            ++presses;
        return false;
    }
    int presses = 0;
};

class KeyFiltering : public testing::Test {
protected:
    KeyFiltering()
    {
        router.setApplication(&app);
        for (const AccelRecordData& r : defaultAccelRecords())
            app.accepts(r.command);
        keys.setTable(AccelTable::defaultMap());
        keys.install();
        widget.installEventFilter(&spy);
    }

    std::vector<std::string> log;
    ScriptedTarget app{"app", log};
    CommandRouter router;
    KeyFilter keys{router};
    QWidget widget;
    KeySpy spy;
};

TEST_F(KeyFiltering, KeyFilterRunsTheDefaultMapsCommands)
{
    QTest::keyClick(&widget, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&widget, Qt::Key_Space);
    QTest::keyClick(&widget, Qt::Key_W, Qt::ControlModifier); // not in the map
    EXPECT_EQ(log, (std::vector<std::string>{"app:32840", "app:32881"}));
    EXPECT_EQ(spy.presses, 1); // only the unmapped key reached the widget
}

TEST_F(KeyFiltering, KeyFilterMatchesShiftOneDeliveredAsExclamationMark)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier, "!");
    QApplication::sendEvent(&widget, &press);
    EXPECT_EQ(log, std::vector<std::string>{"app:61483"}); // Skip +1
}

TEST_F(KeyFiltering, KeyFilterEatsTheKeyOfADisabledCommand)
{
    app.updates(kIdRecord, disabledUi());
    QTest::keyClick(&widget, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(spy.presses, 0);
}

TEST_F(KeyFiltering, KeyFilterTakesOverShortcutOverrideOfMappedKeysOnly)
{
    QKeyEvent mapped(QEvent::ShortcutOverride, Qt::Key_F, Qt::AltModifier);
    mapped.ignore();
    QApplication::sendEvent(&widget, &mapped);
    EXPECT_TRUE(mapped.isAccepted());
    QKeyEvent unmapped(QEvent::ShortcutOverride, Qt::Key_W, Qt::AltModifier);
    unmapped.ignore();
    QApplication::sendEvent(&widget, &unmapped);
    EXPECT_FALSE(unmapped.isAccepted());
    EXPECT_TRUE(log.empty()); // an override runs nothing
}

TEST_F(KeyFiltering, KeyFilterLeavesKeysToAnInPlaceEditor)
{
    QLineEdit editor;
    KeySpy editorSpy;
    editor.installEventFilter(&editorSpy);
    keys.setInPlaceEditOpen(true);
    QTest::keyClick(&editor, Qt::Key_Space);
    QTest::keyClick(&editor, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(editorSpy.presses, 2);
    EXPECT_EQ(editor.text(), " ");

    keys.setInPlaceEditOpen(false);
    QTest::keyClick(&editor, Qt::Key_Space);
    EXPECT_EQ(log, std::vector<std::string>{"app:32881"});
    EXPECT_EQ(editor.text(), " ");
}

TEST_F(KeyFiltering, KeyFilterRunsNothingWhileAModalDialogIsUp)
{
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    QTest::keyClick(&widget, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&dialog, Qt::Key_Space);
    EXPECT_TRUE(log.empty());
    dialog.hide();
    QTest::keyClick(&widget, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(log, std::vector<std::string>{"app:32840"});
}

TEST_F(KeyFiltering, KeyFilterLeavesKeysToAnOpenMenu)
{
    QMenu menu;
    QAction* select = menu.addAction("&Select");
    bool chosen = false;
    QObject::connect(select, &QAction::triggered, [&] { chosen = true; });
    menu.popup(QPoint(0, 0));
    ASSERT_EQ(QApplication::activePopupWidget(), &menu);
    QTest::keyClick(&menu, Qt::Key_S); // the mnemonic, also Select in the map
    EXPECT_TRUE(chosen);
    EXPECT_TRUE(log.empty());

    menu.popup(QPoint(0, 0));
    QTest::keyClick(&menu, Qt::Key_Escape); // closes the menu, stops nothing
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(KeyFiltering, KeyFilterWithAnEmptyTableIsOff)
{
    keys.setTable(AccelTable());
    QTest::keyClick(&widget, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(spy.presses, 1);
}

} // namespace
} // namespace rz
