// The expression text and wedge dialogs: how a dynamic mark is stored and
// shown, and how the wedge keeps its end after its begin.

#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "staff/expression_text_dlg.h"
#include "staff/wedge_dlg.h"
#include "tests/staff/dialogs/notation_dialogs_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST_F(NotationDialogs, ExpressionTextIsStoredAsTheMarkNumberAndShownAsItsLetters)
{
    struct Case {
        const char* stored; // what the marker holds
        const char* shown;  // what the dialog shows
        const char* typed;  // typed over it
        const char* result; // what OK stores
    };
    const Case cases[] = {
        {"6", "mf", "mf", "6"},
        {"", "", "mf", "6"},
        {"0", "f", "tr", "12"},
        {"13", "13", "13", "13"},
        {"3 times", "3 times", "3 times", "3 times"},
        {"12x", "12x", "fz", "3"},
        {"dolce", "dolce", "MF", "MF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        CExpressionTextDlg dialog(*song, ExpressionTextParams{c.stored, 480, 1});
        EXPECT_EQ(dialog.textEdit()->text().toStdString(), c.shown);
        dialog.textEdit()->setText(c.typed);
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.params().text, c.result);
        EXPECT_EQ(dialog.params().tick, 480);
        EXPECT_EQ(dialog.params().track, 1);
    }
}

TEST_F(NotationDialogs, ExpressionOkNeedsAText)
{
    CExpressionTextDlg dialog(*song, ExpressionTextParams{"", 0, 1});
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    dialog.textEdit()->setText("p");
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    dialog.textEdit()->clear();
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(NotationDialogs, ExpressionPositionComesBackFromTheControl)
{
    CExpressionTextDlg dialog(*song, ExpressionTextParams{"p", 0, 2});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    typeMeasure(dialog.positionCtrl(), "3");
    dialog.accept();
    EXPECT_EQ(dialog.params().tick, 2 * 4 * song->timeBase);
    EXPECT_EQ(dialog.params().track, 2);
}

TEST_F(NotationDialogs, WedgeEndsStayAfterTheirBegins)
{
    const int32_t t = song->timeBase;
    const int32_t bar = 4 * t;
    struct Case {
        const char* name;
        int32_t begin, end;
        bool moveEnd;          // else the begin moves
        const char* measure;   // typed into the moved control
        int32_t wantBegin, wantEnd;
    };
    const Case cases[] = {
        {"end before begin pulls the begin", 3 * bar, 4 * bar, true, "2", bar - t, bar},
        {"end at the start", bar, 2 * bar, true, "1", 0, t},
        {"end after begin moves nothing else", bar, 2 * bar, true, "4", bar, 3 * bar},
        {"begin past the end pushes the end", 0, bar, false, "3", 2 * bar, 2 * bar + t},
        {"begin on the end pushes it too", 0, bar, false, "2", bar, bar + t},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWedgeDlg dialog(*song, WedgeParams{c.begin, c.end, 0, 1});
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        typeMeasure(c.moveEnd ? dialog.endCtrl() : dialog.beginCtrl(), c.measure);
        const WedgeParams p = dialog.params();
        EXPECT_EQ(p.begin, c.wantBegin);
        EXPECT_EQ(p.end, c.wantEnd);
    }
}

TEST_F(NotationDialogs, WedgeDirectionIsTheCheckedWay)
{
    for (const int32_t direction : {0, 1}) {
        CWedgeDlg dialog(*song, WedgeParams{0, 480, direction, 3});
        EXPECT_EQ(dialog.crescendoButton()->isChecked(), direction == 0);
        EXPECT_EQ(dialog.decrescendoButton()->isChecked(), direction == 1);
        EXPECT_EQ(dialog.params().direction, direction);
        (direction == 0 ? dialog.decrescendoButton() : dialog.crescendoButton())->click();
        EXPECT_EQ(dialog.params().direction, 1 - direction);
        EXPECT_EQ(dialog.params().track, 3);
    }
}

} // namespace
} // namespace rz
