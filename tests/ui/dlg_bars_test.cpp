#include "res/command_ids.h"
#include "scripted_target.h"
#include "ui/dlg_bars.h"

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
        dialogTarget.accepts(kIdSaveMap).accepts(kIdDeleteMap).updates(kIdDeleteMap, disabledUi());
        CmdUi checked;
        checked.checked = true;
        dialogTarget.accepts(kIdImportMaps).updates(kIdImportMaps, checked);
    }

    std::vector<std::string> log;
    ScriptedTarget dialogTarget{"dialog", log};
    QDialog dialog;
};

TEST_F(DlgBars, DlgToolBarAsksTheDialogsOwnTarget)
{
    auto* bar = new DlgToolBar(dialogTarget, &dialog);
    QAction* save = bar->addCommand(kIdSaveMap, QIcon(), "Save");
    QAction* remove = bar->addCommand(kIdDeleteMap, QIcon(), "Delete");
    QAction* import = bar->addCommand(kIdImportMaps, QIcon(), "Import");
    QAction* unknown = bar->addCommand(kIdExportMaps, QIcon(), "Export");
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
    QAction* remove = bar->addCommand(kIdDeleteMap, QIcon(), "Delete");
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
    QLabel* off = bar->addPane(kIdDeleteMap, "Deleting");
    dialog.show();
    EXPECT_EQ(position->text(), "Bar 12");
    EXPECT_EQ(off->text(), "");
}

} // namespace
} // namespace rz
