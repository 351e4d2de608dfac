#pragma once

// A stage for performer scenarios: the real engine on the manual timer with
// one output "Synth", songs built to order, the frame's song-end and
// song-switch handlers run through the engine calls the program makes, and
// a StageWatch on the output.

#include "engine/sequencer_settings.h"
#include "song/cue.h"
#include "song/play_images.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/engine/stage_watch.h"
#include "tests/song/song_builder.h"

#include <memory>
#include <vector>

namespace rz {

class PerformerStage {
public:
    static constexpr uint32_t kPeriodMs = 2;
    // Fast enough that a few thousand ticks play a whole song: one tick of
    // the song is 1 ms at 120 ticks per quarter.
    static constexpr uint32_t kTempo = 120000;

    explicit PerformerStage(uint32_t options = kOptionPlayLeavesVamp)
    {
        devices.addOutput("Synth");
        SequencerOptions engineOptions;
        engineOptions.refresh.minInterval = std::chrono::milliseconds(1);
        engine = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                  .prompt = prompt,
                                                  .gui = gui,
                                                  .toGui = posts,
                                                  .devices = devices,
                                                  .instruments = instruments,
                                                  .timer = timer,
                                                  .audio = audio},
            engineOptions);
        engine->Init();
        SequencerSettings settings = *engine->liveSettings();
        settings.options = options;
        engine->applySettings(settings);
    }

    ~PerformerStage()
    {
        gui.runAndWait([&] { engine->Shutdown(); });
        engine->setCurrentSong(nullptr);
        songs.clear();
        engine.reset();
    }
    PerformerStage(const PerformerStage&) = delete;
    PerformerStage& operator=(const PerformerStage&) = delete;

    // A song with one track per channel on "Synth", at the stage's tempo:
    // each list of `events` on its own channel, from `firstChannel` on.
    CSongDoc& addSong(const std::vector<std::vector<CMidiEvent>>& events, int firstChannel = 0)
    {
        auto made = std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *engine});
        made->InitNewSong();
        for (size_t channel = 0; channel < events.size(); ++channel) {
            CTrack& track = test::addUserTrack(*made);
            track.channel = firstChannel + int(channel);
            for (const CMidiEvent& event : events[channel])
                track.InsertEventSorted(event);
            track.outputPort = engine->openOutPort(0);
        }
        made->tempoMap[0].setTempo(kTempo);
        made->RecalcTempoTimes();
        RebuildPlayImages(*made, false);
        made->ExtendMeasureMap();
        made->Locate(0);
        songs.push_back(std::move(made));
        return *songs.back();
    }

    static CCue& addCue(CSongDoc& target, int32_t kind, int32_t time, int32_t secondTime,
        int32_t repeatCount = 0, int32_t secondCount = 0)
    {
        auto cue = std::make_unique<CCue>();
        cue->kind = kind;
        cue->time = time;
        cue->secondTime = secondTime;
        cue->repeatCount = repeatCount;
        cue->secondCount = secondCount;
        CCue& added = *cue;
        insertCueInOrder(target.cues, std::move(cue));
        return added;
    }

    // The song the frame shows; the set's next song after it, or none.
    void makeCurrent(CSongDoc& shown, SetItemHandle next = nullptr)
    {
        current = &shown;
        songHost.current = &shown;
        engine->setCurrentSong(&shown);
        engine->setNextSetSong(next);
    }

    // A set item that stands for `item`'s song.
    SetItemHandle itemOf(CSongDoc& itemSong)
    {
        const SetItemHandle item = reinterpret_cast<SetItemHandle>(&itemSong);
        gui.recorder.itemSongs[item] = &itemSong;
        return item;
    }

    // The frame's song-end timer: only a song end the engine still stands
    // at; a cue's stop is acted on, the song's end stops.
    void songEndHandler()
    {
        if (engine->transportState() != TransportState::SongEnded)
            return;
        engine->Pause();
        if (current != nullptr && current->position() < current->endTick) {
            current->OnTimerCues();
            return;
        }
        engine->Stop(false);
    }

    // The frame's song-switch timer: the song the engine switched to is
    // shown, and its own next song set.
    void songSwitchHandler(SetItemHandle nextAfter)
    {
        if (CSongDoc* played = engine->songPlayed())
            makeCurrent(*played, nextAfter);
    }

    void runTicks(int ticks) { timer.advance(kPeriodMs * uint32_t(ticks)); }

    // The first fault the output showed since the last look.
    std::string look() { return watch.take(*devices.outputDevices.at("Synth")); }

    MemoryProfile profile;
    ScriptedPrompt prompt;
    QueuedEngineHost gui;
    EngineToGui posts{gui, gui.guiThreadId(), gui.recorder, gui.recorder, gui.recorder};
    FakeMidiDevices devices;
    FakeInstrumentLoader instruments;
    ManualEngineTimer timer;
    RecordingAudioEngines audio;
    FakeSongHost songHost;
    std::unique_ptr<CSequencer> engine;
    std::vector<std::unique_ptr<CSongDoc>> songs;
    CSongDoc* current = nullptr;
    StageWatch watch;
};

} // namespace rz
