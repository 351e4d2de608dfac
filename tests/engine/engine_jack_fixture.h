#pragma once

// The engine on a JACK dummy server of the test's own, with the machine's
// MIDI system minus the ALSA sequencer: the set-up every engine JACK test
// shares. These tests run alone (RUN_SERIAL).

#include "engine/sequencer_devices.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/platform/midi_jack_fixture.h"

#include <memory>

namespace rz {

class EngineJackTest : public JackServerTest {
protected:
    void TearDown() override
    {
        shutDown();
        JackServerTest::TearDown();
    }

    // A new engine on `timer` over JACK and whatever `options` adds (never
    // the ALSA sequencer), initialised. Ends the one before.
    CSequencer& startEngine(IEngineTimer& timer, MidiSystemOptions options = {},
                            const ISynthLookup* synths = nullptr)
    {
        shutDown();
        options.useAlsa = false;
        system = std::make_unique<MidiSystem>(options);
        devices = makeDevices(*system);
        engine = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                .prompt = prompt,
                                                                .gui = *guiQueue,
                                                                .toGui = posts,
                                                                .devices = *devices,
                                                                .instruments = instruments,
                                                                .timer = timer,
                                                                .audio = audio,
                                                                .synths = synths});
        engine->Init();
        return *engine;
    }

    // Where the engine finds its devices; a test may wrap the machine's.
    virtual std::unique_ptr<IMidiDeviceSource> makeDevices(const MidiSystem& machine)
    {
        return std::make_unique<MidiSystemDevices>(machine);
    }

    // A song of the engine's, in `song`.
    CSongDoc& makeEngineSong()
    {
        song = std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *engine});
        return *song;
    }

    // Shuts the engine down on the GUI thread and lets everything go.
    void shutDown()
    {
        if (engine) {
            gui.runAndWait([&] { engine->Shutdown(); });
            engine->setCurrentSong(nullptr);
        }
        song.reset();
        engine.reset();
        devices.reset();
        system.reset();
    }

    MemoryProfile profile;
    ScriptedPrompt prompt;
    QueuedEngineHost gui;
    // Where the engine hands calls to the GUI thread; a test with widgets
    // points it at the Qt event loop.
    IGuiThreadQueue* guiQueue = &gui;
    EngineToGui posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
    UnavailableInstrumentLoader instruments;
    NoAudioEngines audio;
    FakeSongHost songHost;
    std::unique_ptr<MidiSystem> system;
    std::unique_ptr<IMidiDeviceSource> devices;
    std::unique_ptr<CSequencer> engine;
    std::unique_ptr<CSongDoc> song;
};

} // namespace rz
