#pragma once

// The engine with the real audio engines on a JACK dummy server of the
// test's own, a manual timer, fake MIDI devices and an audio test client.
// These tests run alone (RUN_SERIAL).

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/audio_engines.h"
#include "platform/audio_jack.h"
#include "tests/engine/jack_audio_test_client.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/platform/midi_jack_fixture.h"
#include "tests/song/song_builder.h"
#include "tests/support/eventually.h"

#include <memory>

namespace rz {

class AudioEngineJackTest : public JackServerTest {
protected:
    void SetUp() override
    {
        JackServerTest::SetUp();
        devices.addOutput("Synth");
        profile.writeInt("AudioOptions", "RTenable", 1);
        profile.writeInt("AudioOptions", "RToutput", 2);
        profile.writeInt("AudioOptions", "RTinput", 2);
        client = std::make_unique<JackAudioTestClient>();
        ASSERT_TRUE(client->ok());
        // Ours play into the test client and hear its sine.
        profile.writeString("AudioOptions", "AsioChnOut", client->port("in_l"));
        profile.writeString("AudioOptions", "AsioChnIn", client->port("out_l"));
    }
    void TearDown() override
    {
        shutDown();
        client.reset();
        JackServerTest::TearDown();
    }

    CSequencer& startEngine()
    {
        engine = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                .prompt = prompt,
                                                                .gui = gui,
                                                                .toGui = posts,
                                                                .devices = devices,
                                                                .instruments = instruments,
                                                                .timer = timer,
                                                                .audio = audio});
        engine->Init();
        return *engine;
    }

    // A current song of the engine's with a waveform track holding a loaded
    // clip at `tick` of the given interleaved stereo samples.
    CSongDoc& makeSongWithClip(int32_t tick, std::vector<int16_t> samples)
    {
        song = std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *engine});
        song->InitNewSong();
        CTrack& wave = test::addUserTrack(*song);
        wave.type = kWaveTrack;
        auto data = std::make_shared<AudioClipSamples>();
        data->samples = std::move(samples);
        auto clip = std::make_unique<CAudioClip>();
        clip->fileName = "clip.wav";
        clip->number = 1;
        clip->length = WaveDuration(data->frameCount(), data->format.sampleRate);
        clip->samples = std::move(data);
        clip->loaded = true;
        CMidiEvent event;
        event.tick = tick;
        event.SetClip(std::move(clip));
        wave.events.push_back(std::move(event));
        songHost.current = song.get();
        engine->setCurrentSong(song.get());
        return *song;
    }

    void shutDown()
    {
        if (engine) {
            gui.runAndWait([&] { engine->Shutdown(); });
            engine->setCurrentSong(nullptr);
        }
        song.reset();
        engine.reset();
    }

    // Ticks the manual timer until `done`; false after `limit` ticks.
    bool tickUntil(const std::function<bool()>& done, int limit = 2000)
    {
        for (int i = 0; i < limit && !done(); ++i)
            timer.advance(1);
        return done();
    }

    MemoryProfile profile;
    ScriptedPrompt prompt;
    QueuedEngineHost gui;
    EngineToGui posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
    FakeMidiDevices devices;
    FakeInstrumentLoader instruments;
    ManualEngineTimer timer;
    AudioEngines audio;
    FakeSongHost songHost;
    std::unique_ptr<JackAudioTestClient> client;
    std::unique_ptr<CSequencer> engine;
    std::unique_ptr<CSongDoc> song;
};

} // namespace rz
