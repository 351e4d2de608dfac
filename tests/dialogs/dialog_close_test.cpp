// A dialog destroyed while it is up and a field holds the focus: the field's
// focus-out handler must not run on the half-destroyed dialog.

#include "dialogs/insert_cc_dlg.h"
#include "dialogs/insert_tempo_dlg.h"
#include "dialogs/insert_time_dlg.h"
#include "dialogs/move_dlg.h"
#include "dialogs/song_props_dlg.h"
#include "dialogs/time_pos_ctrl.h"
#include "tests/dialogs/dialog_controls.h"
#include "tests/dialogs/dialog_song.h"
#include "tests/song/song_builder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace rz {
namespace {

struct CloseCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>(CSongDoc&)> make;
    // The field left holding the focus, typed into; the dialog is shown.
    std::function<QLineEdit*(QDialog&)> field;
};

QLineEdit* named(QDialog& dialog, const char* name)
{
    return child<QLineEdit>(dialog, name);
}

const CloseCase kCases[] = {
    {"Move's target time",
     [](CSongDoc& song) { return std::make_unique<CMoveDlg>(song, 0); },
     [](QDialog& dialog) {
         child<QAbstractButton>(dialog, "absolute1037")->click();
         return static_cast<QLineEdit*>(
             child<CTimePosCtrl>(dialog, "target1155")->field(TimeField::Measure));
     }},
    {"controller series value",
     [](CSongDoc& song) { return std::make_unique<CInsertCCDlg>(song); },
     [](QDialog& dialog) { return named(dialog, "value1005"); }},
    {"tempo's beats per minute",
     [](CSongDoc& song) { return std::make_unique<CInsertTempoDlg>(song); },
     [](QDialog& dialog) { return named(dialog, "startBpm1024"); }},
    {"Insert Time's count",
     [](CSongDoc& song) { return std::make_unique<CInsertTimeDlg>(song); },
     [](QDialog& dialog) { return named(dialog, "count1006"); }},
    {"song's tempo",
     [](CSongDoc& song) { return std::make_unique<CSongPropsDlg>(song); },
     [](QDialog& dialog) {
         child<QAbstractButton>(dialog, "specify1381")->setChecked(true);
         return named(dialog, "tempo1024");
     }},
};

TEST(DialogClose, ADialogDestroyedWhileAFieldHasTheFocusRunsNoHandlerOfIt)
{
    for (const CloseCase& c : kCases) {
        SCOPED_TRACE(c.name);
        DialogSong s(480, {{4, 4, 1}, {4, 4, 2}});
        test::addUserTrack(*s.song).name = "Piano";
        std::unique_ptr<QDialog> dialog = c.make(*s.song);
        showActive(*dialog);
        QLineEdit* field = c.field(*dialog);
        ASSERT_NE(field, nullptr);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "2");
        ASSERT_TRUE(field->hasFocus());
        bool fieldGone = false;
        QObject::connect(field, &QObject::destroyed, [&] { fieldGone = true; });
        dialog.reset();
        EXPECT_TRUE(fieldGone);
    }
}

} // namespace
} // namespace rz
