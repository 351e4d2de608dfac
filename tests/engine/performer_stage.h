#pragma once

// A stage for performer scenarios: the real engine on the manual timer with
// the output "Synth" (and "Synth 2" when asked), songs built to order, the frame's song-end and
// song-switch handlers run through the engine calls the program makes, and
// a StageWatch on the output.

#include "engine/sequencer_settings.h"
#include "song/cue.h"
#include "song/measure_map.h"
#include "song/play_images.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/engine/stage_watch.h"
#include "tests/song/song_builder.h"

#include <memory>
#include <utility>
#include <vector>

namespace rz {

// One track of a staged song: its events, channel and output port.
struct StagedTrack {
    std::vector<CMidiEvent> events;
    int channel = 0;
    int port = 0;
};

// A staged song's time base, meter and tempo changes (tick, µs per quarter)
// after the stage's tempo at tick 0.
struct SongShape {
    int timeBase = 120;
    int numerator = 4;
    int denominatorPower = 2;
    std::vector<std::pair<int32_t, uint32_t>> tempoChanges;
};

class PerformerStage {
public:
    static constexpr uint32_t kPeriodMs = 2;
    // Fast enough that a few thousand ticks play a whole song: one tick of
    // the song is 1 ms at 120 ticks per quarter.
    static constexpr uint32_t kTempo = 120000;

    explicit PerformerStage(uint32_t options = kOptionPlayLeavesVamp, int outputs = 1)
    {
        devices.addOutput("Synth");
        if (outputs > 1) {
            devices.addOutput("Synth 2");
            profile.writeString("PortsToUse\\MIDIOUT\\0", "port", "Synth");
            profile.writeString("PortsToUse\\MIDIOUT\\1", "port", "Synth 2");
        }
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
        std::vector<StagedTrack> staged;
        for (size_t channel = 0; channel < events.size(); ++channel)
            staged.push_back({events[channel], firstChannel + int(channel), 0});
        return addShapedSong(staged, SongShape{});
    }

    CSongDoc& addShapedSong(const std::vector<StagedTrack>& staged, const SongShape& shape)
    {
        auto made = std::make_unique<CSongDoc>(
            SongContext{.profile = profile, .prompt = prompt, .host = songHost, .engine = *engine});
        made->InitNewSong();
        made->timeBase = uint16_t(shape.timeBase);
        made->SetGridFamily();
        MeasureRec& first = made->measureMap.front();
        first.Set(0, measureLength(shape.timeBase, shape.numerator, 1 << shape.denominatorPower));
        first.setMeter(shape.numerator, shape.denominatorPower);
        for (const StagedTrack& part : staged) {
            CTrack& track = test::addUserTrack(*made);
            track.channel = part.channel;
            for (const CMidiEvent& event : part.events)
                track.InsertEventSorted(event);
            track.port = part.port;
            track.outputPort = engine->openOutPort(engine->outputMapEntry(part.port));
        }
        made->tempoMap[0].setTempo(kTempo);
        for (const auto& [tick, tempo] : shape.tempoChanges) {
            TempoEntry change;
            change.tick = tick;
            change.setTempo(tempo);
            made->tempoMap.push_back(change);
        }
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

    // The first fault the outputs showed since the last look.
    std::string look()
    {
        std::string fault = watch.take(*devices.outputDevices.at("Synth"));
        const auto second = devices.outputDevices.find("Synth 2");
        if (second != devices.outputDevices.end()) {
            const std::string found = secondWatch.take(*second->second);
            if (fault.empty())
                fault = found;
        }
        return fault;
    }

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
    StageWatch secondWatch; // "Synth 2"
};

} // namespace rz
