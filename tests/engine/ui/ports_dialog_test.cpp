// The Ports dialog offscreen: its tree and list, drops, the tree's menu,
// OK and Cancel, and the Setup command that opens it.

#include "engine/ui/in_port_setup_dlg.h"
#include "engine/ui/port_setup_dlg.h"
#include "engine/ui/ports_dlg.h"
#include "engine/vst_loader.h"
#include "res/command_ids.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/engine/vst_fixture.h"
#include "tests/support/fake_synth_lookup.h"
#include "tests/support/qt/mouse_events.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTabBar>

#include <gtest/gtest.h>

namespace rz {
namespace {

SynthRecord synthNamed(std::string name)
{
    SynthRecord record;
    record.name = std::move(name);
    return record;
}

std::string outputSection(int entry)
{
    return "PortsToUse\\MIDIOUT\\" + std::to_string(entry);
}

class PortsDialog : public SequencerTest {
protected:
    // An engine whose instrument ports load VST instruments with editors.
    void makeWithVst()
    {
        sequencer = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                   .prompt = prompt,
                                                                   .gui = gui,
                                                                   .toGui = posts,
                                                                   .devices = devices,
                                                                   .instruments = vstLoader,
                                                                   .timer = timer,
                                                                   .audio = audio});
        vstHost.attach(sequencer.get());
        sequencer->Init();
    }

    CPortsDlg& open()
    {
        if (!sequencer)
            make().Init();
        dialog = std::make_unique<CPortsDlg>(PortsDialogServices{
            .engine = *sequencer,
            .profile = profile,
            .prompt = prompt,
            .synths = &synths,
            .synthChoices = [] { return std::vector<SynthChoice>{{33, "General MIDI"}, {7, "Module"}}; },
            .currentSong = [this] { return song.get(); },
            .help = nullptr,
        });
        dialog->setPortSetupRunner([this](CPortSetupDlg& setup) {
            setups.push_back(setup.windowTitle().toStdString());
            return answerSetup ? answerSetup(setup) : false;
        });
        return *dialog;
    }

    QTreeWidgetItem* treeItem(const QString& text) const
    {
        const QList<QTreeWidgetItem*> found =
            dialog->tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    std::vector<std::string> listTexts() const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < dialog->list()->count(); ++row)
            texts.push_back(dialog->list()->item(row)->text().toStdString());
        return texts;
    }

    // A drop of `data` on the list's row `row` (-1: below the rows).
    void dropOnList(const char* format, const QByteArray& payload, int row)
    {
        QListWidget* list = dialog->list();
        list->resize(300, 300);
        list->show();
        QPoint at(5, list->viewport()->height() - 2);
        if (row >= 0)
            at = list->visualItemRect(list->item(row)).center();
        QMimeData data;
        data.setData(format, payload);
        dragAndDrop(list->viewport(), at, data);
    }

    // What a drag over `target` ending at `at` delivers: enter, then drop.
    static void dragAndDrop(QWidget* target, QPoint at, const QMimeData& data)
    {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }

    SequencerVstHost vstHost;
    FakeEditorWindows editors;
    VstInstrumentLoader vstLoader{vstHost, &editors};
    FakeSynthLookup synths;
    std::unique_ptr<CPortsDlg> dialog;
    std::vector<std::string> setups;
    std::function<bool(CPortSetupDlg&)> answerSetup;
};

TEST_F(PortsDialog, TheTreeGroupsPortsByKindAndTheListShowsTheNumberedPorts)
{
    devices.addOutput("Built-in synth", true, {}, MidiDeviceKind::InternalSynth);
    devices.addOutput("USB MIDI");
    devices.addInput("Keys");
    profile.writeString("VST\\0", "path", "/opt/vst/a.so");
    profile.writeString(outputSection(0), "port", "Built-in synth");
    profile.writeString(outputSection(1), "port", "Unplugged");
    open();

    ASSERT_TRUE(treeItem("Built-in synth"));
    EXPECT_EQ(treeItem("Built-in synth")->parent()->text(0), "Internal");
    EXPECT_EQ(treeItem("USB MIDI")->parent()->text(0), "External");
    EXPECT_EQ(treeItem("Fake synth")->parent()->text(0), "VST");
    EXPECT_TRUE(treeItem("VST")->isExpanded());
    EXPECT_EQ(listTexts(), (std::vector<std::string>{"0: undefined on Built-in synth",
                                                      "1: undefined on Unplugged"}));

    dialog->tabs()->setCurrentIndex(CPortsDlg::kInputsTab);
    EXPECT_EQ(dialog->tree()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog->tree()->topLevelItem(0)->text(0), "Keys");
    EXPECT_EQ(listTexts(), std::vector<std::string>{"0: Keys"});
}

TEST_F(PortsDialog, ADropOnTheListOpensDeviceSetupForTheNewRecord)
{
    devices.addOutput("Built-in synth");
    devices.addOutput("USB MIDI");
    profile.writeString(outputSection(0), "port", "Built-in synth");
    synths.synths[7] = synthNamed("Module");
    synths.synths[33] = synthNamed("General MIDI");
    open();
    answerSetup = [](CPortSetupDlg& setup) {
        setup.synthCombo()->setCurrentIndex(1);
        setup.drumCheck(9)->setChecked(false);
        setup.drumCheck(0)->setChecked(true);
        setup.accept();
        return true;
    };
    dropOnList(CPortsDlg::kPortMime, "USB MIDI", 0);

    EXPECT_EQ(setups, std::vector<std::string>{"0: USB MIDI"});
    ASSERT_EQ(dialog->model().outputs().size(), 2u);
    EXPECT_EQ(dialog->model().outputs()[0], (NumberedPort{"USB MIDI", 7, 1}));
    EXPECT_EQ(dialog->list()->currentRow(), 0);

    answerSetup = nullptr;
    dropOnList(CPortsDlg::kPortMime, "USB MIDI", -1);
    EXPECT_EQ(dialog->model().outputs().back(), (NumberedPort{"USB MIDI", 33, 512}))
        << "Cancel keeps the defaults and still inserts";
    EXPECT_EQ(dialog->list()->currentRow(), 2);
}

TEST_F(PortsDialog, ADroppedPortWithNoSynthReopensDeviceSetupOnce)
{
    devices.addOutput("Built-in synth");
    devices.addOutput("USB MIDI");
    profile.writeString(outputSection(0), "port", "Built-in synth");
    synths.synths[7] = synthNamed("Module");
    open();

    dropOnList(CPortsDlg::kPortMime, "USB MIDI", -1);
    EXPECT_EQ(listTexts().back(), "1: undefined on USB MIDI");
    EXPECT_EQ(setups, (std::vector<std::string>{"1: USB MIDI", "1: USB MIDI"}))
        << "the second look comes once, though the synth is still undefined";
    EXPECT_EQ(dialog->list()->currentRow(), 1);

    setups.clear();
    answerSetup = [](CPortSetupDlg& setup) {
        setup.synthCombo()->setCurrentIndex(1);
        setup.accept();
        return true;
    };
    dropOnList(CPortsDlg::kPortMime, "USB MIDI", -1);
    EXPECT_EQ(listTexts().back(), "2: Module on USB MIDI");
    EXPECT_EQ(setups, std::vector<std::string>{"2: USB MIDI"}) << "a known synth needs no second look";
}

TEST_F(PortsDialog, RowsMoveWithinTheListAndGoWhenDroppedOnTheTreeOrDeleted)
{
    devices.addOutput("A");
    for (int entry = 0; entry < 3; ++entry)
        profile.writeString(outputSection(entry), "port", std::string(1, char('A' + entry)));
    open();
    dropOnList(CPortsDlg::kRowMime, "2", 0);
    EXPECT_EQ(dialog->model().outputs()[0].name, "C");
    EXPECT_EQ(dialog->list()->currentRow(), 0);

    QMimeData data;
    data.setData(CPortsDlg::kRowMime, "1");
    dialog->tree()->show();
    dragAndDrop(dialog->tree()->viewport(), QPoint(5, 5), data);
    ASSERT_EQ(dialog->model().outputs().size(), 2u);
    EXPECT_EQ(dialog->model().outputs()[1].name, "B");

    dialog->list()->setCurrentRow(0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(dialog->list(), &del);
    ASSERT_EQ(dialog->model().outputs().size(), 1u);
    EXPECT_EQ(dialog->model().outputs()[0].name, "B");
}

TEST_F(PortsDialog, AnInputRowOpensPortSetupOverTheNumberedOutputsAndOkStoresItsThru)
{
    devices.addOutput("Synth");
    devices.addOutput("Drums");
    devices.addInput("Keys");
    devices.addInput("Pads");
    profile.writeString(outputSection(0), "port", "Synth");
    profile.writeString("PortsToUse", "MIDIIN0", "Keys");
    profile.writeString("PortsToUse", "MIDIIN1", "Pads");
    open();
    dropOnList(CPortsDlg::kPortMime, "Drums", -1); // numbered here, not yet saved
    dialog->tabs()->setCurrentIndex(CPortsDlg::kInputsTab);

    std::vector<std::string> opened;
    std::vector<std::string> offered;
    dialog->setInPortSetupRunner([&](CInPortSetupDlg& setup) {
        opened.push_back(setup.windowTitle().toStdString());
        QComboBox* port = setup.portCombo();
        offered.clear();
        for (int i = 0; i < port->count(); ++i)
            offered.push_back(port->itemText(i).toStdString());
        setup.echoBox()->setChecked(true);
        port->setCurrentIndex(1);
        emit port->activated(1);
        setup.accept();
        return true;
    });
    QListWidget* list = dialog->list();
    list->resize(300, 300);
    list->show();
    mouse::doubleClick(list->viewport(), list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(opened, std::vector<std::string>{"Pads"});
    EXPECT_EQ(offered, (std::vector<std::string>{"Synth", "Drums"}));
    EXPECT_EQ(profile.readString("MIDIInPorts", "Pads", "unset"), "Drums");
    EXPECT_EQ(list->currentRow(), 1);

    const QPoint onFirst = list->visualItemRect(list->item(0)).center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, onFirst, list->viewport()->mapToGlobal(onFirst));
    QApplication::sendEvent(list->viewport(), &rightClick);
    EXPECT_EQ(opened, (std::vector<std::string>{"Pads", "Keys"}));
    EXPECT_EQ(profile.readString("MIDIInPorts", "Keys", "unset"), "Drums");
    EXPECT_EQ(list->currentRow(), 0);
    dialog->reject();
    EXPECT_EQ(profile.readString("MIDIInPorts", "Keys", "unset"), "Drums") << "stored whatever the Ports dialog's answer";
}

TEST_F(PortsDialog, OkWritesTheProfileAndCancelNothing)
{
    devices.addOutput("A");
    devices.addOutput("B");
    profile.writeString(outputSection(0), "port", "A");
    open();
    dropOnList(CPortsDlg::kPortMime, "B", -1);
    dialog->reject();
    EXPECT_EQ(profile.readString(outputSection(1), "port", ""), "");

    open();
    dropOnList(CPortsDlg::kPortMime, "B", -1);
    dialog->accept();
    EXPECT_EQ(profile.readString(outputSection(1), "port", ""), "B");
    EXPECT_EQ(profile.readInt(outputSection(1), "synth", 0), 33);
    EXPECT_EQ(sequencer->ports()->outputMap, (std::vector<int>{0, 1}));
    EXPECT_TRUE(output("B").isOpen());
}

TEST_F(PortsDialog, TheTreeMenuFollowsTheItemAndRemoveRebuildsTheTree)
{
    devices.addOutput("USB MIDI");
    profile.writeString("VST\\0", "path", "/opt/vst/a.so");
    open();
    const struct {
        const char* item;
        uint32_t command;
        bool enabled;
    } kCases[] = {
        {"VST", kIdAddInstrument, true},        {"External", kIdAddInstrument, false},
        {"Fake synth", kIdAddInstrument, true}, {"Fake synth", kIdRemoveInstrument, true},
        {"USB MIDI", kIdRemoveInstrument, false}, {"Fake synth", kIdSpawnControlPanel, true},
        {"Fake synth", kIdSaveInstrumentProgram, false}, // no current song
    };
    for (const auto& c : kCases)
        EXPECT_EQ(dialog->treeCommandEnabled(treeItem(c.item), c.command), c.enabled)
            << c.item << " " << c.command;

    prompt.expectYesNo("Are you sure you want to remove Fake synth?", PromptAnswer::Yes);
    dialog->runTreeCommand(treeItem("Fake synth"), kIdRemoveInstrument);
    EXPECT_EQ(treeItem("Fake synth"), nullptr);
    EXPECT_EQ(sequencer->ports()->outputs.size(), 1u);

    prompt.expectOpenPath("Add VST synthesizer...", std::filesystem::path("/opt/vst/b.so"));
    dialog->runTreeCommand(treeItem("VST"), kIdAddInstrument);
    ASSERT_TRUE(treeItem("Fake synth"));
    EXPECT_EQ(treeItem("Fake synth")->parent()->text(0), "VST");
}

TEST_F(PortsDialog, SaveProgramAndControlPanelReachTheInstrument)
{
    const std::string library = vstTestLibrary("vst_test_instrument").string();
    profile.writeString("VST\\0", "path", library);
    makeWithVst();
    makeSong();
    open();
    const QString sine = "Rizoraz Test Sine";
    ASSERT_TRUE(treeItem(sine));
    COutPort& port = *dialog->portOf(treeItem(sine));
    const std::vector<uint8_t> state{4, 5, 6};
    ASSERT_TRUE(port.instrument()->setChunk(state));

    ASSERT_TRUE(dialog->treeCommandEnabled(treeItem(sine), kIdSaveInstrumentProgram));
    dialog->runTreeCommand(treeItem(sine), kIdSaveInstrumentProgram);
    EXPECT_EQ(song->tracks[1]->name, "FXP: Rizoraz Test Sine");
    EXPECT_EQ(song->undoList.back()->label, "Save VST program");

    dialog->runTreeCommand(treeItem(sine), kIdSpawnControlPanel);
    EXPECT_EQ(editors.log.titles, std::vector<std::string>{"Rizoraz Test Sine"});

    prompt.expectYesNo("remove Rizoraz Test Sine?", PromptAnswer::Yes);
    dialog->runTreeCommand(treeItem(sine), kIdRemoveInstrument);
    EXPECT_EQ(editors.log.destroyed, 1) << "the editor closes with the port";
    EXPECT_EQ(treeItem(sine), nullptr);
    dialog->accept();
    EXPECT_TRUE(profile.valueNames("VST\\0").empty());
}

TEST_F(PortsDialog, AddLoadsTheChosenInstrumentIntoTheTree)
{
    makeWithVst();
    open();
    const std::string library = vstTestLibrary("vst_test_instrument").string();
    prompt.expectOpenPath("Add VST synthesizer...", std::filesystem::path(library));
    dialog->runTreeCommand(treeItem("VST"), kIdAddInstrument);
    ASSERT_TRUE(treeItem("Rizoraz Test Sine"));
    prompt.expectOpenPath("Add VST synthesizer...", std::filesystem::path(library));
    dialog->runTreeCommand(treeItem("VST"), kIdAddInstrument);
    EXPECT_TRUE(treeItem("Rizoraz Test Sine [2]"));
    dialog->accept();
    EXPECT_EQ(profile.readString("VST\\1", "path", ""), library);
    EXPECT_EQ(profile.readString("VST\\1", "name", ""), "Rizoraz Test Sine [2]");
}

} // namespace
} // namespace rz
