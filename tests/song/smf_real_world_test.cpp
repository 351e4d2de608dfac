// Files the program did not write: each fixture shows one way such a file
// lost events or time. Every one must read, save and read back playing the
// same notes at the same times, with the same song length. The fixtures are
// also files in tests/fixtures/smf, which the fuzz driver replays.
#include <cstdlib>
#include <tuple>

#include <gtest/gtest.h>

#include "saved_song.h"
#include "smf_builder.h"

namespace rz {
namespace {

using namespace test;

// One sounding note as a synthesizer hears it.
struct Played {
    int32_t channel, key, on, off;
    auto operator<=>(const Played&) const = default;
};

void PrintTo(const Played& p, std::ostream* os)
{
    *os << "{ch " << p.channel << " key " << p.key << " " << p.on << ".." << p.off << "}";
}

std::vector<Played> playedNotes(const CSongDoc& song)
{
    std::vector<Played> notes;
    for (size_t i = 1; i + 1 < song.tracks.size(); ++i) {
        const CTrack& track = *song.tracks[i];
        for (const CMidiEvent& e : track.events) {
            if (!e.isNote() || e.data2() == 0)
                continue;
            const int32_t channel = track.type == kMetaTrack ? e.kind() & 0x0F : track.channel;
            notes.push_back({channel, e.data1() + track.key, e.tick, e.tick + e.value2});
        }
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

// The fixture file in the fuzz corpus must be the bytes its builder makes.
// RZ_UPDATE_FIXTURES=1 writes it instead.
void expectCorpusFile(const char* name, const std::vector<uint8_t>& bytes)
{
    const std::filesystem::path path = smfFixture(name);
    if (std::getenv("RZ_UPDATE_FIXTURES") != nullptr)
        writeBytes(path, bytes);
    EXPECT_EQ(readBytes(path), bytes) << path << " is stale: run with RZ_UPDATE_FIXTURES=1";
}

// Saves the song and reads it back: the same notes at the same times, the
// same length. Returns the song read back.
std::unique_ptr<CSongDoc> expectSameAfterSave(SongFixture& fixture, const CSongDoc& song)
{
    auto again = openBytes(fixture, songBytes(song));
    if (again == nullptr)
        return nullptr;
    EXPECT_EQ(playedNotes(*again), playedNotes(song));
    EXPECT_EQ(again->endTick, song.endTick);
    EXPECT_DOUBLE_EQ(again->length, song.length);
    return again;
}

SmfBuilder format1(std::initializer_list<TrackBuilder> tracks, TrackBuilder conductor = plainConductor())
{
    SmfBuilder smf;
    smf.header(1, uint16_t(tracks.size() + 1), 96).track(conductor);
    for (const TrackBuilder& t : tracks)
        smf.track(t);
    return smf;
}

TEST(SmfRealWorld, SystemMessagesInTrack)
{
    TrackBuilder keys;
    keys.meta(0, 0x03, "Keys")
        .event(0, {0x90, 60, 100})
        .event(24, {0xF8})          // timing clock: running status stays
        .event(24, {60, 0})         // so this ends the note at 48
        .event(0, {0xF1, 0x05})     // quarter frame: one data byte, status cancelled
        .event(48, {0x90, 64, 90})
        .event(0, {0xF4, 0x11})     // undefined: its data byte goes with it
        .event(96, {0x80, 64, 0})
        .end();
    TrackBuilder bass;
    bass.meta(0, 0x03, "Bass")
        .event(0, {0x91, 40, 100})
        .event(10, {0xF6})          // tune request
        .event(10, {0xFE})          // active sensing
        .event(76, {0x81, 40, 0})
        .end();
    const std::vector<uint8_t> bytes = format1({keys, bass}).bytes();
    expectCorpusFile("system_messages.mid", bytes);

    SongFixture fixture;
    fixture.prompt.expectMessage("Skipped 5 system common or real-time messages, which a song does not "
                                 "hold: 3 in track 2, 2 in track 3.");
    auto song = openBytes(fixture, bytes);
    ASSERT_NE(song, nullptr);
    fixture.prompt.verifyAllUsed();
    const std::vector<Played> expected = {{0, 60, 0, 48}, {0, 64, 96, 192}, {1, 40, 0, 96}};
    EXPECT_EQ(playedNotes(*song), expected);
    EXPECT_EQ(song->endTick, 192);
    expectSameAfterSave(fixture, *song);
}

TEST(SmfRealWorld, EndOfTrackTime)
{
    // 96 ticks a quarter at 120 bpm: 960 ticks are 5 s.
    TrackBuilder ringing;
    ringing.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end(960);
    TrackBuilder plain;
    plain.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end();
    TrackBuilder single;
    single.meta(0, 0x58, {4, 2, 24, 8}).meta(0, 0x51, {0x07, 0xA1, 0x20})
        .event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end(960);
    SmfBuilder format0;
    format0.header(0, 1, 96).track(single);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"a track rings on", format1({ringing}).bytes()},
        {"the conductor lasts longer", format1({plain}, plainConductor(1056)).bytes()},
        {"format 0", format0.bytes()},
    };
    expectCorpusFile("end_of_track_time.mid", cases[0].bytes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SongFixture fixture;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", 0);
        auto song = openBytes(fixture, c.bytes);
        ASSERT_NE(song, nullptr);
        EXPECT_EQ(song->endTick, 1056);
        EXPECT_DOUBLE_EQ(song->length, 5.5e6);
        EXPECT_EQ(playedNotes(*song), (std::vector<Played>{{0, 60, 0, 96}}));
        auto again = expectSameAfterSave(fixture, *song);
        ASSERT_NE(again, nullptr);
        // And once more: what was written back is kept again.
        expectSameAfterSave(fixture, *again);
    }
}

TEST(SmfRealWorld, EndOfTrackTimeFollowsDeletedTime)
{
    TrackBuilder ringing;
    ringing.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end(960);
    SongFixture fixture;
    auto song = openBytes(fixture, format1({ringing}).bytes());
    ASSERT_NE(song, nullptr);
    song->ShiftForDeletedTime(192, 384);
    EXPECT_EQ(song->endTick, 1056 - 384);
    song->ShiftForDeletedTime(0, 960);
    EXPECT_EQ(song->endTick, 96);
}

// The notes of UnendedNotes on channels 0 and 1 in one format 0 chunk.
TrackBuilder unendedNotesFormat0()
{
    TrackBuilder t;
    t.event(0, {0x90, 60, 100})       // ended by All Notes Off at 240
        .event(240, {0xB0, 123, 0})
        .event(240, {0x90, 64, 90})   // never ended: sounds to the End of Track
        .event(0, {0x91, 67, 80})     // ended by All Sound Off at 500
        .event(0, {0x91, 69, 80})     // its own note-off after that counts
        .event(20, {0xB1, 120, 0})
        .event(100, {0x81, 69, 0})
        .end(400);
    return t;
}

TEST(SmfRealWorld, UnendedNotes)
{
    TrackBuilder first;
    first.meta(0, 0x03, "One").event(0, {0x90, 60, 100}).event(240, {0xB0, 123, 0})
        .event(240, {0x90, 64, 90}).end(520);
    TrackBuilder second;
    second.meta(0, 0x03, "Two").event(480, {0x91, 67, 80}).event(0, {0x91, 69, 80})
        .event(20, {0xB1, 120, 0}).event(100, {0x81, 69, 0}).end();
    SmfBuilder format0;
    format0.header(0, 1, 96).track(unendedNotesFormat0());
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"format 1", format1({first, second}).bytes()},
        {"format 0", format0.bytes()},
    };
    expectCorpusFile("unended_notes.mid", cases[0].bytes);
    const std::vector<Played> expected = {{0, 60, 0, 240}, {0, 64, 480, 1000}, {1, 67, 480, 500},
                                          {1, 69, 480, 600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SongFixture fixture;
        fixture.profile.writeInt("OpenOptions", "WarnFormat", 0);
        auto song = openBytes(fixture, c.bytes);
        ASSERT_NE(song, nullptr);
        EXPECT_EQ(playedNotes(*song), expected);
        EXPECT_EQ(song->endTick, 1000);
        expectSameAfterSave(fixture, *song);
    }
}

TEST(SmfRealWorld, AutoPropsAfterNotes)
{
    TrackBuilder t;
    t.meta(0, 0x03, "Lead")
        .event(0, {0xB0, 10, 30})   // before any note: the track's pan
        .event(0, {0x90, 60, 100})
        .event(96, {0x80, 60, 0})
        .event(0, {0xC0, 5})        // after a note: events where they stand
        .event(0, {0xB0, 7, 80})
        .event(0, {0xB0, 10, 90})
        .event(0, {0x90, 62, 100})
        .event(96, {0x80, 62, 0})
        .end();
    const std::vector<uint8_t> bytes = format1({t}).bytes();
    expectCorpusFile("autoprops_after_notes.mid", bytes);
    SongFixture fixture;
    auto song = openBytes(fixture, bytes);
    ASSERT_NE(song, nullptr);
    auto changesAt96 = [](const CTrack& track) {
        std::vector<uint32_t> messages;
        for (const CMidiEvent& e : track.events)
            if (!e.isNote() && e.tick == 96)
                messages.push_back(e.message & 0xFFFFF0);
        return messages;
    };
    const std::vector<uint32_t> expected = {0x05C0, 0x5007B0, 0x5A0AB0};
    const auto again = expectSameAfterSave(fixture, *song);
    for (const CSongDoc* s : {song.get(), again.get()}) {
        ASSERT_NE(s, nullptr);
        const CTrack& track = *s->tracks[1];
        EXPECT_EQ(track.patch, -1);
        EXPECT_EQ(track.initialControllers[0], 30); // pan
        EXPECT_EQ(track.initialControllers[1], -1); // volume
        EXPECT_EQ(changesAt96(track), expected);
    }
}

TEST(SmfRealWorld, ManyTextMarkers)
{
    // Texts in time order, pairs at one tick keeping their file order.
    auto conductorWithTexts = [](int count) {
        TrackBuilder c;
        c.meta(0, 0x58, {4, 2, 24, 8}).meta(0, 0x51, {0x07, 0xA1, 0x20});
        for (int i = 0; i < count; ++i)
            c.meta(i % 2 == 0 ? 12 : 0, 0x01, "text " + std::to_string(i));
        c.end();
        return c;
    };
    TrackBuilder t;
    t.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end();
    expectCorpusFile("many_text_markers.mid", format1({t}, conductorWithTexts(300)).bytes());
    constexpr int kTexts = 16000;
    SongFixture fixture;
    auto song = openBytes(fixture, format1({t}, conductorWithTexts(kTexts)).bytes());
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(song->cues.size(), size_t(kTexts));
    for (int i = 0; i < kTexts; ++i) {
        ASSERT_EQ(song->cues[size_t(i)]->name, "text " + std::to_string(i));
        ASSERT_EQ(song->cues[size_t(i)]->time, 12 * (i / 2 + 1));
    }
    auto again = expectSameAfterSave(fixture, *song);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->cues.size(), size_t(kTexts));
    EXPECT_EQ(again->cues.back()->name, song->cues.back()->name);
}

TEST(SmfRealWorld, ChunkEndingInNoDeltaTime)
{
    TrackBuilder cut;
    cut.meta(0, 0x03, "Cut")
        .event(0, {0x90, 60, 100})
        .event(96, {0x80, 60, 0})
        .event(0, {0x90, 62, 100})
        .event(96, {0x80, 62, 0})
        .raw({0x81}); // a delta time that never ends, and no End of Track
    SongFixture fixture;
    fixture.prompt.expectMessage("Track 2 is cut short: the bytes after its last whole event are no event "
                                 "and were left out.");
    auto song = openBytes(fixture, format1({cut}).bytes());
    ASSERT_NE(song, nullptr);
    fixture.prompt.verifyAllUsed();
    EXPECT_EQ(playedNotes(*song), (std::vector<Played>{{0, 60, 0, 96}, {0, 62, 96, 192}}));
    EXPECT_EQ(song->endTick, 192);
    expectSameAfterSave(fixture, *song);
}

TEST(SmfRealWorld, CutEndOfTrack)
{
    TrackBuilder last;
    last.meta(0, 0x03, "Last").event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).end(48);
    const std::vector<uint8_t> whole = format1({last}).bytes();
    auto cut = [&](size_t bytes) { return std::vector<uint8_t>(whole.begin(), whole.end() - std::ptrdiff_t(bytes)); };
    expectCorpusFile("cut_end_of_track.mid", cut(1));
    for (size_t missing : {1, 2, 3}) {
        SCOPED_TRACE(missing);
        SongFixture fixture;
        fixture.prompt.expectMessage("The file is cut short inside the End of Track of track 2; all of "
                                     "its events were read.");
        auto song = openBytes(fixture, cut(missing));
        ASSERT_NE(song, nullptr);
        fixture.prompt.verifyAllUsed();
        EXPECT_EQ(playedNotes(*song), (std::vector<Played>{{0, 60, 0, 96}}));
        EXPECT_EQ(song->tracks[1]->name, "Last");
        EXPECT_EQ(song->endTick, 144);
        expectSameAfterSave(fixture, *song);
    }
    // A cut anywhere else still refuses the file, naming the track and where it starts.
    TrackBuilder early;
    early.event(0, {0x90, 60, 100}).end();
    SmfBuilder cutInsideNote;
    cutInsideNote.header(1, 2, 96).track(plainConductor()).chunk("MTrk", std::span(early.bytes()).first(3), 8);
    SmfBuilder lengthTooLong;
    lengthTooLong.header(1, 2, 96).track(plainConductor())
        .chunk("MTrk", std::span(last.bytes()).first(last.bytes().size() - 1), uint32_t(last.bytes().size() + 9));
    for (const SmfBuilder* smf : {&cutInsideNote, &lengthTooLong}) {
        SongFixture fixture;
        CSongDoc song(fixture.context());
        std::string reason;
        EXPECT_FALSE(OpenSongBytes(song, smf->bytes(), SongFileKind{}, reason));
        EXPECT_NE(reason.find("track 2 is shorter than its length (chunk at 0x"), std::string::npos) << reason;
    }
}

} // namespace
} // namespace rz
