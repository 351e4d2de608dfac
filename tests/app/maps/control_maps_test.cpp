// External control maps: typed keys, entry order, row texts, learning, and
// what OK gives the program.
#include "app/engine_calls.h"
#include "app/maps/control_map_entry.h"
#include "app/maps/control_maps_dialog.h"
#include "app/maps/map_store.h"
#include "tests/app/app_test_fixture.h"
#include "tests/support/qt/modal_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QPushButton>
#include <QTreeWidget>

namespace rz {
namespace {

TEST(ControlMaps, TypedKeyTexts)
{
    struct Case {
        const char* text;
        std::optional<int> key;
    };
    const Case cases[] = {
        {"F#4", 66}, {"Bb3", 58}, {"60", 60}, {"C-1", 0}, {"", 0}, {"  c4", 60}, {"Ex2", 42},
        {"D'5", 72}, {"A", 9},    {"G#9", std::nullopt}, {"Cb", std::nullopt},
        {"200", std::nullopt}, {"H3", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseKeyText(c.text), c.key) << '"' << c.text << '"';
}

TEST(ControlMaps, EntriesGroupByDeviceChannelControllerKeyAction)
{
    const ControlMapEntry inOrder[] = {
        {46, 127, 127, 15, 0}, {1, 0, 0, 0, 1},  {2, 0, 0, 0, 1}, {1, 1, 0, 0, 1},
        {1, 0, 1, 0, 1},       {1, 0, 0, 1, 1},  {0, 0, 0, 0, 2},
    };
    KeyMap map;
    for (const size_t i : {6, 3, 0, 5, 1, 4, 2})
        insertControlEntry(map, packControlEntry(inOrder[i]));
    ASSERT_EQ(map.size(), 7u);
    for (size_t i = 0; i < map.size(); ++i)
        EXPECT_EQ(unpackControlEntry(map[i]), inOrder[i]) << i;
}

TEST(ControlMaps, RowTextsAndTheOkRule)
{
    const std::vector<std::string> ports{"Keyboard", "Pedals"};
    const ControlEntryRow note =
        formatControlEntry(packControlEntry({12, 66, 7, 4, 1}), ports);
    EXPECT_EQ(note.action, "Next song");
    EXPECT_EQ(note.port, "Pedals");
    EXPECT_EQ(note.channel, "5");
    EXPECT_EQ(note.controller, "Volume (7)");
    EXPECT_EQ(note.key.rfind("F#4", 0), 0u) << note.key;
    const ControlEntryRow program =
        formatControlEntry(packControlEntry({2, 5, kProgramTrigger, 0, 3}), ports);
    EXPECT_EQ(program.port, "(device 3)");
    EXPECT_EQ(program.controller, "Patch (program)");
    EXPECT_EQ(program.key, "5");
    EXPECT_EQ(formatControlEntry(packControlEntry({4, 0, 64, 0, 0}), ports).key, "<None>");

    EXPECT_FALSE(controlEntryComplete({0, 60, 0, 0, 0})) << "no action";
    EXPECT_FALSE(controlEntryComplete({4, 0, 0, 0, 0})) << "no trigger";
    EXPECT_TRUE(controlEntryComplete({4, 0, 64, 0, 0}));
    EXPECT_TRUE(controlEntryComplete({4, 60, 0, 0, 0}));
}

TEST(ControlMaps, LearningTakesTriggerPortAndChannel)
{
    ControlMapEntry entry{12, 0, 0, 0, 0};
    EXPECT_TRUE(learnControlMessage(entry, 2, 0x643C94));
    EXPECT_EQ(entry, (ControlMapEntry{12, 60, 0, 4, 2}));
    EXPECT_TRUE(learnControlMessage(entry, 1, 0x0705C0));
    EXPECT_EQ(entry, (ControlMapEntry{12, 5, kProgramTrigger, 0, 1}));
    EXPECT_FALSE(learnControlMessage(entry, 3, 0x4000E0)) << "pitch bend is no trigger";
    EXPECT_EQ(entry.device, 1);
}

class ControlMapsApp : public AppFixture {
protected:
    void SetUp() override { start(); }
};

TEST_F(ControlMapsApp, OkStoresEveryMapWholeAndSwitchesControl)
{
    std::vector<uint8_t> long_;
    for (uint32_t i = 0; i < 140; ++i)
        for (const uint8_t b : {uint8_t(12), uint8_t(i % 128), uint8_t(0), uint8_t(i / 128)})
            long_.push_back(b);
    const std::vector<NamedMap> maps{{"MIDI", {}}, {"Stage", long_}};
    app->commands().maps->applyControlMaps(maps, "Stage", false);
    EXPECT_FALSE(published.externalControlOn());
    ControlMapStore store(profile);
    EXPECT_EQ(store.readMaps().size(), 2u);
    EXPECT_EQ(store.useWhich(), "Stage");
    EXPECT_TRUE(store.selectedMap().empty()) << "off";
    app->commands().maps->applyControlMaps(maps, "Stage", true);
    EXPECT_TRUE(published.externalControlOn());
    EXPECT_EQ(store.selectedMap().size(), 140u) << "more than 128 entries read back whole";
}

TEST_F(ControlMapsApp, LearningRunsWhileALearnerIsSet)
{
    std::vector<std::pair<int, uint32_t>> heard;
    app->commands().maps->setControlMapLearner([&](int device, uint32_t message) {
        heard.emplace_back(device, message);
    });
    EXPECT_TRUE(published.controlMapLearning());
    app->engineCalls().LearnMidi(2, 0x643C94);
    app->commands().maps->setControlMapLearner({});
    EXPECT_FALSE(published.controlMapLearning());
    app->engineCalls().LearnMidi(1, 0x643C90);
    EXPECT_EQ(heard, (std::vector<std::pair<int, uint32_t>>{{2, 0x643C94}}));
}

} // namespace
} // namespace rz

namespace rz {
namespace {

TEST_F(ControlMapsApp, TheEntryDialogLearnsWhileOpenAndTakesTypedKeys)
{
    {
        CControlMapEntryDlg dialog(*app->commands().maps, ControlMapEntry{12, 0, 0, 0, 0},
                                   {"Keys", "Pads", "Pedals"}, nullptr);
        EXPECT_TRUE(published.controlMapLearning());
        EXPECT_FALSE(dialog.okButton()->isEnabled()) << "no trigger yet";
        app->engineCalls().LearnMidi(2, 0x643C94); // note-on 60, channel 5, input 2
        EXPECT_EQ(dialog.entry(), (ControlMapEntry{12, 60, 0, 4, 2}));
        EXPECT_TRUE(dialog.okButton()->isEnabled());
        dialog.typeKey("G#9");
        EXPECT_EQ(dialog.entry().key, 60) << "128 is ignored";
        dialog.typeKey("Bb3");
        EXPECT_EQ(dialog.entry().key, 58);
    }
    EXPECT_FALSE(published.controlMapLearning()) << "cleared on close";
}

TEST_F(ControlMapsApp, TheDialogOffersMidiKeepsEntriesInOrderAndSaves)
{
    CControlMapsDlg dialog(*app->commands().maps, nullptr);
    EXPECT_EQ(dialog.mapCombo()->currentText(), "MIDI");
    std::vector<ControlMapEntry> answers{{7, 62, 0, 0, 1}, {12, 60, 0, 0, 0}, {3, 61, 0, 0, 1}};
    dialog.editEntryDialog = [&](const ControlMapEntry&) {
        const ControlMapEntry next = answers.front();
        answers.erase(answers.begin());
        return std::optional(next);
    };
    for (int i = 0; i < 3; ++i)
        dialog.addEntry();
    ASSERT_EQ(dialog.entryList()->topLevelItemCount(), 3);
    EXPECT_EQ(dialog.entryList()->topLevelItem(0)->text(0), "Next song");
    EXPECT_EQ(dialog.entryList()->topLevelItem(1)->text(1), "(device 1)");
    EXPECT_EQ(dialog.entryList()->topLevelItem(2)->text(0), "Previous song");
    dialog.SaveMaps();
    const KeyMap stored = ControlMapStore(profile).selectedMap();
    EXPECT_EQ(stored, (KeyMap{packControlEntry({12, 60, 0, 0, 0}), packControlEntry({3, 61, 0, 0, 1}),
                              packControlEntry({7, 62, 0, 0, 1})}));
}

// Add on a new map, as a user works the entry dialog: an action picked, a
// key typed into the empty key field, OK clicked.
TEST_F(ControlMapsApp, AddTakesAnEntryTypedAndClickedInTheEntryDialog)
{
    CControlMapsDlg dialog(*app->commands().maps, nullptr);
    dialog.show();
    ASSERT_TRUE(dialog.addButton()->isEnabled());
    QString keyShown;
    const bool shown = answerModal<CControlMapEntryDlg>(
        [&] { QTest::mouseClick(dialog.addButton(), Qt::LeftButton); },
        [&](CControlMapEntryDlg& entry) {
            entry.actionCombo()->setCurrentIndex(12);
            keyShown = entry.keyEdit()->text();
            entry.keyEdit()->setFocus();
            QTest::keyClicks(entry.keyEdit(), "C4");
            QTest::mouseClick(entry.okButton(), Qt::LeftButton);
            if (entry.isVisible())
                entry.reject();
        });
    ASSERT_TRUE(shown);
    EXPECT_EQ(keyShown, "") << "no key shows as the placeholder, not as text";
    ASSERT_EQ(dialog.entryList()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.entryList()->topLevelItem(0)->text(0), "Next song");
    EXPECT_TRUE(dialog.entryList()->topLevelItem(0)->text(4).startsWith("C4"));
}

} // namespace
} // namespace rz
