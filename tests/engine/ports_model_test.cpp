// The Ports dialog's rules: the numbered lists read from and written to the
// profile, their rows, instruments added and removed while the engine
// plays on, and OK reopening the ports.

#include "engine/ports_model.h"
#include "engine/synthdb/synth_db.h"
#include "engine/vst_loader.h"
#include "song/undo_record.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/engine/synthdb/synth_db_fixture.h"
#include "tests/engine/vst_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace rz {
namespace {

std::string outputSection(int entry)
{
    return "PortsToUse\\MIDIOUT\\" + std::to_string(entry);
}

class PortsModelTest : public SequencerTest {
protected:
    void mapOutput(int entry, const std::string& name, int synth = 33, int drums = 512)
    {
        profile.writeString(outputSection(entry), "port", name);
        profile.writeInt(outputSection(entry), "synth", synth);
        profile.writeInt(outputSection(entry), "drums", drums);
    }

    PortsModel& model(const ISynthLookup* synths = nullptr)
    {
        if (!sequencer) {
            make({}, synths).Init();
            prompt.verifyAllUsed();
        }
        m_model = std::make_unique<PortsModel>(*sequencer, profile, prompt, synths);
        return *m_model;
    }

    // The model over an engine whose instrument ports load VST instruments.
    PortsModel& modelWithVst()
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
        m_model = std::make_unique<PortsModel>(*sequencer, profile, prompt, nullptr);
        return *m_model;
    }

    std::vector<std::string> outputNames() const
    {
        std::vector<std::string> names;
        for (const NumberedPort& port : m_model->outputs())
            names.push_back(port.name);
        return names;
    }

    std::vector<std::string> engineNames() const
    {
        std::vector<std::string> names;
        for (const auto& port : sequencer->ports()->outputs)
            names.push_back(port->name());
        return names;
    }

    // A user track on numbered output `entry`, linked as the program links it.
    CTrack& addTrack(int entry)
    {
        CSongDoc& doc = song ? *song : makeSong();
        auto track = std::make_unique<CTrack>();
        track->port = entry;
        track->outputPort = sequencer->openOutPort(sequencer->outputMapEntry(entry));
        CTrack& added = *track;
        doc.tracks.insert(doc.tracks.begin() + 1, std::move(track));
        return added;
    }

    static std::string testInstrument(const std::string& variant = "vst_test_instrument")
    {
        return vstTestLibrary(variant).string();
    }

    SequencerVstHost vstHost;
    VstInstrumentLoader vstLoader{vstHost, nullptr};
    std::unique_ptr<PortsModel> m_model;
};

constexpr const char* kSine = "Rizoraz Test Sine";

TEST_F(PortsModelTest, AnEmptyPortEndsTheListAlthoughLaterSlotsHoldNames)
{
    devices.addOutput("Synth");
    mapOutput(0, "Synth");
    mapOutput(1, "Module", 5, 0x10200);
    for (int entry = 3; entry < 16; ++entry)
        mapOutput(entry, "Later " + std::to_string(entry));
    PortsModel& ports = model();
    ASSERT_EQ(ports.outputs().size(), 2u);
    EXPECT_EQ(ports.outputs()[1], (NumberedPort{"Module", 5, 0x0200})) << "drums keep 16 bits";
}

TEST_F(PortsModelTest, AtMostSixteenEntriesAreReadAndWritten)
{
    devices.addOutput("Synth");
    for (int entry = 0; entry < 18; ++entry) {
        mapOutput(entry, "Synth");
        profile.writeString("PortsToUse", "MIDIIN" + std::to_string(entry), "Keys");
    }
    PortsModel& ports = model();
    EXPECT_EQ(ports.outputs().size(), 16u);
    EXPECT_EQ(ports.inputs().size(), 16u);

    ports.insertOutput(99, {"Extra", 1, 0});
    ports.insertInput(99, "Extra");
    mapOutput(16, "Untouched");
    ports.Apply();
    EXPECT_EQ(profile.readString(outputSection(16), "port", ""), "Untouched");
    EXPECT_EQ(profile.readString("PortsToUse", "MIDIIN16", ""), "Keys");
    EXPECT_EQ(sequencer->ports()->outputMap.size(), 17u) << "the engine maps what the dialog holds";
}

TEST_F(PortsModelTest, LongNamesAreCutAtACharacterBoundary)
{
    devices.addOutput("Synth");
    std::string name(126, 'a');
    name += "\xC3\xA9\xC3\xA9"; // two two-byte characters straddle byte 127
    mapOutput(0, name);
    PortsModel& ports = model();
    ASSERT_EQ(ports.outputs().size(), 1u);
    EXPECT_EQ(ports.outputs()[0].name, std::string(126, 'a'));
    EXPECT_EQ(cutPortName(std::string(127, 'b')), std::string(127, 'b'));
}

TEST_F(PortsModelTest, TwoOutputsNamingOneDeviceMapToOneIndexAndOpenItOnce)
{
    devices.addOutput("Built-in synth");
    devices.addOutput("USB MIDI");
    mapOutput(0, "Built-in synth");
    PortsModel& ports = model();
    output("USB MIDI").clear();
    const size_t opensBefore = output("USB MIDI").openCount();

    ports.insertOutput(1, {"usb midi", 33, 512});
    ports.insertOutput(2, {"USB MIDI", 7, 0});
    ports.Apply();
    EXPECT_EQ(sequencer->ports()->outputMap, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(output("USB MIDI").openCount() - opensBefore, 1u);
    EXPECT_TRUE(output("USB MIDI").isOpen());
}

// OK keeps every port listed before and after open as it was: closing the
// built-in synthesizer's device closes its audio client. A port that left
// the list closes, a new one opens, and a listed port that is closed opens.
TEST_F(PortsModelTest, OkLeavesUnchangedPortsOpenAsTheyWere)
{
    devices.addOutput("Built-in GM Synth", true, {}, MidiDeviceKind::InternalSynth);
    devices.addOutput("USB MIDI");
    devices.addOutput("Later JACK port");
    devices.addInput("Keys");
    devices.addInput("Pads");
    mapOutput(0, "Built-in GM Synth");
    mapOutput(1, "USB MIDI");
    profile.writeString("PortsToUse", "MIDIIN0", "Keys");
    profile.writeString("PortsToUse", "MIDIIN1", "Pads");
    PortsModel& ports = model();
    RecordingMidiDevice& synth = output("Built-in GM Synth");
    ASSERT_TRUE(synth.isOpen());
    ASSERT_TRUE(devices.inputDevices.at("Keys")->isOpen());
    const size_t synthOpens = synth.openCount();
    const size_t synthCloses = synth.closeCount();
    const size_t usbOpens = output("USB MIDI").openCount();

    ports.Apply();
    ports.insertOutput(2, {"Later JACK port", 33, 512});
    ports.removeOutputs({1});
    ports.inputs() = {"Keys"};
    ports.Apply();

    EXPECT_EQ(synth.closeCount(), synthCloses) << "the synthesizer's audio was closed";
    EXPECT_EQ(synth.openCount(), synthOpens);
    EXPECT_TRUE(synth.isOpen());
    EXPECT_EQ(output("USB MIDI").openCount(), usbOpens) << "reopened while it stayed listed";
    EXPECT_FALSE(output("USB MIDI").isOpen()) << "left the list";
    EXPECT_TRUE(output("Later JACK port").isOpen());
    EXPECT_TRUE(devices.inputDevices.at("Keys")->isOpen());
    EXPECT_FALSE(devices.inputDevices.at("Pads")->isOpen());

    // A listed port that closed meanwhile (its device went) opens again.
    output("Later JACK port").close();
    ports.Apply();
    EXPECT_TRUE(output("Later JACK port").isOpen());
    EXPECT_EQ(synth.closeCount(), synthCloses);
}

TEST_F(PortsModelTest, OkWithFewerOutputsEmptiesTheSurplusPortsAndKeepsTheirOtherValues)
{
    devices.addOutput("A");
    devices.addOutput("B");
    mapOutput(0, "A");
    mapOutput(1, "B", 44, 1024);
    PortsModel& ports = model();
    ports.removeOutputs({1});
    ports.Apply();

    EXPECT_EQ(profile.readString(outputSection(1), "port", "?"), "");
    EXPECT_EQ(profile.readInt(outputSection(1), "synth", 0), 44);
    EXPECT_EQ(profile.readInt(outputSection(1), "drums", 0), 1024);
    EXPECT_EQ(readNumberedOutputs(profile).size(), 1u);
    EXPECT_EQ(sequencer->ports()->outputMap, std::vector<int>{0});
}

TEST_F(PortsModelTest, OkOpensTheNamedInputsAndReportsEachPortThatFails)
{
    devices.addOutput("A");
    devices.addOutput("Broken", false);
    devices.addInput("Keys");
    devices.addInput("Pads");
    mapOutput(0, "A");
    PortsModel& ports = model();
    ports.insertOutput(1, {"Broken", 33, 512});
    ports.insertOutput(2, {"Gone", 33, 512});
    ports.inputs() = {"pads", "Keys"};
    prompt.expectMessage("Unable to open port 'Broken'");
    ports.Apply();

    EXPECT_EQ(sequencer->ports()->outputMap, (std::vector<int>{0, 1, -1})) << "a failure keeps its entry";
    EXPECT_EQ(sequencer->ports()->inputMap, (std::vector<int>{1, 0}));
    EXPECT_TRUE(devices.inputDevices.at("Keys")->isOpen());
    EXPECT_TRUE(devices.inputDevices.at("Pads")->isOpen());
    EXPECT_EQ(profile.readString("PortsToUse", "MIDIIN0", ""), "pads");
    EXPECT_EQ(profile.readString("PortsToUse", "MIDIIN2", "?"), "");
}

TEST_F(PortsModelTest, RowsNameTheSynthAndShowWhetherThePortIsThere)
{
    SynthDbTempDir folder;
    const auto database = SynthDatabase::open(folder.file(), prompt);
    devices.addOutput("USB MIDI");
    devices.addInput("Keys");
    mapOutput(0, "USB MIDI", 33);
    mapOutput(1, "Unplugged", 987654);
    profile.writeString("PortsToUse", "MIDIIN0", "keys");
    profile.writeString("PortsToUse", "MIDIIN1", "Gone");
    PortsModel& ports = model(&database->lookup());
    const std::string gm = database->lookup().synth(33)->name;

    EXPECT_EQ(ports.outputRowText(0), "0: " + gm + " on USB MIDI");
    EXPECT_EQ(ports.outputRowText(1), "1: undefined on Unplugged");
    EXPECT_EQ(ports.outputRowIcon(0), PortIcon::External);
    EXPECT_EQ(ports.outputRowIcon(1), PortIcon::Missing);
    EXPECT_EQ(ports.inputRowText(0), "0: keys");
    EXPECT_EQ(ports.inputRowIcon(0), PortIcon::External);
    EXPECT_EQ(ports.inputRowIcon(1), PortIcon::Missing);
}

TEST_F(PortsModelTest, DraggedRowsMoveAndDeletedRowsGo)
{
    devices.addOutput("A");
    for (int entry = 0; entry < 4; ++entry)
        mapOutput(entry, std::string(1, char('A' + entry)));
    PortsModel& ports = model();
    EXPECT_EQ(ports.moveOutput(3, 0), 0u);
    EXPECT_EQ(outputNames(), (std::vector<std::string>{"D", "A", "B", "C"}));
    EXPECT_EQ(ports.moveOutput(0, 99), 3u);
    EXPECT_EQ(outputNames(), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(ports.moveOutput(0, 2), 1u);
    EXPECT_EQ(outputNames(), (std::vector<std::string>{"B", "A", "C", "D"}));
    ports.removeOutputs({3, 0, 3});
    EXPECT_EQ(outputNames(), (std::vector<std::string>{"A", "C"}));
}

TEST_F(PortsModelTest, OneLibraryAddedThreeTimesGetsBracketNumbers)
{
    devices.addOutput("Synth");
    PortsModel& ports = modelWithVst();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(ports.addInstrument(testInstrument()));
    const std::string sine = kSine;
    EXPECT_EQ(engineNames(),
              (std::vector<std::string>{"Synth", sine, sine + " [2]", sine + " [3]"}));
    EXPECT_TRUE(ports.addInstrument(testInstrument("vst_test_instrument_mono")));
    EXPECT_EQ(engineNames().size(), 5u);
    EXPECT_EQ(engineNames().back().find('['), std::string::npos) << "another library";
}

TEST_F(PortsModelTest, AnAddedInstrumentTakesTheEnginesRate)
{
    profile.writeInt("AudioOptions", "RTrate", 48000);
    profile.writeInt("AudioOptions", "RTbuffer", 480);
    make().Init();
    PortsModel& ports = model();
    const auto port = ports.addInstrument("/opt/vst/a.so");
    ASSERT_TRUE(port);
    const auto* instrument = static_cast<FakeInstrument*>(port->instrument());
    EXPECT_EQ(instrument->sampleRate(), 48000.0);
    EXPECT_EQ(instrument->blockFrames(), 480);
}

TEST_F(PortsModelTest, AddAsksForALibraryAndKeepsItsFolder)
{
    PortsModel& ports = model();
    prompt.expectOpenPath("Add VST synthesizer...", std::filesystem::path("/opt/vst/organ.so"));
    ASSERT_TRUE(ports.addInstrument());
    EXPECT_EQ(prompt.prompts().back().filter, "VST software sythesizers (*.so)");
    EXPECT_EQ(profile.readString("Dirs", "VST", ""), "/opt/vst");
    prompt.expectOpenPath("Add VST synthesizer...", std::nullopt);
    EXPECT_FALSE(ports.addInstrument());
    EXPECT_EQ(engineNames().size(), 1u);
}

// Start-up reads that many slots, so a further one would be lost.
TEST_F(PortsModelTest, NoMoreInstrumentsAreAddedThanStartUpReadsBack)
{
    PortsModel& ports = model();
    for (int i = 0; i < CSequencer::kInstrumentSlots; ++i)
        ASSERT_TRUE(ports.addInstrument("/opt/vst/a.so"));
    prompt.expectMessage("No more than");
    EXPECT_FALSE(ports.addInstrument("/opt/vst/a.so"));
    ports.Apply();
    EXPECT_FALSE(profile.readString("VST\\" + std::to_string(CSequencer::kInstrumentSlots - 1), "path", "").empty());
    EXPECT_TRUE(profile.valueNames("VST\\" + std::to_string(CSequencer::kInstrumentSlots)).empty());
}

TEST_F(PortsModelTest, TheAudioRenderFollowsAddAndRemove)
{
    PortsModel& ports = model();
    const auto port = ports.addInstrument("/opt/vst/a.so");
    ASSERT_TRUE(port);
    const auto* instrument = static_cast<FakeInstrument*>(port->instrument());
    float left[64] = {};
    float right[64] = {};
    sequencer->RenderBlock(left, right, 64);
    EXPECT_EQ(instrument->processCount(), 1) << "an added instrument plays at once";

    prompt.expectYesNo("remove", PromptAnswer::Yes);
    ASSERT_TRUE(ports.removeInstrument(*port));
    sequencer->RenderBlock(left, right, 64);
    EXPECT_EQ(instrument->processCount(), 1) << "a removed one no more";
}

TEST_F(PortsModelTest, ALibraryThatDoesNotLoadAddsNothing)
{
    devices.addOutput("Synth");
    PortsModel& ports = modelWithVst();
    prompt.expectMessage("Trouble opening the file.");
    EXPECT_FALSE(ports.addInstrument(testInstrument("vst_test_no_entry")));
    prompt.expectMessage("Trouble opening the file.");
    EXPECT_FALSE(ports.addInstrument("/nowhere/missing.so"));
    EXPECT_EQ(engineNames(), std::vector<std::string>{"Synth"});
}

TEST_F(PortsModelTest, RemovingEveryInstrumentAndOkLeavesNoInstrumentKey)
{
    devices.addOutput("Synth");
    profile.writeString("VST\\0", "path", testInstrument());
    profile.writeString("VST\\1", "path", testInstrument("vst_test_instrument_mono"));
    profile.writeString("VST\\1", "name", "Mono");
    PortsModel& ports = modelWithVst();
    ASSERT_EQ(engineNames().size(), 3u);
    for (const AvailablePort& port : ports.availableOutputs()) {
        if (port.group != PortGroup::Instrument)
            continue;
        prompt.expectYesNo("Are you sure you want to remove " + port.name + "?", PromptAnswer::Yes);
        EXPECT_TRUE(ports.removeInstrument(*port.port));
    }
    ports.Apply();
    EXPECT_TRUE(profile.valueNames("VST\\0").empty());
    EXPECT_TRUE(profile.valueNames("VST\\1").empty());
    EXPECT_EQ(engineNames(), std::vector<std::string>{"Synth"});
}

TEST_F(PortsModelTest, OkRecordsTheInstrumentsInListOrderAndNoKeepsAPort)
{
    devices.addOutput("Synth");
    PortsModel& ports = model();
    const auto first = ports.addInstrument("/opt/vst/a.so");
    ports.addInstrument("/opt/vst/a.so");
    prompt.expectYesNo("remove Fake synth?", PromptAnswer::No);
    EXPECT_FALSE(ports.removeInstrument(*first));
    ports.Apply();
    EXPECT_EQ(profile.readString("VST\\0", "path", ""), "/opt/vst/a.so");
    EXPECT_EQ(profile.readString("VST\\1", "name", ""), "Fake synth [2]");
}

TEST_F(PortsModelTest, RemoveShiftsTheMapAndRelinksTracksAndInputThru)
{
    devices.addOutput("Synth");
    devices.addInput("Keys");
    devices.addInput("Pads");
    profile.writeString("VST\\0", "path", "/opt/vst/a.so");
    profile.writeString("VST\\1", "path", "/opt/vst/a.so");
    profile.writeString("MIDIInPorts", "Keys", "Fake synth [2]");
    profile.writeString("MIDIInPorts", "Pads", "Fake synth");
    profile.writeString("PortsToUse", "MIDIIN0", "Pads");
    mapOutput(0, "Fake synth");
    mapOutput(1, "fake synth [2]");
    PortsModel& ports = model();
    CTrack& onRemoved = addTrack(0);
    CTrack& onKept = addTrack(1);
    const auto table = sequencer->ports();
    ASSERT_EQ(table->outputMap, (std::vector<int>{1, 2}));
    const COutPort* kept = table->outputs[2].get();
    std::weak_ptr<COutPort> removed = table->outputs[1];

    prompt.expectYesNo("remove", PromptAnswer::Yes);
    ASSERT_TRUE(ports.removeInstrument(*table->outputs[1]));
    EXPECT_EQ(sequencer->ports()->outputMap, (std::vector<int>{-1, 1}));
    EXPECT_EQ(onRemoved.outputPort, nullptr);
    EXPECT_EQ(onKept.outputPort, kept);
    EXPECT_EQ(sequencer->input(0).thruPort(), 1);
    EXPECT_EQ(sequencer->input(1).thruPort(), -1) << "its thru port is gone";
    EXPECT_TRUE(sequencer->input(1).isOpen()) << "it listens again";
    EXPECT_TRUE(removed.lock() && !removed.lock()->isOpen()) << "closed while the old list still holds it";
}

// Remove while the playback tick sends to every mapped port and the audio
// engines' render runs every instrument: no thread is left holding a port
// that is gone, and the track that played it is linked again (clean under
// tsan).
TEST_F(PortsModelTest, RemoveWhileATickSendsAndARenderRunsLeavesNoStalePort)
{
    devices.addOutput("Synth");
    profile.writeString("VST\\0", "path", testInstrument());
    mapOutput(0, kSine);
    mapOutput(1, "Synth");
    PortsModel& ports = modelWithVst();
    CTrack& track = addTrack(0);
    std::weak_ptr<COutPort> removed = sequencer->ports()->outputs[1];
    ASSERT_TRUE(removed.lock()->isInstrument());
    removed.lock()->instrument()->resetAudio(48000, 64);

    std::atomic<bool> stop{false};
    std::atomic<int> ticks{0};
    std::atomic<int> blocks{0};
    std::thread tick([&] {
        while (!stop) {
            const auto table = sequencer->ports();
            for (size_t entry = 0; entry < table->outputMap.size(); ++entry) {
                if (COutPort* port = table->mappedOutput(int(entry))) {
                    port->SendShort(0x403C90);
                    port->SendShort(0x003C80);
                }
            }
            ++ticks;
        }
    });
    std::thread render([&] {
        float left[64];
        float right[64];
        while (!stop) {
            sequencer->RenderBlock(left, right, 64);
            ++blocks;
        }
    });
    while (ticks < 50 || blocks < 50)
        std::this_thread::yield();
    prompt.expectYesNo("remove", PromptAnswer::Yes);
    const bool done = ports.removeInstrument(*removed.lock());
    const int ticksAtRemove = ticks;
    while (ticks < ticksAtRemove + 50)
        std::this_thread::yield();
    stop = true;
    tick.join();
    render.join();

    ASSERT_TRUE(done);
    EXPECT_TRUE(removed.expired());
    EXPECT_EQ(track.outputPort, nullptr);
    EXPECT_EQ(sequencer->ports()->outputMap, (std::vector<int>{-1, 0}));
}

TEST_F(PortsModelTest, ASecondSavedProgramReplacesTheFirstTrack)
{
    profile.writeString("VST\\0", "path", testInstrument());
    modelWithVst();
    CSongDoc& doc = makeSong();
    COutPort& port = *sequencer->ports()->outputs.at(0);
    const size_t before = doc.tracks.size();
    auto save = [&](const std::vector<uint8_t>& state) {
        ASSERT_TRUE(port.instrument()->setChunk(state));
        const std::vector<uint8_t> saved = port.instrument()->getChunk();
        ASSERT_EQ(doc.ApplyEdit(BuildSaveVstProgramRecord(doc, port.name(), saved)),
                  ApplyResult::Applied);
    };
    save({1, 2, 3});
    save({9, 8});

    ASSERT_EQ(doc.tracks.size(), before + 1);
    const CTrack& saved = *doc.tracks[1];
    EXPECT_EQ(saved.name, std::string("FXP: ") + kSine);
    ASSERT_EQ(saved.events.size(), 1u);
    const CMidiEvent& event = saved.events[0];
    EXPECT_EQ(event.message, 0x7FFFu);
    EXPECT_EQ(event.tick, 0);
    const std::string expected = "dr2" + std::string(kSine) + std::string("\0\x09\x08", 3);
    EXPECT_EQ(std::string(event.data.bytes().begin(), event.data.bytes().end()), expected);
    EXPECT_EQ(doc.undoList.back()->label, "Save VST program");
}

} // namespace
} // namespace rz
