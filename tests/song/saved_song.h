#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "song/play_images.h"
#include "song/smf_reader.h"
#include "song/smf_writer.h"
#include "song_builder.h"
#include "song_fixture.h"

namespace rz::test {

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::filesystem::path smfFixture(const char* name)
{
    return std::filesystem::path(RZ_FIXTURE_DIR) / "smf" / name;
}

// The song's file bytes; fails the test when the writer refuses.
inline std::vector<uint8_t> songBytes(const CSongDoc& song)
{
    std::vector<uint8_t> bytes;
    std::string reason;
    EXPECT_TRUE(BuildSongFile(song, bytes, reason)) << reason;
    return bytes;
}

// A song opened from bytes; null (and a failure) when the reader refuses.
inline std::unique_ptr<CSongDoc> openBytes(SongFixture& fixture, const std::vector<uint8_t>& bytes,
                                           SongFileKind kind = {})
{
    auto song = std::make_unique<CSongDoc>(fixture.context());
    std::string reason;
    if (!OpenSongBytes(*song, bytes, kind, reason)) {
        ADD_FAILURE() << "cannot open: " << reason;
        return nullptr;
    }
    return song;
}

// Images, maps and end brought up to date after a test built the song.
inline void settle(CSongDoc& song)
{
    RebuildPlayImages(song, false);
    song.ExtendMeasureMap();
    song.RecomputeMeasureStarts();
}

inline CMidiEvent clipEventFor(std::string fileName, int32_t tick = 0)
{
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = std::move(fileName);
    clip->number = 1;
    CMidiEvent event;
    event.tick = tick;
    event.value2 = 240;
    event.SetClip(std::move(clip));
    return event;
}

inline std::unique_ptr<CCue> markerCue(int32_t tick, std::string name)
{
    auto cue = std::make_unique<CCue>();
    cue->kind = kCueMarker;
    cue->time = cue->secondTime = tick;
    cue->name = std::move(name);
    return cue;
}

// A format 1 song that uses what a file can carry:
//   title, subtitle, memo (no author), copyright; SMPTE offset 1:02:03:04.50 at 25 fps;
//   tempo 500000 at 0, 400000 at 960 and 450000 at 1000; 3/4 from measure 3,
//   D major (2 sharps) from measure 4;
//   track 1 "Piano" ch 0: program 5 bank 130, notes 60 and 64 at 0, 67 at 480
//     (spelled), pitch bend, an RPN and a sysex;
//   track 2 "Bass" ch 1, key offset -12: notes 40 at 240 and 43 at 1440;
//   track 3 "Meta" (meta track): a controller on channel 9 at 120 and a lyric at 600;
//   a Marker "Intro" at 0 and "Verse" at 960, a vamp from 480 to 960.
inline std::unique_ptr<CSongDoc> richSong(SongFixture& fixture)
{
    auto song = fixture.newSong();
    song->format = 1;
    song->title = "Rich";
    song->subtitle = "Second line";
    song->memo = "A memo";
    song->copyright = "(c) nobody";
    song->smpteOffset = CSmpteTime::fromFields(kSmpteRate25, 1, 2, 3, 4, 50);
    CTrack& piano = addUserTrack(*song);
    piano.name = "Piano";
    piano.events = {program(0, 5, 130),       note(0, 60, 100, 240),       note(0, 64, 90, 240),
                    channelEvent(240, 0xE0, 0, 0x50), note(480, 67, 80, 480), rpn(600, 0, 2 << 7),
                    sysex(720, {0x7E, 0x7F, 0x09, 0x01, 0xF7})};
    piano.events[4].spelling = 3;
    CTrack& bass = addUserTrack(*song);
    bass.name = "Bass";
    bass.channel = 1;
    bass.key = -12;
    bass.events = {note(240, 40, 100, 120, 1), note(1440, 43, 110, 240, 1)};
    CTrack& meta = addUserTrack(*song);
    meta.name = "Meta";
    meta.type = kMetaTrack;
    meta.events = {controller(120, 7, 90, 9), textEvent(600, "la", 0x05)};
    TempoEntry slower{.tick = 960, .tempo = 400000};
    TempoEntry faster{.tick = 1000, .tempo = 450000};
    song->tempoMap.push_back(slower);
    song->tempoMap.push_back(faster);
    song->RecalcTempoTimes();
    song->endTick = 4000;
    song->ExtendMeasureMap();
    for (size_t i = 2; i < song->measureMap.size(); ++i)
        song->measureMap[i].setMeter(3, 2);
    for (size_t i = 3; i < song->measureMap.size(); ++i)
        song->measureMap[i].key = 2;
    song->RecomputeMeasureStarts();
    song->cues.push_back(markerCue(0, "Intro"));
    auto vamp = markerCue(960, "Chorus");
    vamp->kind = kCueVamp;
    vamp->secondTime = 480;
    vamp->repeatCount = 2;
    song->cues.push_back(std::move(vamp));
    song->cues.push_back(markerCue(960, "Verse"));
    settle(*song);
    return song;
}

} // namespace rz::test
