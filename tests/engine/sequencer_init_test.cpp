// Start-up of the engine: ports, their names and maps, the inputs, the key
// map and the settings read from the profile.

#include "engine/sequencer.h"
#include "engine/sequencer_settings.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/support/fake_instrument.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace rz {
namespace {

using SequencerInit = SequencerTest;

std::vector<std::string> portNames(const CSequencer& sequencer)
{
    std::vector<std::string> names;
    for (const auto& port : sequencer.ports()->outputs)
        names.push_back(port->name());
    return names;
}

const std::string kEntry0 = "PortsToUse\\MIDIOUT\\0";

TEST_F(SequencerInit, EmptyProfileGetsEntryZeroWrittenBackForTheFirstPort)
{
    devices.addOutput("Built-in synth");
    devices.addOutput("USB MIDI");
    CSequencer& engine = make();
    engine.Init();

    EXPECT_EQ(profile.readString(kEntry0, "port", ""), "Built-in synth");
    EXPECT_EQ(profile.readInt(kEntry0, "drums", 0), 512);
    EXPECT_EQ(profile.readInt(kEntry0, "synth", 0), 33);
    EXPECT_EQ(engine.ports()->outputMap, std::vector<int>{0});
    EXPECT_TRUE(output("Built-in synth").isOpen());
    EXPECT_FALSE(output("USB MIDI").isOpen()) << "only mapped ports open";
}

TEST_F(SequencerInit, TwoDevicesOfOneNameAreNumbered)
{
    devices.addOutput("USB MIDI");
    devices.addOutput("USB MIDI");
    devices.addOutput("Other");
    make().Init();
    EXPECT_EQ(portNames(*sequencer), (std::vector<std::string>{"USB MIDI", "USB MIDI (2)", "Other"}));
}

TEST_F(SequencerInit, LibraryLoadedTwiceGetsABracketNumberComparedCaseSensitively)
{
    devices.addOutput("Built-in synth");
    profile.writeString("VST\\0", "path", "/opt/vst/piano.so");
    profile.writeString("VST\\1", "path", "/opt/vst/piano.so");
    profile.writeString("VST\\2", "path", "/opt/VST/piano.so");
    profile.writeString("VST\\4", "path", "/opt/vst/after-the-gap.so");
    make().Init();
    EXPECT_EQ(portNames(*sequencer), (std::vector<std::string>{"Built-in synth", "Fake synth",
                                                               "Fake synth [2]", "Fake synth"}));
    EXPECT_EQ(instruments.made, 3) << "slots stop at the first empty one";
}

// The Ports dialog saves more instruments than the first start-up read.
TEST_F(SequencerInit, EverySavedInstrumentSlotUpToTheLimitIsRead)
{
    for (int slot = 0; slot <= CSequencer::kInstrumentSlots; ++slot)
        profile.writeString("VST\\" + std::to_string(slot), "path", "/opt/vst/pad.so");
    make().Init();
    EXPECT_EQ(instruments.made, CSequencer::kInstrumentSlots);
}

TEST_F(SequencerInit, InstrumentThatCannotLoadIsReportedAndLeftOut)
{
    instruments.name.reset();
    profile.writeString("VST\\0", "path", "/opt/vst/broken.so");
    prompt.expectMessage("Could not open VST synth /opt/vst/broken.so");
    make().Init();
    EXPECT_TRUE(sequencer->ports()->outputs.empty());
}

// An instrument whose library takes the process down while it opens.
class CrashingInstrument : public FakeInstrument {
public:
    CrashingInstrument() : FakeInstrument("Crash") {}
    InstrumentLoadResult load(const std::filesystem::path&) override
    {
        // SIGKILL, which no sanitizer's handler turns into an exit code.
        ::kill(::getpid(), SIGKILL);
        return {};
    }
};

class CrashingLoader : public IInstrumentLoader {
public:
    std::unique_ptr<IInstrument> makeInstrument() override { return std::make_unique<CrashingInstrument>(); }
};

// The library that killed the start-up is marked; the next start names it,
// leaves its slot out and opens the others.
TEST_F(SequencerInit, AnInstrumentThatStoppedTheLastStartIsSkippedAndNamed)
{
    TempFolder marks;
    profile.writeString("VST\\0", "path", "/opt/vst/crash.so");
    profile.writeString("VST\\1", "path", "/opt/vst/piano.so");
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10); // a start-up that waits for a thread the child lacks ends too
        CrashingLoader crashing;
        CSequencer engine{SequencerServices{.profile = profile,
                                            .prompt = prompt,
                                            .gui = gui,
                                            .toGui = posts,
                                            .devices = devices,
                                            .instruments = crashing,
                                            .timer = timer,
                                            .audio = audio,
                                            .pluginMarkFolder = marks.path()}};
        engine.Init();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

    prompt.expectMessage("/opt/vst/crash.so was skipped because it stopped the program last time");
    SequencerServices services{.profile = profile,
                               .prompt = prompt,
                               .gui = gui,
                               .toGui = posts,
                               .devices = devices,
                               .instruments = instruments,
                               .timer = timer,
                               .audio = audio,
                               .pluginMarkFolder = marks.path()};
    sequencer = std::make_unique<CSequencer>(services);
    sequencer->Init();
    EXPECT_EQ(portNames(*sequencer), std::vector<std::string>{"Fake synth"});
    EXPECT_EQ(instruments.made, 1);
    prompt.verifyAllUsed();
}

// The loader's own reason comes with the message.
TEST_F(SequencerInit, AnInstrumentThatCannotLoadSaysWhy)
{
    class RefusingLoader : public IInstrumentLoader {
    public:
        std::unique_ptr<IInstrument> makeInstrument() override
        {
            return std::make_unique<FakeInstrument>(std::nullopt, "wrong ELF class: ELFCLASS32");
        }
    } refusing;
    profile.writeString("VST\\0", "path", "/opt/vst/broken.so");
    prompt.expectMessage("Could not open VST synth /opt/vst/broken.so: wrong ELF class: ELFCLASS32");
    sequencer = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                               .prompt = prompt,
                                                               .gui = gui,
                                                               .toGui = posts,
                                                               .devices = devices,
                                                               .instruments = refusing,
                                                               .timer = timer,
                                                               .audio = audio});
    sequencer->Init();
    EXPECT_EQ(prompt.prompts().back().text, "Could not open VST synth /opt/vst/broken.so: wrong ELF class: ELFCLASS32");
    prompt.verifyAllUsed();
}

TEST_F(SequencerInit, WithoutAnInstrumentHostEveryLoadFails)
{
    UnavailableInstrumentLoader none;
    auto instrument = none.makeInstrument();
    const InstrumentLoadResult result = instrument->load("/opt/vst/piano.so");
    EXPECT_FALSE(result.name);
    EXPECT_FALSE(instrument->isLoaded());
}

TEST_F(SequencerInit, OutputEntriesMapByNameIgnoringCaseAndMissingNamesMapToMinusOne)
{
    devices.addOutput("Alpha");
    devices.addOutput("Beta");
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "beta");
    profile.writeString("PortsToUse\\MIDIOUT\\1", "port", "Gone");
    profile.writeString("PortsToUse\\MIDIOUT\\2", "port", "ALPHA");
    profile.writeString("PortsToUse\\MIDIOUT\\4", "port", "Alpha"); // after the gap
    CSequencer& engine = make();
    engine.Init();

    EXPECT_EQ(engine.ports()->outputMap, (std::vector<int>{1, -1, 0}));
    EXPECT_EQ(engine.outputMapSize(), 3);
    const struct {
        int portNumber;
        int index;
    } cases[] = {{0, 1}, {1, -1}, {2, 0}, {3, -1}, {-1, -1}, {1000, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(engine.outputMapEntry(c.portNumber), c.index) << "port " << c.portNumber;
    EXPECT_EQ(engine.openOutPort(2), nullptr);
    EXPECT_EQ(engine.openOutPort(-1), nullptr);
    EXPECT_EQ(engine.ports()->mappedOutput(1), nullptr);
    EXPECT_EQ(profile.readInt(kEntry0, "synth", -1), -1) << "existing entries are not rewritten";
}

TEST_F(SequencerInit, PortThatFailsToOpenKeepsItsMappingAndIsReportedOnce)
{
    devices.addOutput("Busy", false);
    devices.addOutput("Free");
    profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "Busy");
    profile.writeString("PortsToUse\\MIDIOUT\\1", "port", "Busy");
    profile.writeString("PortsToUse\\MIDIOUT\\2", "port", "Free");
    prompt.expectMessage("Unable to open port 'Busy'");
    make().Init();

    EXPECT_EQ(sequencer->ports()->outputMap, (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(prompt.prompts().size(), 1u);
    EXPECT_TRUE(output("Free").isOpen()) << "start-up goes on";
    EXPECT_TRUE(sequencer->initialised());
}

TEST_F(SequencerInit, ThePortsOwnReasonFollowsTheFailureMessage)
{
    devices.addOutput("Busy", false, "Device or resource busy");
    prompt.expectMessage("Unable to open port 'Busy'\nDevice or resource busy");
    make().Init();
    EXPECT_EQ(sequencer->ports()->outputs.front()->openError(), "Device or resource busy");
    EXPECT_EQ(prompt.prompts().size(), 1u);
}

TEST_F(SequencerInit, OnlyTheFirstInputEntryThatNamesADeviceOpens)
{
    devices.addInput("Keyboard A");
    devices.addInput("Keyboard B");
    profile.writeString("PortsToUse", "MIDIIN0", "Unplugged");
    profile.writeString("PortsToUse", "MIDIIN1", "keyboard b");
    profile.writeString("PortsToUse", "MIDIIN2", "Keyboard A");
    make().Init();

    EXPECT_EQ(sequencer->ports()->inputMap, (std::vector<int>{-1, 1, 0}));
    EXPECT_EQ(devices.inputDevices.at("Keyboard A")->opens, 0);
    EXPECT_EQ(devices.inputDevices.at("Keyboard B")->opens, 1);
    EXPECT_TRUE(sequencer->input(1).isOpen());
}

TEST_F(SequencerInit, WithNoInputEntryTheFirstInputIsWrittenBackAndOpened)
{
    devices.addInput("Keyboard");
    devices.addInput("Pads");
    make().Init();
    EXPECT_EQ(profile.readString("PortsToUse", "MIDIIN0", ""), "Keyboard");
    EXPECT_TRUE(sequencer->input(0).isOpen());
    EXPECT_FALSE(sequencer->input(1).isOpen());
}

TEST_F(SequencerInit, InputThatFailsToOpenIsReportedAndStartUpGoesOn)
{
    devices.addInput("Keyboard", false);
    prompt.expectMessage("Unable to open port 'Keyboard'");
    make().Init();
    EXPECT_TRUE(sequencer->initialised());
}

TEST_F(SequencerInit, InputThruGoesToTheOutputNamedIgnoringCase)
{
    devices.addOutput("Sound module");
    devices.addInput("Keyboard");
    devices.addInput("Pads");
    profile.writeString("MIDIInPorts", "Keyboard", "SOUND MODULE");
    profile.writeString("MIDIInPorts", "Pads", "Missing");
    make().Init();
    EXPECT_EQ(sequencer->input(0).thruPort(), 0);
    EXPECT_EQ(sequencer->input(1).thruPort(), -1);
}

std::vector<uint8_t> keyMapBytes(const std::vector<uint32_t>& entries, size_t extraBytes)
{
    std::vector<uint8_t> bytes;
    for (uint32_t entry : entries) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(uint8_t(entry >> shift));
    }
    bytes.insert(bytes.end(), extraBytes, 0xAB);
    return bytes;
}

TEST(SequencerKeyMap, EntriesAreLittleEndianWordsAndAPartialTailIsIgnored)
{
    const struct {
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> entries;
    } cases[] = {
        {{}, {}},
        {{0x01, 0x3C, 0x00, 0x10}, {0x10003C01}},
        {{0x01, 0x3C, 0x00, 0x10, 0x05, 0x06, 0x07}, {0x10003C01}},
        {{0x01, 0x02, 0x03}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseKeyMap(c.bytes), c.entries) << c.bytes.size() << " bytes";
}

TEST_F(SequencerInit, KeyMapOfMoreThan128EntriesIsReadWholeAndSplitByInput)
{
    devices.addInput("Keyboard");
    devices.addInput("Pads");
    std::vector<uint32_t> entries;
    for (uint32_t i = 0; i < 150; ++i)
        entries.push_back((i % 3) << 28 | i); // inputs 0, 1 and the missing 2
    profile.writeString("KeyMap", "UseWhich", "Stage");
    profile.writeBinary("Keymap", "Stage", keyMapBytes(entries, 3));
    profile.writeBinary("Keymap", "MIDI", keyMapBytes({0x00000001}, 0));
    make().Init();

    const KeyMapSnapshot first = sequencer->input(0).keyMap();
    const KeyMapSnapshot second = sequencer->input(1).keyMap();
    ASSERT_EQ(first->size(), 50u);
    ASSERT_EQ(second->size(), 50u);
    EXPECT_EQ(first->back(), 147u);
    EXPECT_EQ(second->front(), 0x10000001u);
}

// The input thread matches against the key map while the GUI replaces it:
// every snapshot it sees is one whole map of one input.
TEST_F(SequencerInit, KeyMapReplacedWhileTheInputReadsItIsAlwaysWhole)
{
    devices.addInput("Keyboard");
    make().Init();
    const KeyMap small{0x01, 0x02};
    KeyMap large;
    for (uint32_t i = 0; i < 200; ++i)
        large.push_back(0x100 + i);
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop) {
            const KeyMapSnapshot map = sequencer->input(0).keyMap();
            const bool whole = map->empty() || *map == small || *map == large;
            torn += whole ? 0 : 1;
        }
    });
    for (int i = 0; i < 2000; ++i)
        sequencer->setKeyMaps(i % 2 ? small : large);
    stop = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST(SequencerSettingsRead, ValuesOutsideTheirRangeAreClampedOrReadAsDefault)
{
    const struct {
        const char* section;
        const char* name;
        int stored;
        int expected;
    } cases[] = {
        {"PlaybackOptions", "TimerResolution", 0, 1},
        {"PlaybackOptions", "TimerResolution", 5000, 1000},
        {"PlaybackOptions", "TimerResolution", -3, 1},
        {"PlaybackOptions", "TimerResolution", 7, 7},
        {"Defaults", "Volume", -5, 0},
        {"Defaults", "Volume", 20000, 16383},
        {"Defaults", "Volume", 8000, 8000},
        {"Sequencer", "PTempoCh", 16, -1},
        {"Sequencer", "PTempoCh", -2, -1},
        {"Sequencer", "PTempoCh", 9, 9},
        {"PlaybackOptions", "OutputLatency", -4, 0},
        {"PlaybackOptions", "OutputLatency", 99999, 1000},
        {"PlaybackOptions", "OutputLatency", 25, 25},
    };
    for (const auto& c : cases) {
        MemoryProfile profile;
        profile.writeInt(c.section, c.name, c.stored);
        const SequencerSettings settings = readSequencerSettings(profile);
        const std::string what = std::string(c.name) + " " + std::to_string(c.stored);
        if (std::string(c.name) == "TimerResolution")
            EXPECT_EQ(int(settings.tickPeriodMs), c.expected) << what;
        else if (std::string(c.name) == "Volume")
            EXPECT_EQ(settings.masterVolume, c.expected) << what;
        else if (std::string(c.name) == "OutputLatency")
            EXPECT_EQ(settings.outputLatencyMs, c.expected) << what;
        else
            EXPECT_EQ(settings.tempoChannel, c.expected) << what;
    }
}

TEST(SequencerSettingsRead, AnEmptyProfileGivesTheDefaults)
{
    MemoryProfile profile;
    const SequencerSettings settings = readSequencerSettings(profile);
    EXPECT_EQ(settings.options, 2u);
    EXPECT_EQ(settings.tickPeriodMs, 2u);
    EXPECT_EQ(settings.click.click1, 0x7F2599u);
    EXPECT_EQ(settings.click.click2, 0x642599u);
    EXPECT_EQ(settings.eventFilter, 0xDB00u);
    EXPECT_EQ(settings.sync.smpteRate, 3);
    EXPECT_EQ(settings.advance.reset, 2);
    EXPECT_EQ(settings.masterVolume, 16383);
    EXPECT_EQ(settings.followTap.window, 0) << "gated off";
    EXPECT_EQ(settings.outputLatencyMs, 0) << "chosen from the JACK period";
}

TEST_F(SequencerInit, InitStartsTheIdleTimerAndASecondCallDoesNothing)
{
    devices.addOutput("Synth");
    profile.writeInt("PlaybackOptions", "TimerResolution", 5000);
    CSequencer& engine = make();
    engine.Init();
    EXPECT_EQ(timer.mode(), TimerMode::Idle);
    EXPECT_EQ(timer.periodMs(), 4u);
    EXPECT_EQ(engine.tickPeriodMs(), 1000u);
    const uint64_t starts = timer.startCount();
    engine.Init();
    EXPECT_EQ(timer.startCount(), starts);
    EXPECT_EQ(output("Synth").openCount(), 1u);
}

TEST_F(SequencerInit, AudioOptionsSetTheBlockLengthAndReachTheEnginesOnlyWhenEnabled)
{
    profile.writeInt("AudioOptions", "RTbuffer", 441);
    profile.writeInt("AudioOptions", "RTrate", 48000);
    CSequencer& engine = make();
    engine.Init();
    EXPECT_DOUBLE_EQ(engine.blockLength(), 9188.0); // 441 x 1000000 / 48000, rounded
    EXPECT_EQ(engine.audioFormat().bytesPerSecond, 192000u);
    EXPECT_EQ(engine.hostTimeInfo().sampleRate, 48000.0);
    EXPECT_TRUE(audio.opened.empty());

    profile.writeInt("AudioOptions", "RTenable", 1);
    profile.writeInt("AudioOptions", "RTinput", 2);
    profile.writeInt("AudioOptions", "RTbuffer", 0); // bad: the default
    audio.answerRate = 44100;
    const int closes = audio.closes;
    engine.LoadAudioOptions();
    ASSERT_EQ(audio.opened.size(), 1u);
    EXPECT_EQ(audio.closes, closes + 1) << "the old engines close first";
    EXPECT_EQ(audio.opened[0].blockSize, 2205u);
    EXPECT_TRUE(audio.opened[0].passthrough);
    EXPECT_DOUBLE_EQ(engine.blockLength(), 50000.0) << "2205 frames at the device's rate";
    EXPECT_EQ(engine.hostTimeInfo().sampleRate, 44100.0) << "the device's rate";
    EXPECT_TRUE(engine.passthrough());
    EXPECT_FALSE(engine.ApplyAsioChannelSelection("", ""));
}

TEST_F(SequencerInit, WithNoDevicesAtAllInitAndShutdownPass)
{
    MidiSystemOptions none;
    none.soundFonts.clear();
    none.useAlsa = false;
    none.useJack = false;
    const MidiSystem system(none);
    MidiSystemDevices machine(system);
    UnavailableInstrumentLoader noHost;
    NoAudioEngines noAudio;
    CSequencer engine(SequencerServices{.profile = profile,
                                        .prompt = prompt,
                                        .gui = gui,
                                        .toGui = posts,
                                        .devices = machine,
                                        .instruments = noHost,
                                        .timer = timer,
                                        .audio = noAudio});
    engine.Init();
    EXPECT_TRUE(engine.initialised());
    EXPECT_EQ(engine.outPortCount(), 0);
    EXPECT_EQ(engine.outputMapSize(), 0);
    EXPECT_EQ(engine.inputCount(), 0u);
    engine.SendSynthResets();
    engine.ReapplyPortSettings();
    shutDown(engine);
    EXPECT_FALSE(engine.initialised());
    EXPECT_EQ(timer.mode(), TimerMode::Off);
}

} // namespace
} // namespace rz
