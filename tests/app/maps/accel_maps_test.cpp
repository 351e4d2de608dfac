// Keyboard accelerator maps: the profile's store, the dialog's rules and
// what OK installs.
#include "app/maps/accel_maps_dialog.h"
#include "app/maps/map_store.h"
#include "res/command_ids.h"
#include "tests/app/app_test_fixture.h"
#include "ui/command_router.h"
#include "ui/key_filter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace rz {
namespace {

std::vector<uint8_t> records(size_t count, uint16_t command)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t key = uint16_t(0x70 + i % 12); // F1..F12
        for (const uint8_t b : {uint8_t(1), uint8_t(0), uint8_t(key), uint8_t(0),
                                uint8_t(command), uint8_t(command >> 8)})
            bytes.push_back(b);
    }
    return bytes;
}

TEST(AccelMaps, DefaultIsTheBuiltInMapWhateverTheProfileHolds)
{
    MemoryProfile profile;
    profile.writeBinary("AccelMap4", "Default", records(2, kIdRecord));
    const std::vector<NamedMap> maps = AccelMapStore(profile).readMaps();
    const auto at = findMap(maps, "Default");
    ASSERT_TRUE(at);
    EXPECT_EQ(maps[*at].records, AccelTable::defaultMap().toBytes());
    MemoryProfile empty;
    EXPECT_EQ(findMap(AccelMapStore(empty).readMaps(), "Default"), 0u)
        << "present before anything is stored";
}

TEST(AccelMaps, CtrlAltSIsFlags25OfTheBuiltInMap)
{
    const AccelTable builtIn = AccelTable::defaultMap();
    const auto& all = builtIn.records();
    const auto record = std::find_if(all.begin(), all.end(),
                                     [](const AccelRecordData& r) { return r.key == 0x53
                                                                           && r.flags == 25; });
    ASSERT_NE(record, all.end());
    EXPECT_EQ(record->command, 32817);
    EXPECT_EQ(AccelTable::defaultMap().find(KeyStroke{0x53, kKeyCtrl | kKeyAlt}), 32817u);
}

TEST(AccelMaps, EnableRulesProtectTheBuiltInMap)
{
    const std::vector<NamedMap> maps{{"Default", {}}, {"Live", {}}};
    struct Case {
        const char* typed;
        int selected;
        AccelMapButtons expected;
    };
    const Case cases[] = {
        {"", 1, {false, false, false, false, false}},
        {"Default", 1, {false, false, false, false, false}},
        {"live", 0, {false, true, true, false, false}},
        {"Live", 1, {false, true, true, true, true}},
        {"Live", 2, {false, true, true, false, true}},
        {"Rehearsal", 1, {true, false, false, false, false}},
    };
    for (const Case& c : cases) {
        const AccelMapButtons b = accelMapButtons(maps, c.typed, c.selected);
        EXPECT_EQ(std::tuple(b.saveMap, b.deleteMap, b.add, b.edit, b.remove),
                  std::tuple(c.expected.saveMap, c.expected.deleteMap, c.expected.add,
                             c.expected.edit, c.expected.remove))
            << c.typed << " with " << c.selected << " rows";
    }
}

class AccelMapsApp : public AppFixture {
protected:
    void SetUp() override
    {
        start();
        CSongDoc& song = addSong("A");
        app->SetCurrentSong(&song);
        app->router().addExecutedListener([this](CommandId id) { ran.push_back(id); });
    }

    // A key press as the window system delivers it to the main window.
    void pressCtrlR()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_R, Qt::ControlModifier, "\x12");
        QApplication::sendEvent(app->frame(), &press);
    }

    std::vector<CommandId> ran;
};

TEST_F(AccelMapsApp, AMapOf150RecordsSurvivesOkAndAFreshRead)
{
    const std::vector<NamedMap> maps{{"Default", AccelTable::defaultMap().toBytes()},
                                     {"Long", records(150, kIdRecord)}};
    app->commands().maps->applyAccelMaps(maps, "Long", true);
    EXPECT_EQ(app->keyFilter().table().records().size(), 150u);
    AccelMapStore store(profile);
    const std::vector<NamedMap> read = store.readMaps();
    const auto at = findMap(read, "Long");
    ASSERT_TRUE(at);
    EXPECT_EQ(read[*at].records.size(), 900u);
    EXPECT_EQ(store.useWhich(), "Long");
    EXPECT_EQ(store.selectedTable().records().size(), 150u);
}

TEST_F(AccelMapsApp, AfterOkTheSelectedMapRunsItsKeysAndDisabledRunsNone)
{
    const std::vector<NamedMap> maps{{"Default", AccelTable::defaultMap().toBytes()},
                                     {"Mine", {9, 0, 'R', 0, 0x48, 0x80}}}; // Ctrl+R
    app->commands().maps->applyAccelMaps(maps, "Mine", true);
    pressCtrlR();
    EXPECT_EQ(ran, std::vector<CommandId>{kIdRecord});
    EXPECT_TRUE(engine.log.contains("Record()"));

    ran.clear();
    app->commands().maps->applyAccelMaps(maps, "Mine", false);
    EXPECT_EQ(profile.readInt("AccelMap4", "Enabled", 1), 0);
    pressCtrlR();
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(AccelMapStore(profile).selectedTable().empty());
}

} // namespace
} // namespace rz

namespace rz {
namespace {

TEST_F(AccelMapsApp, TheKeyCaptureTakesCtrlAltSAndSwallowsModifiersAlone)
{
    CTypeCommandDlg capture(nullptr);
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_FALSE(capture.takeKey(alt));
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_FALSE(capture.takeKey(shift));
    QKeyEvent keyS(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(capture.takeKey(keyS));
    ASSERT_TRUE(capture.typed());
    EXPECT_EQ(capture.typed()->flags, 25);
    EXPECT_EQ(capture.typed()->key, 0x53);

    CAccelEntryDlg entry(AccelRecordData{kAccelVirtualKey, 0, uint16_t(kIdPlay)}, nullptr);
    entry.captureKey = [&] { return capture.typed(); };
    entry.setToNextCommandTyped();
    const AccelRecordData record = entry.record();
    EXPECT_EQ(std::tuple(int(record.flags), int(record.key), int(record.command)),
              std::tuple(25, 0x53, int(kIdPlay)));
}

TEST_F(AccelMapsApp, TheDialogCopiesAMapAddsAnEntryAndOkStoresIt)
{
    CAccelMapsDlg dialog(*app->commands().maps, nullptr);
    EXPECT_EQ(dialog.mapCombo()->currentText(), "Default");
    EXPECT_FALSE(dialog.addButton()->isEnabled()) << "Default cannot be edited";
    dialog.mapCombo()->setEditText("Stage");
    ASSERT_TRUE(dialog.onSaveMap(kIdSaveMap));
    EXPECT_EQ(dialog.mapCombo()->currentText(), "Stage");
    EXPECT_EQ(dialog.entryList()->topLevelItemCount(), 81);
    EXPECT_TRUE(dialog.addButton()->isEnabled());
    dialog.editRecord = [](const AccelRecordData&) {
        return std::optional(AccelRecordData{9, 'R', uint16_t(kIdRecord)});
    };
    dialog.addEntry();
    ASSERT_EQ(dialog.entryList()->topLevelItemCount(), 82);
    EXPECT_EQ(dialog.entryList()->topLevelItem(81)->text(1), "Ctrl+R");
    EXPECT_TRUE(dialog.entryList()->topLevelItem(81)->isSelected());
    dialog.accept();
    EXPECT_EQ(profile.readString("AccelMap4", "UseWhich", ""), "Stage");
    EXPECT_EQ(AccelMapStore(profile).selectedTable().records().size(), 82u);
    EXPECT_EQ(app->keyFilter().table().records().size(), 82u);
}

TEST_F(AccelMapsApp, CancelWritesNothing)
{
    const std::vector<IProfile::ValueName> before = profile.valueNames("AccelMap4");
    CAccelMapsDlg dialog(*app->commands().maps, nullptr);
    dialog.mapCombo()->setEditText("Stage");
    dialog.onSaveMap(kIdSaveMap);
    dialog.reject();
    EXPECT_EQ(profile.valueNames("AccelMap4").size(), before.size());
    EXPECT_FALSE(profile.readBinary("AccelMap4", "Stage"));
}

// The map's rows as the dialog first shows them: each command's name and
// its key side by side inside the list, neither cut.
TEST_F(AccelMapsApp, EachCommandShowsBesideItsKey)
{
    CAccelMapsDlg dialog(*app->commands().maps, nullptr);
    dialog.show();
    QApplication::processEvents();
    QTreeWidget* list = dialog.entryList();
    ASSERT_GT(list->topLevelItemCount(), 0);
    const QRect inside = list->viewport()->rect();
    for (int row = 0; row < std::min(list->topLevelItemCount(), 20); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        for (int column = 0; column < 2; ++column) {
            const QRect cell = list->visualRect(list->indexFromItem(item, column));
            EXPECT_TRUE(cell.left() >= inside.left() && cell.right() <= inside.right())
                << "row " << row << " column " << column << " lies outside the list";
            EXPECT_LE(list->fontMetrics().horizontalAdvance(item->text(column)), cell.width())
                << item->text(column).toStdString() << " is cut";
        }
    }
}

} // namespace
} // namespace rz
