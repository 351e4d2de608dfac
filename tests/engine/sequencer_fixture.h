#pragma once

// The seams a sequencer is built from, as fakes: devices that record, a
// manual timer, a queued "GUI thread", a scripted prompt and a profile in
// memory; and a song whose engine is the sequencer.

#include "core/profile.h"
#include "engine/audio_stub.h"
#include "engine/gui_posts.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "platform/engine_timer.h"
#include "song/song_doc.h"
#include "tests/support/fake_instrument.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/manual_engine_timer.h"
#include "tests/support/queued_engine_host.h"
#include "tests/support/recording_midi_device.h"
#include "tests/support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace rz {

// An input device that opens by script and counts what was done to it.
class FakeMidiInDevice : public IMidiInDevice {
public:
    FakeMidiInDevice(std::string name, bool opens) : m_name(std::move(name)), m_opens(opens) {}

    bool open(IMidiInHandler* handler) override
    {
        ++opens;
        m_open = m_opens && handler != nullptr;
        return m_open;
    }
    bool start() override
    {
        ++starts;
        return m_open;
    }
    void stop() override {}  // nothing runs between start and close
    void reset() override {} // no input is pending
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    uint64_t droppedCount() const override { return 0; }
    std::string displayName() const override { return m_name; }
    MidiDeviceKind kind() const override { return MidiDeviceKind::Hardware; }

    int opens = 0;
    int starts = 0;

private:
    std::string m_name;
    bool m_opens;
    bool m_open = false;
};

// Lists the devices a test adds, in order; the devices it makes stay
// reachable by their listed name ("X (2)" for the second "X").
class FakeMidiDevices : public IMidiDeviceSource {
public:
    void addOutput(const std::string& name, bool opens = true, std::string reason = {})
    {
        m_outputReasons.push_back(std::move(reason));
        m_outputs.push_back({name, MidiDeviceKind::Hardware, MidiBackend::AlsaSequencer,
                             std::to_string(m_outputs.size())});
        m_outputOpens.push_back(opens);
    }
    void addInput(const std::string& name, bool opens = true)
    {
        m_inputs.push_back({name, MidiDeviceKind::Hardware, MidiBackend::AlsaSequencer,
                            std::to_string(m_inputs.size())});
        m_inputOpens.push_back(opens);
    }

    std::vector<MidiDeviceDescriptor> outputs() const override { return m_outputs; }
    std::vector<MidiDeviceDescriptor> inputs() const override { return m_inputs; }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& device) const override
    {
        auto made = std::make_unique<RecordingMidiDevice>(device.displayName);
        const size_t index = std::stoul(device.address);
        made->setOpenResult(m_outputOpens[index], m_outputReasons[index]);
        outputDevices[device.displayName] = made.get();
        return made;
    }
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor& device) const override
    {
        auto made = std::make_unique<FakeMidiInDevice>(device.displayName,
                                                       m_inputOpens[std::stoul(device.address)]);
        inputDevices[device.displayName] = made.get();
        return made;
    }

    // Owned by the sequencer's ports; valid until its Shutdown.
    mutable std::map<std::string, RecordingMidiDevice*> outputDevices;
    mutable std::map<std::string, FakeMidiInDevice*> inputDevices;

private:
    std::vector<MidiDeviceDescriptor> m_outputs;
    std::vector<MidiDeviceDescriptor> m_inputs;
    std::vector<bool> m_outputOpens;
    std::vector<std::string> m_outputReasons;
    std::vector<bool> m_inputOpens;
};

// Instruments named after the test's choice; the libraries in `failing` do
// not load.
class FakeInstrumentLoader : public IInstrumentLoader {
public:
    std::unique_ptr<IInstrument> makeInstrument() override
    {
        ++made;
        return std::make_unique<FakeInstrument>(name);
    }
    std::optional<std::string> name = "Fake synth";
    int made = 0;
};

// Records what the engine asked of its audio part.
class RecordingAudioEngines : public IAudioEngines {
public:
    uint32_t open(const AudioOptions& options) override
    {
        std::lock_guard lock(m_mutex);
        opened.push_back(options);
        return answerRate ? answerRate : options.sampleRate;
    }
    void close() override
    {
        std::lock_guard lock(m_mutex);
        ++closes;
    }
    void setMasterGain(double gain) override
    {
        std::lock_guard lock(m_mutex);
        gains.push_back(gain);
    }
    bool applyChannelSelection(std::string_view, std::string_view) override { return false; }
    void clipTimeToSample(CAudioClip&, double) override {} // no clip plays here

    std::vector<AudioOptions> opened;
    int closes = 0;
    std::vector<double> gains;
    uint32_t answerRate = 0; // 0: the options' rate

private:
    std::mutex m_mutex;
};

class SequencerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (sequencer) {
            shutDown();
            sequencer->setCurrentSong(nullptr);
        }
        song.reset();
        sequencer.reset();
    }

    // On the GUI thread, as the program does: no refresh pass runs meanwhile.
    void shutDown() { shutDown(*sequencer); }
    void shutDown(CSequencer& engine)
    {
        gui.runAndWait([&] { engine.Shutdown(); });
    }

    // Builds the sequencer over the fakes; Init is the test's to call.
    CSequencer& make(SequencerOptions options = {}, const ISynthLookup* synths = nullptr)
    {
        SequencerServices services{.profile = profile,
                                   .prompt = prompt,
                                   .gui = gui,
                                   .posts = posts,
                                   .devices = devices,
                                   .instruments = instruments,
                                   .timer = timer,
                                   .audio = audio,
                                   .synths = synths};
        sequencer = std::make_unique<CSequencer>(services, options);
        return *sequencer;
    }

    // A new song of one bar of 4/4 at 120 per quarter, 120 ticks per
    // quarter, made current.
    CSongDoc& makeSong()
    {
        song = std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *sequencer});
        song->InitNewSong();
        songHost.current = song.get();
        sequencer->setCurrentSong(song.get());
        return *song;
    }

    RecordingMidiDevice& output(const std::string& name) { return *devices.outputDevices.at(name); }

    MemoryProfile profile;
    ScriptedPrompt prompt;
    QueuedEngineHost gui;
    GuiPosts posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
    FakeMidiDevices devices;
    FakeInstrumentLoader instruments;
    ManualEngineTimer timer;
    RecordingAudioEngines audio;
    FakeSongHost songHost;
    std::unique_ptr<CSequencer> sequencer;
    std::unique_ptr<CSongDoc> song;
};

// A sequencer on the real timer thread (no realtime priority) with one
// output "Synth", initialised, and a new song whose engine it is. For race
// tests that run commands against the ticks.
struct RealTimerEngine {
    RealTimerEngine()
    {
        engine.Init();
        song.InitNewSong();
    }

    static EngineTimerOptions timerOptions()
    {
        EngineTimerOptions options;
        options.realtime = false;
        return options;
    }
    static SequencerOptions engineOptions()
    {
        SequencerOptions options;
        options.refresh.minInterval = std::chrono::milliseconds(1);
        return options;
    }
    FakeMidiDevices& withSynth()
    {
        devices.addOutput("Synth");
        return devices;
    }

    EngineTimer timer{timerOptions()};
    MemoryProfile profile;
    ScriptedPrompt prompt;
    QueuedEngineHost gui;
    GuiPosts posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
    FakeMidiDevices devices;
    FakeInstrumentLoader instruments;
    NoAudioEngines audio;
    FakeSongHost songHost;
    CSequencer engine{SequencerServices{.profile = profile,
                                        .prompt = prompt,
                                        .gui = gui,
                                        .posts = posts,
                                        .devices = withSynth(),
                                        .instruments = instruments,
                                        .timer = timer,
                                        .audio = audio},
                      engineOptions()};
    CSongDoc song{SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = engine}};
};

} // namespace rz
