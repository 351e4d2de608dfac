#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "song_builder.h"
#include "song_fixture.h"
#include "tests/support/fake_clip_loader.h"

namespace rz::test {

// The fakes of a song plus a clip loader, and a small song to edit:
//   track 1 "Piano" (channel 0): a controller and two notes at 0 in file
//     order (key 64 before 60), notes at 120 and 240, one spelled;
//   track 2 "Bass" (channel 1): a program change and notes at 0 and 480;
//   track 3 "Audio" (waveform): a clip at 480;
//   tempo 500000 at 0 and 400000 at 960; a Marker at 240 and an Ad lib
//   from 600 to 700.
struct UndoFixture : SongFixture {
    FakeClipLoader clips;

    SongContext undoContext()
    {
        SongContext c = context();
        c.clipLoader = &clips;
        return c;
    }

    std::unique_ptr<CSongDoc> smallSong()
    {
        auto song = std::make_unique<CSongDoc>(undoContext());
        song->InitNewSong();
        CTrack& piano = addUserTrack(*song);
        piano.name = "Piano";
        piano.events = {controller(0, 7, 100), note(0, 64, 90, 60), note(0, 60, 90, 60),
                        note(120, 62, 80, 60), note(240, 65, 80, 120)};
        piano.events[3].spelling = 3;
        CTrack& bass = addUserTrack(*song);
        bass.name = "Bass";
        bass.channel = 1;
        bass.events = {program(0, 33, -1, 1), note(0, 40, 100, 240, 1), note(480, 43, 100, 240, 1)};
        CTrack& audio = addUserTrack(*song);
        audio.name = "Audio";
        audio.type = kWaveTrack;
        audio.events.push_back(clipEvent(480, "WaveData\\a.wav"));
        TempoEntry faster;
        faster.tick = 960;
        faster.tempo = 400000;
        song->tempoMap.push_back(faster);
        song->RecalcTempoTimes();
        song->cues.push_back(cue(kCueMarker, 240, 240, "Verse"));
        song->cues.push_back(cue(kCueAdLib, 600, 700, "Solo"));
        RebuildPlayImages(*song, false);
        song->ExtendMeasureMap();
        song->RecomputeMeasureStarts();
        host.current = song.get();
        return song;
    }

    static CMidiEvent clipEvent(int32_t tick, std::string name, int32_t number = 1)
    {
        auto clip = std::make_unique<CAudioClip>();
        clip->fileName = std::move(name);
        clip->number = number;
        CMidiEvent event;
        event.tick = tick;
        event.value2 = 240;
        event.SetClip(std::move(clip));
        return event;
    }

    static std::unique_ptr<CCue> cue(int kind, int32_t time, int32_t second, std::string name)
    {
        auto c = std::make_unique<CCue>();
        c->kind = kind;
        c->time = time;
        c->secondTime = second;
        c->name = std::move(name);
        return c;
    }
};

inline uint32_t eventKey(uint32_t track, uint32_t position) { return track << 24 | position; }

// Fails with the first line that differs.
#define EXPECT_SAME_SONG(expected, actual) \
    EXPECT_EQ(::rz::firstDifference((expected), (actual)), "")

} // namespace rz::test
