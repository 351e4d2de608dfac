// Songs read, saved and read again: what the file held comes back, in the
// same tracks, with nothing moved or renamed.
#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

#include "saved_song.h"
#include "smf_builder.h"
#include "song/audio_clip.h"
#include "song/describe_song.h"
#include "song/image_writer.h"
#include "song/smf_reader.h"

namespace rz {
namespace {

using test::SmfBuilder;
using test::TrackBuilder;

std::vector<uint8_t> formatOne(std::initializer_list<TrackBuilder> tracks, uint16_t division = 96)
{
    SmfBuilder smf;
    smf.header(1, uint16_t(tracks.size() + 1), division).track(test::plainConductor());
    for (const TrackBuilder& t : tracks)
        smf.track(t);
    return smf.bytes();
}

bool contains(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& run)
{
    return std::search(bytes.begin(), bytes.end(), run.begin(), run.end()) != bytes.end();
}

// Every event of the user tracks, one a line: the track, tick, message and
// second value.
std::string userEvents(const CSongDoc& song)
{
    std::string text;
    char line[64];
    for (size_t t = 1; t + 1 < song.tracks.size(); ++t) {
        for (const CMidiEvent& event : song.tracks[t]->events) {
            std::snprintf(line, sizeof line, "%zu: %d %08x %d\n", t, event.tick, event.message, event.value2);
            text += line;
        }
    }
    return text;
}

// The song saved and opened again holds the events first read, in the same
// tracks, and saves to the same bytes.
void expectSameAfterResave(SongFixture& fixture, const CSongDoc& song)
{
    const std::vector<uint8_t> saved = test::songBytes(song);
    const auto again = test::openBytes(fixture, saved);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->tracks.size(), song.tracks.size());
    EXPECT_EQ(firstDifference(userEvents(song), userEvents(*again)), "");
    EXPECT_EQ(test::songBytes(*again), saved);
}

TEST(SmfRoundTrip, RpnNumbers)
{
    struct Case {
        const char* name;
        TrackBuilder track;
        std::vector<uint8_t> savedRun; // in the saved track, running status and all
        bool bendRangeSet;
    } cases[] = {
        {"RPN 61/0 (3D sound) stays its controllers",
         TrackBuilder()
             .event(0, {0xB0, 0x65, 0x3D}).event(0, {0xB0, 0x64, 0x00}) // select 61/0
             .event(0, {0xB0, 0x06, 0x05}).event(0, {0xB0, 0x26, 0x00}) // its value
             .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40}),
         {0xB0, 0x65, 0x3D, 0x00, 0x64, 0x00, 0x00, 0x06, 0x05, 0x00, 0x26, 0x00},
         false},
        {"LSB before MSB: the selection keeps its LSB",
         TrackBuilder()
             .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40})
             .event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00}) // RPN 0, an event
             .event(0, {0xB0, 0x06, 0x0C})
             .event(0, {0xB0, 0x64, 0x02}).event(0, {0xB0, 0x65, 0x3D}) // select 61/2
             .event(0, {0xB0, 0x06, 0x07}),
         {0x65, 0x3D, 0x00, 0x64, 0x02, 0x00, 0x06, 0x07},
         false},
        {"LSB first with no selection before: as it stood",
         TrackBuilder()
             .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40})
             .event(0, {0xB0, 0x64, 0x02}).event(0, {0xB0, 0x65, 0x3D}) // select 61/2
             .event(0, {0xB0, 0x06, 0x07}),
         {0xB0, 0x64, 0x02, 0x00, 0x65, 0x3D, 0x00, 0x06, 0x07},
         false},
        {"RPN 0 after a note is an event as before",
         TrackBuilder()
             .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40})
             .event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00})
             .event(0, {0xB0, 0x06, 0x0C}).event(0, {0xB0, 0x26, 0x00}),
         {0xB0, 0x65, 0x00, 0x00, 0x64, 0x00, 0x00, 0x06, 0x0C, 0x00, 0x26, 0x00},
         false},
        {"RPN 0 at the start is the bend range setting as before",
         TrackBuilder()
             .event(0, {0xB0, 0x65, 0x00}).event(0, {0xB0, 0x64, 0x00})
             .event(0, {0xB0, 0x06, 0x0C}).event(0, {0xB0, 0x26, 0x00})
             .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40}),
         {0xB0, 0x65, 0x00, 0x00, 0x64, 0x00, 0x00, 0x06, 0x0C, 0x00, 0x26, 0x00},
         true},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.track.end();
        SongFixture fixture;
        const auto song = test::openBytes(fixture, formatOne({c.track}));
        ASSERT_NE(song, nullptr);
        EXPECT_EQ(song->tracks[1]->rpnValues[3] >= 0, c.bendRangeSet); // RPN 0's slot
        const std::vector<uint8_t> saved = test::songBytes(*song);
        EXPECT_TRUE(contains(saved, c.savedRun));
        expectSameAfterResave(fixture, *song);
    }
}

TEST(SmfRoundTrip, PortMeta)
{
    TrackBuilder track;
    track.meta(0, 0x21, {0x02})                              // the track's port
        .meta(0, 0x21, {0x06})                               // a second one at the start
        .event(0, {0x90, 0x3C, 0x64})
        .meta(10, 0x21, std::span<const uint8_t>())          // empty
        .meta(38, 0x21, {0x05})                              // later
        .event(48, {0x80, 0x3C, 0x40})
        .end();
    TrackBuilder conductor = test::plainConductor();
    TrackBuilder conductorWithPort;
    conductorWithPort.meta(0, 0x58, {4, 2, 24, 8}).meta(24, 0x21, {0x03}).end();
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::vector<std::vector<uint8_t>> savedRuns;
    } cases[] = {
        {"on a track",
         SmfBuilder().header(1, 2, 96).track(conductor).track(track).bytes(),
         {{0xFF, 0x21, 0x01, 0x02}, {0xFF, 0x21, 0x01, 0x06}, {0xFF, 0x21, 0x00}, {0xFF, 0x21, 0x01, 0x05}}},
        {"in the conductor",
         SmfBuilder().header(1, 2, 96).track(conductorWithPort).track(track).bytes(),
         {{0x18, 0xFF, 0x21, 0x01, 0x03}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SongFixture fixture;
        const auto song = test::openBytes(fixture, c.file);
        ASSERT_NE(song, nullptr);
        EXPECT_TRUE(std::any_of(song->tracks.begin(), song->tracks.end(),
                                [](const auto& t) { return t->port == 2; }));
        const std::vector<uint8_t> saved = test::songBytes(*song);
        for (const auto& run : c.savedRuns)
            EXPECT_TRUE(contains(saved, run)) << run.size() << "-byte run " << int(run.back());
        expectSameAfterResave(fixture, *song);
    }
}

TEST(SmfRoundTrip, FarTicks)
{
    constexpr uint32_t kLongestDelta = 0x0FFFFFFF;
    // 3840 ticks a quarter, so 65535 measures reach past 2^30.
    TrackBuilder track;
    track.event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40})
        .meta(kLongestDelta, 0x01, std::span<const uint8_t>())        // steps to 268,435,551
        .event(1000, {0x90, 0x3E, 0x64}).event(96, {0x80, 0x3E, 0x40}) // 268,436,551
        .meta(kLongestDelta, 0x01, std::span<const uint8_t>())
        .meta(kLongestDelta, 0x01, std::span<const uint8_t>())
        .event(5, {0xB0, 0x01, 0x40})                                  // 805,307,562
        .end();
    TrackBuilder conductor;
    conductor.meta(0, 0x58, {4, 2, 24, 8})
        .meta(kLongestDelta, 0x01, std::span<const uint8_t>())
        .meta(kLongestDelta, 0x06, "far")                               // 536,870,910
        .end();
    SongFixture fixture;
    const std::vector<uint8_t> file = SmfBuilder().header(1, 2, 3840).track(conductor).track(track).bytes();
    const auto song = test::openBytes(fixture, file);
    ASSERT_NE(song, nullptr);
    const auto& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].tick, 268436551);
    EXPECT_EQ(events[2].tick, 805307562);
    ASSERT_EQ(song->cues.size(), 1u);
    EXPECT_EQ(song->cues[0]->time, 536870910);
    expectSameAfterResave(fixture, *song);
    const auto again = test::openBytes(fixture, test::songBytes(*song));
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->cues.size(), 1u);
    EXPECT_EQ(again->cues[0]->time, 536870910);
}

TEST(SmfRoundTrip, FarTicksPastTheLastAreMovedWithAMessage)
{
    constexpr uint32_t kLongestDelta = 0x0FFFFFFF;
    constexpr int32_t kLastTick = 0x7FFFFFFE;
    TrackBuilder track;
    track.event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40});
    for (int i = 0; i < 7; ++i)
        track.meta(kLongestDelta, 0x01, std::span<const uint8_t>());
    // 8 x 268,435,455 + 96: past 2^31 - 2
    track.event(kLongestDelta, {0xB0, 0x01, 0x40}).event(10, {0xB0, 0x01, 0x41}).end();
    TrackBuilder conductor;
    conductor.meta(0, 0x58, {255, 0, 24, 8}).end(); // long measures: 548 reach the end
    SongFixture fixture;
    fixture.prompt.expectMessage("Moved 2 events that lie past tick 2147483646");
    const std::vector<uint8_t> file = SmfBuilder().header(1, 2, 3840).track(conductor).track(track).bytes();
    const auto song = test::openBytes(fixture, file);
    ASSERT_NE(song, nullptr);
    const auto& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].tick, kLastTick);
    EXPECT_EQ(events[2].tick, kLastTick);
    expectSameAfterResave(fixture, *song);
}

TEST(SmfRoundTrip, ClipNames)
{
    struct Case {
        const char* fileName;
        int32_t number;
        const char* songFolder;
        const char* written;
        const char* readBack; // "/" and "\\" name the same file
    } cases[] = {
        {"/songs/a/WaveData/take.wav", 1, "/songs/a", "WaveData\\take.wav", "/songs/a/WaveData/take.wav"},
        {"/songs/b/WaveData/take.wav", 1, "/songs/a", "/songs/b/WaveData/take.wav", "/songs/b/WaveData/take.wav"},
        {"WaveData/take.wav", 3, "", "3||WaveData\\take.wav", "WaveData\\take.wav"},
        {"C:\\Songs\\WaveData\\take.wav", 1, "", "C:\\Songs\\WaveData\\take.wav", "C:\\Songs\\WaveData\\take.wav"},
        {"2|/WaveData\\take.wav", 1, "", "2|/WaveData\\take.wav", "2|/WaveData\\take.wav"},
        {"2||take.wav", 1, "", "1||2||take.wav", "2||take.wav"},
        {"mix/WaveData/take.wav", 2, "", "2||mix/WaveData/take.wav", "mix/WaveData/take.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        CAudioClip clip;
        clip.fileName = c.fileName;
        clip.number = c.number;
        EXPECT_EQ(clipText(clip, c.songFolder), c.written);

        SongFixture fixture;
        auto song = fixture.newSong();
        song->songFolder = c.songFolder;
        CTrack& audio = test::addUserTrack(*song);
        audio.type = kWaveTrack;
        CMidiEvent event = test::clipEventFor(c.fileName);
        event.clip()->number = c.number;
        audio.events.push_back(std::move(event));
        test::settle(*song);
        auto again = std::make_unique<CSongDoc>(fixture.context());
        again->songFolder = c.songFolder; // as a song opened from there
        std::string reason;
        ASSERT_TRUE(OpenSongBytes(*again, test::songBytes(*song), {}, reason)) << reason;
        ASSERT_EQ(again->tracks[1]->events.size(), 1u);
        const CAudioClip* read = again->tracks[1]->events[0].clip();
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->fileName, c.readBack);
        EXPECT_EQ(read->number, c.number);
    }
}

TEST(SmfRoundTrip, TrackStability)
{
    TrackBuilder format0;
    format0.meta(0, 0x58, {4, 2, 24, 8})
        .event(0, {0x90, 0x3C, 0x64})
        .event(0, {0xBD, 0x00, 0x00})  // channel 14: a bank select and nothing else
        .event(96, {0x80, 0x3C, 0x40})
        .end();
    TrackBuilder bankAfterNotes;
    bankAfterNotes.event(0, {0xB0, 0x00, 0x01}).event(0, {0xC0, 0x05}) // the track's patch
        .event(0, {0x90, 0x3C, 0x64}).event(96, {0x80, 0x3C, 0x40})
        .event(0, {0xB0, 0x20, 0x07})                               // no program follows
        .event(10, {0x90, 0x3E, 0x64}).event(96, {0x80, 0x3E, 0x40})
        .end();
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        uint32_t keptBankSelect;
    } cases[] = {
        {"format 0 channel with only a bank select", SmfBuilder().header(0, 1, 96).track(format0).bytes(),
         0x0000BDu},
        {"bank select after the notes", formatOne({bankAfterNotes}), 0x0720B0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SongFixture fixture;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", 0); // format 0 stays
        const auto song = test::openBytes(fixture, c.file);
        ASSERT_NE(song, nullptr);
        char kept[16];
        std::snprintf(kept, sizeof kept, " %08x ", c.keptBankSelect);
        EXPECT_NE(userEvents(*song).find(kept), std::string::npos) << userEvents(*song);
        expectSameAfterResave(fixture, *song);
    }
}

TEST(SmfRoundTrip, ProgramPrefixTextsThatAreNoSettingsStayTexts)
{
    TrackBuilder track;
    track.meta(0, 0x03, "Keys").event(0, {0x90, 0x3C, 0x64})
        .meta(10, 0x01, "@DR;30;12b")                        // a label's text, not settings
        .meta(0, 0x01, "@DR;30;2;0;-1;0;0;0;0;0;0;1;100;7") // one field too many
        .event(86, {0x80, 0x3C, 0x40})
        .end();
    SongFixture fixture;
    const auto song = test::openBytes(fixture, formatOne({track}));
    ASSERT_NE(song, nullptr);
    const CTrack& keys = *song->tracks[1];
    EXPECT_EQ(keys.type, kMidiTrack);
    ASSERT_EQ(keys.events.size(), 3u);
    EXPECT_EQ(keys.events[1].message, kTextMessage);
    EXPECT_EQ(keys.events[2].message, kTextMessage);
    expectSameAfterResave(fixture, *song);
}

TEST(SmfRoundTrip, MetaTrackEventsStayOnTheirTrack)
{
    const std::vector<uint8_t> instrumentState = {'d', 'r', 50, 1, 2, 3};
    const std::vector<uint8_t> shortRecord = {'d', 'r'};
    struct Case {
        const char* name;
        uint8_t type;
        std::vector<uint8_t> data;
        uint32_t message; // as the meta track holds it
    } cases[] = {
        {"a chord marker", 0x01, {'@', 'D', 'R', ';', '1', ';', '0', ';', 'C'}, kTextMessage},
        {"a cue point, read as a clip", 0x07, {'t', 'a', 'k', 'e', '.', 'w', 'a', 'v'}, kAudioClipMessage},
        {"an instrument's state", 0x7F, instrumentState, 0x7FFFu},
        {"a record without an id", 0x7F, shortRecord, 0x7FFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackBuilder meta;
        meta.meta(0, 0x03, "Meta").meta(0, 0x7F, {'d', 'r', 30, 2}) // a meta track
            .event(0, {0x90, 0x3C, 0x64})
            .meta(24, c.type, c.data)
            .event(72, {0x80, 0x3C, 0x40})
            .end();
        SongFixture fixture;
        const auto song = test::openBytes(fixture, formatOne({meta}));
        ASSERT_NE(song, nullptr);
        const CTrack& track = *song->tracks[1];
        ASSERT_EQ(track.type, kMetaTrack);
        ASSERT_TRUE(std::any_of(track.events.begin(), track.events.end(), [&](const CMidiEvent& e) {
            return e.message == c.message && e.tick == 24;
        })) << userEvents(*song);
        expectSameAfterResave(fixture, *song);
    }
}

TEST(SmfRoundTrip, TemposARescaleBringsToOneTickKeepTheLast)
{
    TrackBuilder conductor;
    conductor.meta(0, 0x58, {4, 2, 24, 8}).meta(0, 0x51, {0x07, 0xA1, 0x20}) // 500,000
        .meta(100, 0x51, {0x06, 0x1A, 0x80})                                  // 400,000
        .meta(10, 0x51, {0x04, 0x93, 0xE0})                                   // 300,000
        .end();
    TrackBuilder track;
    track.event(0, {0x90, 0x3C, 0x64}).event(32000, {0x80, 0x3C, 0x40}).end();
    SongFixture fixture;
    fixture.prompt.expectMessage("(from 32000 to 960)");
    // 32,000 ticks a quarter: ticks 100 and 110 both become tick 3.
    const auto song = test::openBytes(fixture, SmfBuilder().header(1, 2, 32000).track(conductor).track(track).bytes());
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(song->tempoMap.size(), 2u);
    EXPECT_EQ(song->tempoMap[1].tick, 3);
    EXPECT_EQ(song->tempoMap[1].tempo, 300000u);
    expectSameAfterResave(fixture, *song);
    const auto again = test::openBytes(fixture, test::songBytes(*song));
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->tempoMap.size(), 2u);
    EXPECT_EQ(again->tempoMap[1].tempo, 300000u);
}

} // namespace
} // namespace rz
