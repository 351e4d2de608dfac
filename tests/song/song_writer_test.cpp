#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include "song/describe_song.h"
#include "song/smf_writer.h"
#include "song/track_encoder.h"
#include "saved_song.h"
#include "smf_builder.h"

namespace rz {
namespace {

using namespace test;

#define EXPECT_SAME_WRITTEN_SONG(expected, actual) EXPECT_EQ(firstDifference((expected), (actual)), "")

// The track chunks of a file, in order.
std::vector<std::vector<uint8_t>> trackChunks(const std::vector<uint8_t>& bytes)
{
    std::vector<std::vector<uint8_t>> chunks;
    size_t at = 14;
    while (at + 8 <= bytes.size()) {
        const size_t length = size_t(bytes[at + 4]) << 24 | size_t(bytes[at + 5]) << 16
                              | size_t(bytes[at + 6]) << 8 | bytes[at + 7];
        EXPECT_TRUE(std::equal(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + 4),
                               "MTrk"));
        chunks.emplace_back(bytes.begin() + std::ptrdiff_t(at + 8),
                            bytes.begin() + std::ptrdiff_t(std::min(bytes.size(), at + 8 + length)));
        at += 8 + length;
    }
    return chunks;
}

uint16_t headerWord(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint16_t(bytes.at(at) << 8 | bytes.at(at + 1));
}

bool contains(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> run)
{
    return std::search(bytes.begin(), bytes.end(), run.begin(), run.end()) != bytes.end();
}

// The conductor's image is the chunk as it was read, which the writer builds
// anew from the maps: songs compare with it encoded from the conductor's
// own events.
std::string describeForComparison(CSongDoc& song)
{
    WriteTrackChunk(*song.tracks.front(), -1, TrackEncodeContext{});
    return DescribeSong(song);
}

// A format 0 file has no place for the program's song-level markers: measure
// labels, cues other than markers, layout, performance tempo and relative volume.
void dropWhatFormat0CannotCarry(CSongDoc& song)
{
    for (size_t i = 0; i < song.measureMap.size(); ++i) {
        song.measureMap[i].number = uint16_t(i + 1);
        song.measureMap[i].letter = 0;
    }
    std::erase_if(song.cues, [](const auto& cue) { return cue->kind != kCueMarker; });
    song.layoutText.clear();
    song.performanceTempo = 0;
    song.relativeVolume = 1.0;
}

// Read, write, read again: the second song equals the first, and writing
// it again gives the same bytes.
void expectRoundTrip(SongFixture& fixture, const std::vector<uint8_t>& original, SongFileKind kind = {})
{
    std::unique_ptr<CSongDoc> first = openBytes(fixture, original, kind);
    ASSERT_NE(first, nullptr);
    const std::vector<uint8_t> written = songBytes(*first);
    std::unique_ptr<CSongDoc> second = openBytes(fixture, written);
    ASSERT_NE(second, nullptr);
    if (first->format == 0)
        dropWhatFormat0CannotCarry(*first);
    EXPECT_SAME_WRITTEN_SONG(describeForComparison(*first), describeForComparison(*second));
    EXPECT_EQ(songBytes(*second), written);
}

TEST(SongWriter, ReadWriteReadKeepsFixtureSongs)
{
    struct Case {
        const char* file;
        int warnFormat; // 0 keeps format 0
        bool rescaled;  // the time base is changed on reading, with a message
    } cases[] = {
        {"format1_settings.mid", 1, false},
        {"format0_channels.mid", 0, false},
        {"format0_channels.mid", 2, false},
        {"smpte_25_40.mid", 1, true},
        {"rmid_wrapped.rmi", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " warnFormat " + std::to_string(c.warnFormat));
        SongFixture fixture;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", c.warnFormat);
        if (c.rescaled)
            fixture.prompt.expectMessage("(PPQN) will be adjusted");
        expectRoundTrip(fixture, readBytes(smfFixture(c.file)));
    }
}

// An F7 escape packet holding more than one message, or status bytes after
// its F0, is written back as the packet it was: an F0 block would end at its
// first F7 when read, losing what follows.
TEST(SongWriter, SysExEscapeRoundTrip)
{
    struct Case {
        const char* name;
        const char* track;
        std::initializer_list<uint8_t> packet;
    } cases[] = {
        {"GmOnAndXgResetThenANote",
         "00 F7 0F F0 7E 7F 09 01 F7   // GM System On...\n"
         "         F0 43 10 4C 00 00 7E 00 F7 // ...and XG System On in one packet\n"
         "00 90 3C 64  60 80 3C 00  00 FF 2F 00",
         {0xF7, 0x0F, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xF0, 0x43}},
        {"StatusBytesAfterTheMessage",
         "00 F7 0D F0 7E 7F 09 01 F7 FF FF FF 7F 90 3C 7F // read as one block\n"
         "00 FF 2F 00",
         {0xF7, 0x0D, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xFF, 0xFF, 0xFF, 0x7F}},
        {"BlockStoredWithoutALength",
         "00 F7 F7 81 03 F7 // F7 81 03 reads as a length, so the block runs to the next F7\n"
         "00 FF 2F 00",
         // With a length its first F7 would end it early: written as it stood.
         {0xF7, 0xF7, 0x81, 0x03, 0xF7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SongFixture fixture;
        const std::vector<uint8_t> file = SmfBuilder()
                                              .header(1, 2, 96)
                                              .chunk("MTrk", hexBytes("00 FF 2F 00"))
                                              .chunk("MTrk", hexBytes(c.track))
                                              .bytes();
        std::unique_ptr<CSongDoc> song = openBytes(fixture, file);
        ASSERT_NE(song, nullptr);
        EXPECT_TRUE(contains(songBytes(*song), c.packet));
        expectRoundTrip(fixture, file);
    }
}

// Escape data with an F7 before its end that no single packet reads back
// whole goes out as packets that end at it: the same bytes are sent.
TEST(SongWriter, EscapeDataSplitsWhereAnF7WouldCutIt)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    CTrack& track = addUserTrack(*song);
    CMidiEvent escape;
    escape.message = 0xF0;
    const uint8_t data[] = {0x01, 0xF7, 0x02};
    escape.SetData(data);
    track.events.push_back(std::move(escape));
    settle(*song);
    const std::vector<uint8_t> bytes = songBytes(*song);
    EXPECT_TRUE(contains(bytes, {0xF7, 0x02, 0x01, 0xF7, 0x00, 0xF7, 0x01, 0x02}));
    std::unique_ptr<CSongDoc> back = openBytes(fixture, bytes);
    ASSERT_NE(back, nullptr);
    std::vector<uint8_t> sent;
    for (const CMidiEvent& event : back->tracks[1]->events) {
        const auto block = event.data.bytes();
        sent.insert(sent.end(), block.begin(), block.end());
    }
    EXPECT_EQ(sent, std::vector<uint8_t>(std::begin(data), std::end(data)));
    EXPECT_EQ(songBytes(*back), bytes);
}

// A velocity-0 note-off with no note to end is kept as a note, and a later
// note-off of its key ends it; saved without that note-off, it would end a
// note after it instead.
TEST(SongWriter, StrayNoteOffKeepsItsLength)
{
    const std::vector<uint8_t> file = SmfBuilder()
                                          .header(1, 2, 96)
                                          .chunk("MTrk", hexBytes("00 FF 2F 00"))
                                          .chunk("MTrk", hexBytes("00 80 3C 00  // nothing to end: kept\n"
                                                                  "30 80 3C 40  // ends it\n"
                                                                  "30 90 3C 64  60 80 3C 00\n"
                                                                  "00 FF 2F 00"))
                                          .bytes();
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = openBytes(fixture, file);
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(song->tracks[1]->events.size(), 2u);
    EXPECT_EQ(song->tracks[1]->events[0].value2, 0x30);
    EXPECT_EQ(song->tracks[1]->events[1].value2, 0x60);
    expectRoundTrip(fixture, file);
}

TEST(SongWriter, ReadWriteReadKeepsABuiltSongInBothFormats)
{
    for (uint16_t format : {1, 0}) {
        SCOPED_TRACE(format);
        SongFixture fixture;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", 0);
        std::unique_ptr<CSongDoc> song = richSong(fixture);
        song->format = format;
        expectRoundTrip(fixture, songBytes(*song));
    }
}

TEST(SongWriter, BuiltSongReadsBackItsTextsMapsAndCues)
{
    SongFixture fixture;
    fixture.profile.writeInt("SaveOptions", "Rename", 0);
    std::unique_ptr<CSongDoc> song = richSong(fixture);
    std::unique_ptr<CSongDoc> back = openBytes(fixture, songBytes(*song));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->title, "Rich");
    EXPECT_EQ(back->subtitle, "Second line");
    EXPECT_EQ(back->author, "");
    EXPECT_EQ(back->memo, "A memo");
    EXPECT_EQ(back->copyright, "(c) nobody");
    EXPECT_EQ(back->smpteOffset.Format(), song->smpteOffset.Format());
    EXPECT_EQ(back->smpteOffset.rate(), kSmpteRate25);
    ASSERT_EQ(back->tempoMap.size(), 3u);
    EXPECT_EQ(back->tempoMap[2].tick, 1000);
    EXPECT_EQ(back->tempoMap[2].tempo, 450000u);
    ASSERT_GE(back->measureMap.size(), 4u);
    EXPECT_EQ(back->measureMap[2].numerator, 3);
    EXPECT_EQ(back->measureMap[3].key, 2);
    ASSERT_EQ(back->cues.size(), 3u);
    EXPECT_EQ(back->cues[0]->name, "Intro");
    EXPECT_EQ(back->cues[1]->kind, kCueVamp);
    EXPECT_EQ(back->cues[1]->repeatCount, 2);
    EXPECT_EQ(back->cues[2]->name, "Verse");
    ASSERT_EQ(back->tracks.size(), song->tracks.size());
    EXPECT_EQ(back->tracks[3]->type, kMetaTrack);
    EXPECT_EQ(back->tracks[3]->events.size(), 2u);
}

TEST(SongWriter, GoldenFileMatchesByteForByte)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    song->title = "Golden";
    song->author = "Someone";
    CTrack& piano = addUserTrack(*song);
    piano.name = "Piano";
    piano.patch = 0;
    piano.events = {note(0, 60, 100, 120), note(120, 64, 100, 120), note(240, 67, 100, 240)};
    song->tempoMap.push_back(TempoEntry{.tick = 480, .tempo = 600000});
    song->RecalcTempoTimes();
    song->cues.push_back(markerCue(240, "Here"));
    settle(*song);
    const std::vector<uint8_t> golden = readBytes(std::filesystem::path(RZ_FIXTURE_DIR) / "golden/small_song.mid");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(songBytes(*song), golden);
}

TEST(SongWriter, SongWithoutUserTracksWritesTwoChunks)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    song->format = 1;
    const std::vector<uint8_t> bytes = songBytes(*song);
    EXPECT_EQ(headerWord(bytes, 8), 1);
    EXPECT_EQ(headerWord(bytes, 10), 2);
    EXPECT_EQ(headerWord(bytes, 12), 120);
    EXPECT_EQ(trackChunks(bytes).size(), 2u);

    song->format = 0;
    const std::vector<uint8_t> single = songBytes(*song);
    EXPECT_EQ(headerWord(single, 10), 1);
    EXPECT_EQ(trackChunks(single).size(), 1u);
}

TEST(SongWriter, Format0ShiftsATransposedTrackOnce)
{
    SongFixture fixture;
    fixture.profile.writeInt("OpenOptions", "WarnFormat", 0);
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    song->format = 0;
    CTrack& track = addUserTrack(*song);
    track.key = 2;
    track.velocityOffset = 10;
    track.events = {note(0, 60, 100, 120)};
    settle(*song);
    const std::vector<uint8_t> bytes = songBytes(*song);
    EXPECT_TRUE(contains(bytes, {0x90, 62, 110}));
    std::unique_ptr<CSongDoc> back = openBytes(fixture, bytes);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->tracks.size(), 3u);
    ASSERT_EQ(back->tracks[1]->events.size(), 1u);
    EXPECT_EQ(back->tracks[1]->events[0].data1(), 62);
    EXPECT_EQ(back->tracks[1]->events[0].data2(), 110);
}

TEST(SongWriter, TempoAboveThreeBytesIsWrittenAsTheLargest)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    song->tempoMap[0].tempo = 0x1234567; // set around setTempo's clamp
    const std::vector<uint8_t> bytes = songBytes(*song);
    EXPECT_TRUE(contains(bytes, {0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(contains(bytes, {0xFF, 0x51, 0x03, 0x23, 0x45, 0x67}));
}

TEST(SongWriter, Format0MarkerAtTickZeroStaysAMarker)
{
    SongFixture fixture;
    fixture.profile.writeInt("OpenOptions", "WarnFormat", 0);
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    song->format = 0;
    song->author = "Writer";
    song->cues.push_back(markerCue(0, "Start"));
    song->cues.push_back(markerCue(240, "Later"));
    settle(*song);
    std::unique_ptr<CSongDoc> back = openBytes(fixture, songBytes(*song));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->author, "Writer");
    EXPECT_EQ(back->memo, "");
    ASSERT_EQ(back->cues.size(), 2u);
    EXPECT_EQ(back->cues[0]->name, "Start");
    EXPECT_EQ(back->cues[1]->name, "Later");
}

TEST(ConductorEvents, ComeInTimeOrderWithoutTheProgramsOwnEvents)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();
    song->format = 0;
    CTrack& first = addUserTrack(*song);
    first.events = {note(0, 60, 100, 240), textEvent(0, "@DR;2;0;ff"), textEvent(120, "plain")};
    CTrack& second = addUserTrack(*song);
    second.channel = 1;
    second.events = {controller(0, 10, 20, 1), note(120, 50, 90, 60, 1)};
    settle(*song);
    ConductorEventReader reader(*song);
    RawEvent event;
    std::vector<std::string> seen;
    while (reader.NextConductorEvent(event))
        seen.push_back(std::to_string(event.tick) + ":" + std::to_string(event.kind) + ":"
                       + std::to_string(event.data1) + ":" + std::to_string(event.data2));
    const std::vector<std::string> expected = {
        "0:144:60:100",  // track 1 first at equal ticks
        "0:177:10:20",
        "120:255:1:0",   // "plain"
        "120:145:50:90",
        "180:145:50:0",
        "240:144:60:0",
    };
    EXPECT_EQ(seen, expected);
}

} // namespace
} // namespace rz
