#include "scripted_target.h"
#include "ui/command_router.h"
#include "ui/in_place_edit.h"
#include "ui/key_filter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

class InPlaceEditing : public testing::Test {
protected:
    InPlaceEditing()
    {
        router.setApplication(&app);
        for (const AccelRecordData& r : defaultAccelRecords())
            app.accepts(r.command);
        keys.setTable(AccelTable::defaultMap());
        keys.install();
        owner.resize(200, 100);
        edit = new InPlaceEdit(&keys, &owner);
        owner.show();
        QApplication::setActiveWindow(&owner);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&owner));
    }

    // Opens the editor over a cell, as an owning view does.
    void startEdit()
    {
        edit->show();
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
    }

    std::vector<std::string> log;
    ScriptedTarget app{"app", log};
    CommandRouter router;
    KeyFilter keys{router};
    QWidget owner;
    InPlaceEdit* edit = nullptr;
};

TEST_F(InPlaceEditing, ExitKeyTellsTheOwnerHowTheEditEnded)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        uint32_t exitKey;
        bool ends;
    } cases[] = {
        {Qt::Key_Tab, Qt::NoModifier, 39, true},
        {Qt::Key_Backtab, Qt::ShiftModifier, 37, true},
        {Qt::Key_Tab, Qt::ShiftModifier, 37, true},
        {Qt::Key_Escape, Qt::NoModifier, 27, true},
        {Qt::Key_Return, Qt::NoModifier, 13, true},
        {Qt::Key_Enter, Qt::KeypadModifier, 13, true},
        {Qt::Key_Up, Qt::NoModifier, 38, true},
        {Qt::Key_Down, Qt::NoModifier, 40, true},
        {Qt::Key_A, Qt::NoModifier, 0x41, false},
        {Qt::Key_Left, Qt::NoModifier, 37, false},
    };
    for (const auto& c : cases) {
        startEdit();
        QSignalSpy lost(edit, &InPlaceEdit::focusLost);
        QTest::keyClick(edit, c.key, c.modifiers);
        EXPECT_EQ(edit->exitKey(), c.exitKey) << c.key;
        EXPECT_EQ(edit->hasFocus(), !c.ends) << c.key;
        EXPECT_EQ(owner.hasFocus(), c.ends) << c.key;
        EXPECT_EQ(lost.count(), c.ends ? 1 : 0) << c.key;
    }
}

TEST_F(InPlaceEditing, EnterAndTabTypeNothing)
{
    startEdit();
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "ab");
    startEdit();
    QKeyEvent lineFeed(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier, QStringLiteral("\n"));
    QApplication::sendEvent(edit, &lineFeed);
    EXPECT_TRUE(lineFeed.isAccepted());
    EXPECT_EQ(edit->text(), "ab");
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(InPlaceEditing, KeysReachTheEditorInsteadOfTheAccelerators)
{
    startEdit();
    EXPECT_TRUE(keys.inPlaceEditOpen());
    QTest::keyClick(edit, Qt::Key_Space);
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), " ");
    EXPECT_EQ(edit->exitKey(), uint32_t('R'));
    EXPECT_TRUE(log.empty());

    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(keys.inPlaceEditOpen());
    QTest::keyClick(&owner, Qt::Key_Space);
    EXPECT_EQ(log, std::vector<std::string>{"app:32881"});
}

TEST_F(InPlaceEditing, HidingOrDestroyingTheEditorTurnsAcceleratorsBackOn)
{
    startEdit();
    edit->hide();
    EXPECT_FALSE(keys.inPlaceEditOpen());

    startEdit();
    EXPECT_TRUE(keys.inPlaceEditOpen());
    delete edit;
    edit = nullptr;
    EXPECT_FALSE(keys.inPlaceEditOpen());
}

TEST_F(InPlaceEditing, UsesTheSystemGeneralFont)
{
    EXPECT_EQ(edit->font(), QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

} // namespace
} // namespace rz
