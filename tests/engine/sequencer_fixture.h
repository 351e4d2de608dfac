#pragma once

// The seams a sequencer is built from, as fakes: devices that record, a
// manual timer, a queued "GUI thread", a scripted prompt and a profile in
// memory; and a song whose engine is the sequencer.

#include "core/profile.h"
#include "engine/audio/audio_format.h"
#include "engine/gui_posts.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "platform/engine_timer.h"
#include "song/song_doc.h"
#include "tests/support/fake_instrument.h"
#include "tests/support/fake_sequencer_services.h"
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
                                   .toGui = posts,
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
    EngineToGui posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
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
    EngineToGui posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
    FakeMidiDevices devices;
    FakeInstrumentLoader instruments;
    NoAudioEngines audio;
    FakeSongHost songHost;
    CSequencer engine{SequencerServices{.profile = profile,
                                        .prompt = prompt,
                                        .gui = gui,
                                        .toGui = posts,
                                        .devices = withSynth(),
                                        .instruments = instruments,
                                        .timer = timer,
                                        .audio = audio},
                      engineOptions()};
    CSongDoc song{SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = engine}};
};

} // namespace rz
