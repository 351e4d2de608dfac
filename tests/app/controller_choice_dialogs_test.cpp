// The program's controller choices: "Select a controller" and "Filter
// events..." as song code asks for them, over the main frame.

#include "tests/app/app_test_fixture.h"
#include "modal_dialog.h"
#include "core/edit_dialogs.h"
#include "dialogs/filter_events_dlg.h"
#include "dialogs/select_controller_dlg.h"

#include <QCheckBox>
#include <QComboBox>

namespace rz {
namespace {

class ControllerChoiceDialogs : public AppFixture {
protected:
    CSongDoc& currentSong()
    {
        start();
        CSongDoc& song = addSong("A");
        app->SetCurrentSong(&song);
        return song;
    }
};

TEST_F(ControllerChoiceDialogs, SelectControllerAnswersTheChosenKindOrNothingOnCancel)
{
    CSongDoc& song = currentSong();
    IEditDialogs* dialogs = song.context().editDialogs;
    ASSERT_NE(dialogs, nullptr);
    ASSERT_TRUE(dialogs->has(EditDialog::SelectController));
    std::optional<int> chosen;
    bool overFrame = false;
    EXPECT_TRUE(answerModal<CSelectControllerDlg>([&] { chosen = dialogs->selectController(song, -1, 0xE3); },
                                                  [&](CSelectControllerDlg& dialog) {
                                                      overFrame = dialog.parentWidget() == app->frame();
                                                      EXPECT_EQ(dialog.list()->currentText(), "Pitch (224)");
                                                      dialog.list()->setCurrentIndex(
                                                          dialog.list()->findText("Volume (7)"));
                                                      dialog.accept();
                                                  }));
    EXPECT_TRUE(overFrame);
    EXPECT_EQ(chosen, 0x07B0);
    EXPECT_TRUE(answerModal<CSelectControllerDlg>([&] { chosen = dialogs->selectController(song, -1, 0xE3); },
                                                  [](CSelectControllerDlg& dialog) { dialog.reject(); }));
    EXPECT_EQ(chosen, std::nullopt);
}

TEST_F(ControllerChoiceDialogs, FilterEventsWritesTheFilterOnlyOnOk)
{
    CSongDoc& song = currentSong();
    IEditDialogs* dialogs = song.context().editDialogs;
    ASSERT_TRUE(dialogs->has(EditDialog::FilterEvents));
    uint16_t mask = 0x0A00;
    int32_t controller = -1;
    bool answered = false;
    EXPECT_TRUE(answerModal<CFilterEventsDlg>(
        [&] { answered = dialogs->filterEvents(song, -1, mask, controller); },
        [](CFilterEventsDlg& dialog) {
            dialog.kindBox(0)->setChecked(false); // notes
            dialog.controllerCombo()->setCurrentIndex(dialog.controllerCombo()->findText("Volume (7)"));
            dialog.accept();
        }));
    EXPECT_TRUE(answered);
    EXPECT_EQ(mask, 0x0800);
    EXPECT_EQ(controller, 7);
    EXPECT_TRUE(answerModal<CFilterEventsDlg>(
        [&] { answered = dialogs->filterEvents(song, -1, mask, controller); },
        [](CFilterEventsDlg& dialog) {
            dialog.kindBox(2)->setChecked(false);
            dialog.reject();
        }));
    EXPECT_FALSE(answered);
    EXPECT_EQ(mask, 0x0800);
    EXPECT_EQ(controller, 7);
}

} // namespace
} // namespace rz
