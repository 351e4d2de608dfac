// "Select a controller" and "Filter events...": the lists they offer, from
// the track's synthesizer or the built-in names, and what they answer.

#include "dialogs/copy_perc_schema_dlg.h"
#include "dialogs/filter_events_dlg.h"
#include "dialogs/select_controller_dlg.h"

#include "tests/dialogs/track_props_fixture.h"
#include "tests/support/fake_drum_schema_tree.h"
#include "tests/support/qt/modal_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>

#include <gtest/gtest.h>

namespace rz {
namespace {

std::vector<int> dataOf(const QComboBox* combo)
{
    std::vector<int> data;
    for (int i = 0; i < combo->count(); ++i)
        data.push_back(combo->itemData(i).toInt());
    return data;
}

bool holds(const std::vector<int>& data, int value)
{
    return std::find(data.begin(), data.end(), value) != data.end();
}

class SmallDialogs : public testing::Test {
protected:
    static void typeInto(QComboBox* combo, const QString& text)
    {
        QLineEdit* field = combo->lineEdit();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    }
    static void showActive(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    TrackDialogSong s;
};

TEST_F(SmallDialogs, WithNoTrackTheFilterListsTheBuiltInNamesAndAll)
{
    CFilterEventsDlg dialog(*s.song, -1, 0x0800, -1);
    const std::vector<int> data = dataOf(dialog.controllerCombo());
    for (const int left : {0, 6, 32, 38, 98, 99, 100, 101})
        EXPECT_FALSE(holds(data, left)) << left;
    for (const int offered : {1, 7, 10, 64, 91})
        EXPECT_TRUE(holds(data, offered)) << offered;
    EXPECT_EQ(dialog.controllerCombo()->currentText(), "All");
    EXPECT_EQ(dialog.controllerCombo()->currentData().toInt(), -1);
    EXPECT_TRUE(dialog.controllerCombo()->isEnabled());
    dialog.kindBox(kControllersBox)->setChecked(false);
    EXPECT_FALSE(dialog.controllerCombo()->isEnabled());
}

TEST_F(SmallDialogs, TheFilterStoresTheCheckedKindsAndTheController)
{
    const struct {
        const char* typed;
        int32_t controller;
    } cases[] = {{"0", -1}, {"200", -1}, {"7", 7}, {"Pan (10)", 10}, {"abc", -1}};
    for (const auto& c : cases) {
        CFilterEventsDlg dialog(*s.song, -1, 0x0A00, 64);
        showActive(dialog);
        EXPECT_EQ(dialog.controllerCombo()->currentData().toInt(), 64);
        if (std::string(c.typed).find('(') != std::string::npos)
            dialog.controllerCombo()->setCurrentIndex(dialog.controllerCombo()->findText(c.typed));
        else
            typeInto(dialog.controllerCombo(), c.typed);
        dialog.accept();
        EXPECT_EQ(dialog.controller(), c.controller) << c.typed;
        EXPECT_EQ(dialog.mask(), 0x0A00);
    }
    CFilterEventsDlg cleared(*s.song, 1, 0xFFFF, 7);
    for (size_t i = 0; i < kEventKindBoxes.size(); ++i)
        cleared.kindBox(i)->setChecked(false);
    cleared.accept();
    EXPECT_EQ(cleared.mask(), 0);
    EXPECT_EQ(cleared.controller(), 7); // not filtering controllers: left as it was
}

TEST_F(SmallDialogs, SelectControllerPreselectsTheKindAndAnswersItsValue)
{
    CSelectControllerDlg pitch(*s.song, -1, 0xE5);
    EXPECT_EQ(pitch.list()->currentText(), "Pitch (224)");
    EXPECT_EQ(pitch.kindValue(), 0xE0);
    EXPECT_NE(pitch.list()->findText("Pressure (208)"), -1);
    const std::vector<int> data = dataOf(pitch.list());
    EXPECT_FALSE(holds(data, 98));
    EXPECT_FALSE(holds(data, 6));

    CSelectControllerDlg dialog(*s.song, -1, 0x0AB3);
    EXPECT_EQ(dialog.list()->currentText(), "Pan (10)");
    dialog.list()->setCurrentIndex(dialog.list()->findText("Volume (7)"));
    EXPECT_EQ(dialog.kindValue(), 0x07B0);

    CSelectControllerDlg unknown(*s.song, -1, 0x90);
    EXPECT_EQ(unknown.list()->currentIndex(), -1);
    EXPECT_EQ(unknown.kindValue(), 0x90); // nothing chosen: the value stays
}

TEST_F(SmallDialogs, SelectControllerNamesTheTracksSynthByItemData)
{
    s.synths.ccNames[{kNormalSynth, 1}] = "Modulation (MSB)";
    s.synths.ccNames[{kNormalSynth, 7}] = "1. Volume";
    s.song->tracks[1]->synth = kNormalSynth;
    s.fixture.trackRows.selected = {1};
    CSelectControllerDlg dialog(*s.song, -1, 0x07B0);
    EXPECT_EQ(dialog.list()->currentText(), "Volume (7)");
    dialog.list()->setCurrentIndex(dialog.list()->findText("Modulation (MSB) (1)"));
    EXPECT_EQ(dialog.kindValue(), 0x01B0);
    EXPECT_EQ(dialog.list()->count(), 4); // the two names, pitch and pressure
}

TEST_F(SmallDialogs, CopySchemaOkIsDisabledOnATopItemAndEnabledOnAChild)
{
    FakeDrumSchemaTree schema;
    schema.synths = {{"General MIDI", {{"Bank 0 (0/0), PC1: Standard", {}}}},
                     {"Module", {{"Bank 0 (0/0), PC1: Kit", {}}, {"Bank 0 (0/0), PC9: Room", {}}}},
                     {"Empty", {}}};
    CCopyPercSchemaDlg dialog(schema);
    QTreeWidget* tree = dialog.tree();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "Module");
    ASSERT_EQ(tree->topLevelItem(1)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(1)->child(1)->text(0), "Bank 0 (0/0), PC9: Room");
    EXPECT_EQ(tree->topLevelItem(2)->childCount(), 0);
    EXPECT_FALSE(dialog.okButton()->isEnabled());

    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_EQ(dialog.chosen(), std::nullopt);
    tree->setCurrentItem(tree->topLevelItem(1)->child(1));
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_EQ(dialog.chosen(), (DrumSetRef{1, 1}));
    tree->setCurrentItem(tree->topLevelItem(0));
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_EQ(dialog.chosen(), std::nullopt);

    // Modally: OK answers the set, Cancel nothing.
    for (const bool ok : {true, false}) {
        std::optional<DrumSetRef> picked{DrumSetRef{9, 9}};
        ASSERT_TRUE(answerModal<CCopyPercSchemaDlg>([&] { picked = pickSchemaSource(schema, nullptr); },
                                                    [&](CCopyPercSchemaDlg& shown) {
                                                        shown.tree()->setCurrentItem(shown.tree()->topLevelItem(0)->child(0));
                                                        ok ? shown.okButton()->click() : shown.reject();
                                                    }));
        EXPECT_EQ(picked, ok ? std::optional<DrumSetRef>(DrumSetRef{0, 0}) : std::nullopt) << ok;
    }
}

} // namespace
} // namespace rz
