#pragma once

// The transport on the manual timer: one recording output "Synth" as
// output-map entry 0, and songs (time base 120, 4/4, 500000 µs per quarter:
// one tick is 4166.7 µs) whose one track plays there. Ticks run on the
// test's thread; the refresh pass on the queued "GUI" thread.

#include "song/cue.h"
#include "song/play_images.h"
#include "tests/engine/sequencer_fixture.h"
#include "tests/song/song_builder.h"
#include "tests/support/eventually.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace rz {

class TransportTest : public SequencerTest {
protected:
    static constexpr uint32_t kPeriodMs = 2;

    void TearDown() override
    {
        if (sequencer) {
            shutDown();
            sequencer->setCurrentSong(nullptr);
        }
        otherSong.reset();
        SequencerTest::TearDown();
    }

    // Starts the engine; profile values written before count.
    CSequencer& init(SequencerOptions options = {})
    {
        if (devices.outputs().empty())
            devices.addOutput("Synth");
        options.refresh.minInterval = std::chrono::milliseconds(1);
        make(options).Init();
        return *sequencer;
    }

    // The current song, with one track on entry 0 holding `events`; the
    // measure map runs to the song's end.
    CSongDoc& makeSongWith(std::initializer_list<CMidiEvent> events, int channel = 0)
    {
        CSongDoc& made = makeSong();
        fill(made, events, channel);
        return made;
    }

    // One bar of notes 15 ticks apart and 40 long on a cycle of 24 keys, so
    // notes sound across every point a follower or a command may locate to.
    CSongDoc& makeBusyBar()
    {
        CSongDoc& made = makeSongWith({});
        CTrack& track = *made.tracks[1];
        for (int32_t tick = 0; tick < 1920; tick += 15)
            track.InsertEventSorted(test::note(tick, uint8_t(48 + tick / 15 % 24), 90, 40));
        RebuildPlayImages(made, false);
        made.ExtendMeasureMap();
        made.Locate(0); // as a song made current is
        return made;
    }

    // A second song on the same engine, not current.
    CSongDoc& makeOtherSong(std::initializer_list<CMidiEvent> events, int channel = 0)
    {
        otherSong = std::make_unique<CSongDoc>(SongContext{
            .profile = profile, .prompt = prompt, .host = songHost, .engine = *sequencer});
        otherSong->InitNewSong();
        fill(*otherSong, events, channel);
        return *otherSong;
    }

    void fill(CSongDoc& target, std::initializer_list<CMidiEvent> events, int channel)
    {
        CTrack& track = test::addUserTrack(target);
        track.channel = channel;
        for (const CMidiEvent& event : events)
            track.InsertEventSorted(event);
        track.outputPort = sequencer->openOutPort(0);
        RebuildPlayImages(target, false);
        target.ExtendMeasureMap();
    }

    CCue& addCue(CSongDoc& target, int32_t kind, int32_t time, int32_t secondTime,
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

    // Play from Stopped at the tick, then the tick that locates it.
    void startAt(int32_t tick)
    {
        sequencer->Play(tick, true, false);
        runTicks(1);
    }

    void runTicks(int ticks) { timer.advance(kPeriodMs * uint32_t(ticks)); }

    // Runs tick by tick until `done` holds; false after `limit` ticks.
    bool runUntil(const std::function<bool()>& done, int limit = 20000)
    {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            runTicks(1);
        }
        return done();
    }

    bool runUntilPosition(int32_t tick, int limit = 20000)
    {
        return runUntil([&] { return sequencer->position() >= tick; }, limit);
    }

    // The position at the tick before the one that first reached `tick`;
    // -1 when it was never reached.
    int32_t positionBeforeReaching(int32_t tick)
    {
        int32_t before = sequencer->position();
        int32_t last = before;
        const bool reached = runUntil([&] {
            before = last;
            last = sequencer->position();
            return last >= tick;
        });
        return reached ? before : -1;
    }

    // What "Synth" received, as hex.
    std::vector<std::string> synthSent() { return output("Synth").sentHex(); }

    // Lets the program clock pass the Play/Cue debounce, idle ticks and all.
    void waitOutDebounce() { runTicks(50); }

    // Waits until the GUI side has received `call` ("name(args)").
    bool waitForGuiCall(const std::string& call, std::chrono::milliseconds limit)
    {
        return eventually(
            [&] {
                gui.drain();
                const auto calls = gui.recorder.calls();
                return std::find(calls.begin(), calls.end(), call) != calls.end();
            },
            limit);
    }

    std::unique_ptr<CSongDoc> otherSong;
};

inline size_t countOf(const std::vector<std::string>& sent, const std::string& message)
{
    return size_t(std::count(sent.begin(), sent.end(), message));
}

} // namespace rz
