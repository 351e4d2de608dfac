#include <gtest/gtest.h>

#include "song/rsd_import.h"
#include "saved_song.h"

namespace rz {
namespace {

using namespace test;

constexpr SongFileKind kRsd{.rsd = true};

// One record: the ticks to the next, the key or record type, the channel
// and the three or four bytes after them (the 6-byte form drops the last).
struct Record {
    uint8_t delta, type, channel, b3, b4, b5, b6 = 0;
};

std::vector<uint8_t> records(std::initializer_list<Record> list, bool sixBytes = false)
{
    std::vector<uint8_t> bytes;
    for (const Record& r : list) {
        bytes.insert(bytes.end(), {r.delta, r.type, r.channel, r.b3, r.b4, r.b5});
        if (!sixBytes)
            bytes.insert(bytes.end(), {r.b6, 0});
    }
    return bytes;
}

std::unique_ptr<CSongDoc> import(SongFixture& fixture, const std::vector<uint8_t>& bytes)
{
    return openBytes(fixture, bytes, kRsd);
}

TEST(RsdImport, SixAndEightByteRecords)
{
    // Note 60 on channel 2 lasting 0x0110 ticks, then a note-off record for a
    // note 62 that starts 16 ticks later. In the 6-byte form the second record's
    // key (byte 7 of the first 8 bytes) is not 0, which decides the size.
    const std::initializer_list<Record> list = {
        {16, 60, 2, 100, 0, 0x10, 0x01},
        {48, 62, 2, 90, 0, 0, 0},
        {0, 62, 2, 0x80 | 90, 0, 8},
    };
    struct Case {
        bool sixBytes;
        int32_t firstLength;
    } cases[] = {{false, 0x110}, {true, 0x10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sixBytes);
        SongFixture fixture;
        std::unique_ptr<CSongDoc> song = import(fixture, records(list, c.sixBytes));
        ASSERT_NE(song, nullptr);
        EXPECT_EQ(song->format, 1);
        EXPECT_EQ(song->timeBase, 120);
        ASSERT_EQ(song->tracks.size(), 3u);
        const CTrack& track = *song->tracks[1];
        EXPECT_EQ(track.name, "Channel 3");
        EXPECT_EQ(track.channel, 2);
        ASSERT_EQ(track.events.size(), 2u);
        EXPECT_EQ(track.events[0].tick, 0);
        EXPECT_EQ(track.events[0].value2, c.firstLength);
        EXPECT_EQ(track.events[1].tick, 16);
        EXPECT_EQ(track.events[1].data1(), 62);
        EXPECT_EQ(track.events[1].value2, 48 + 8); // the off record's tick + 8
    }
}

TEST(RsdImport, NoteOffEndsTheNewestMatchingNote)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = import(fixture, records({
        {10, 60, 0, 100, 0, 0},         // tick 0
        {10, 60, 0, 100, 0, 0},         // tick 10
        {10, 60, 0, 0x80 | 100, 0x80, 0}, // ignored: byte 4's top bit
        {10, 60, 0, 0x80 | 90, 0, 0},   // no note of velocity 90
        {0, 60, 0, 0x80 | 100, 0, 5},   // tick 40: ends the note at 10
    }));
    ASSERT_NE(song, nullptr);
    const auto& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].value2, 0);
    EXPECT_EQ(events[1].value2, 40 + 5 - 10);
}

TEST(RsdImport, TempoRecords)
{
    struct Case {
        uint8_t type, divisor, high, low;
        uint32_t tempo; // 0: ignored
    } cases[] = {
        {0x80, 1, 0x10, 0x00, 120 * 0x1000}, {0x88, 4, 0x00, 0x64, 30 * 100},
        {0x80, 3, 0x01, 0x00, 40 * 256},     {0x80, 0, 0x10, 0x00, 0},
        {0x80, 5, 0x10, 0x00, 0},            {0x88, 2, 0x00, 0x00, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.divisor));
        SongFixture fixture;
        std::unique_ptr<CSongDoc> song =
            import(fixture, records({{240, 60, 0, 100, 0, 10}, {0, c.type, 0, c.divisor, c.high, c.low}}));
        ASSERT_NE(song, nullptr);
        if (c.tempo == 0) {
            ASSERT_EQ(song->tempoMap.size(), 1u);
            EXPECT_EQ(song->tempoMap[0].tempo, kDefaultTempo);
        } else {
            ASSERT_EQ(song->tempoMap.size(), 2u);
            EXPECT_EQ(song->tempoMap[1].tick, 240);
            EXPECT_EQ(song->tempoMap[1].tempo, c.tempo);
        }
    }
}

TEST(RsdImport, MeterRecords)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = import(fixture, records({
        {0, 0xA3, 0, 2, 2, 24},     // 2/4, replaced by the next at the same tick
        {0, 0xA3, 0, 3, 2, 0},      // 3/4, clocks 0 become 24
        {0, 0xA3, 0, 0, 2, 24},     // numerator 0: skipped
        {240, 0xA3, 0, 5, 7, 24},   // 2^7: skipped
        {0, 60, 0, 100, 0, 0},      // tick 240
        {240, 0xA3, 0, 0, 0, 0},    // skipped
        {240, 0x90, 0, 0, 0, 0},    // tick 480, another type: skipped
        {0, 0xA3, 0, 6, 3, 12},     // 6/8 at tick 720
        {0, 60, 0, 100, 0, 0},
    }));
    ASSERT_NE(song, nullptr);
    const MeasureMap& map = song->measureMap;
    ASSERT_GE(map.size(), 3u);
    EXPECT_EQ(map[0].start, 0);
    EXPECT_EQ(map[0].numerator, 3);
    EXPECT_EQ(map[0].clocksPerClick, 24);
    EXPECT_EQ(map[1].start, 360); // the gap filled with a copy
    EXPECT_EQ(map[1].numerator, 3);
    EXPECT_EQ(map[2].start, 720);
    EXPECT_EQ(map[2].numerator, 6);
    EXPECT_EQ(map[2].denominator, 8);
    for (size_t i = 0; i < map.size(); ++i) {
        EXPECT_EQ(map[i].number, i + 1);
        EXPECT_EQ(map[i].letter, 0);
    }
}

TEST(RsdImport, ProgramAndControlChangesAndTruncatedEnd)
{
    SongFixture fixture;
    fixture.host.autoPropsFlag = false;
    std::vector<uint8_t> bytes = records({
        {0, 0xE5, 1, 0, 0x85, 0},     // program 5 on channel 2
        {10, 0xE6, 1, 0, 0x87, 0xE4}, // controller 7 = 100
        {10, 0x90, 1, 0, 0, 0},       // another type: skipped
        {10, 64, 1, 80, 0, 0},
    });
    bytes.insert(bytes.end(), {0, 65, 1, 80, 0}); // a truncated record
    std::unique_ptr<CSongDoc> song = import(fixture, bytes);
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(song->tracks.size(), 3u);
    const auto& events = song->tracks[1]->events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].message & 0xFFFF, 0x05C1u);
    EXPECT_EQ(events[1].message, 0x6407B1u);
    EXPECT_EQ(events[1].tick, 0);
    EXPECT_EQ(events[2].data1(), 64);
    EXPECT_EQ(events[2].tick, 20);
}

TEST(RsdImport, TitleFromTheCompanion)
{
    std::vector<uint8_t> companion(124, 0);
    const std::string text = "Rsc Title   ";
    std::copy(text.begin(), text.end(), companion.begin() + 16);
    companion[83] = 'X'; // ends the title whatever it holds
    std::fill(companion.begin() + 16 + text.size(), companion.begin() + 83, uint8_t(' '));
    struct Case {
        size_t companionSize; // 0: none
        const char* title;
    } cases[] = {{124, "Rsc Title"}, {123, "song"}, {0, "song"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.companionSize);
        TempDir dir;
        writeBytes(dir.path() / "song.rsd", records({{0, 60, 0, 100, 0, 10}}));
        if (c.companionSize > 0)
            writeBytes(dir.path() / "song.rsc",
                       std::vector<uint8_t>(companion.begin(), companion.begin() + std::ptrdiff_t(c.companionSize)));
        SongFixture fixture;
        CSongDoc song(fixture.context());
        std::string reason;
        ASSERT_TRUE(OpenSong(song, dir.path() / "song.rsd", reason)) << reason;
        EXPECT_EQ(song.title, c.title);
    }
}

TEST(RsdImport, ImportedSongSavesAsAStandardMidiFile)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = import(fixture, records({{0, 0xA3, 0, 3, 2, 24}, {120, 60, 0, 100, 0, 60},
                                                              {0, 62, 9, 100, 0, 60}}));
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->tracks.size(), 4u);
    std::unique_ptr<CSongDoc> back = openBytes(fixture, songBytes(*song));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tracks.size(), 4u);
    EXPECT_EQ(back->measureMap[0].numerator, 3);
}

} // namespace
} // namespace rz
