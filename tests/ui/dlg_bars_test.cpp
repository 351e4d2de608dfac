#include "app/dlg_bars.h"
#include "scripted_target.h"

#include <QAction>
#include <QDialog>
#include <QLabel>

#include <gtest/gtest.h>

namespace rz {
namespace {

class DlgBars : public testing::Test {
protected:
    DlgBars()
    {
        dialogTarget.accepts(61478).accepts(61479).updates(61479, disabledUi());
        CmdUi checked;
        checked.checked = true;
        dialogTarget.accepts(61480).updates(61480, checked);
    }

    std::vector<std::string> log;
    ScriptedTarget dialogTarget{"dialog", log};
    QDialog dialog;
};

TEST_F(DlgBars, DlgToolBarAsksTheDialogsOwnTarget)
{
    auto* bar = new DlgToolBar(dialogTarget, &dialog);
    QAction* save = bar->addCommand(61478, QIcon(), "Save");
    QAction* remove = bar->addCommand(61479, QIcon(), "Delete");
    QAction* import = bar->addCommand(61480, QIcon(), "Import");
    QAction* unknown = bar->addCommand(61481, QIcon(), "Export");
    dialog.show();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_TRUE(import->isChecked());
    EXPECT_FALSE(unknown->isEnabled()); // no handler in the dialog
    save->trigger();
    remove->trigger(); // disabled: runs nothing even when triggered
    EXPECT_EQ(log, std::vector<std::string>{"dialog:61478"});
}

TEST_F(DlgBars, DlgToolBarSkipsTheUpdateWhileHidden)
{
    auto* bar = new DlgToolBar(dialogTarget, &dialog);
    QAction* remove = bar->addCommand(61479, QIcon(), "Delete");
    bar->updateNow();
    EXPECT_TRUE(remove->isEnabled());
}

TEST_F(DlgBars, DlgStatusBarShowsEnabledPanesOnly)
{
    CmdUi text;
    text.text = "Bar 12";
    dialogTarget.accepts(59137).updates(59137, text);
    auto* bar = new DlgStatusBar(dialogTarget, &dialog);
    QLabel* position = bar->addPane(59137, "");
    QLabel* off = bar->addPane(61479, "Deleting");
    dialog.show();
    EXPECT_EQ(position->text(), "Bar 12");
    EXPECT_EQ(off->text(), "");
}

} // namespace
} // namespace rz
