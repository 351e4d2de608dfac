#include <gtest/gtest.h>

#include "smf_builder.h"
#include "song/smf_reader.h"
#include "song/track.h"

namespace rz {
namespace {

using test::TrackBuilder;

CTrack readTrack(const TrackBuilder& builder, bool autoProps = true)
{
    CTrack track;
    track.playImage = builder.bytes();
    EXPECT_TRUE(ReadTrackChunk(track, autoProps));
    return track;
}

std::string textOf(const CMidiEvent& event)
{
    const auto bytes = event.data.bytes();
    return {bytes.begin(), bytes.end()};
}

TEST(ReadTrackChunk, BankSelectBeforeTheFirstProgramBecomesTheInitialBank)
{
    TrackBuilder t;
    t.event(0, {0xB0, 0, 1}).event(0, {0xB0, 32, 2}).event(0, {0xC0, 5})
        .event(10, {0xC0, 5}).event(10, {0xC0, 6}).end();
    const CTrack track = readTrack(t);
    EXPECT_EQ(track.bank, 130);
    EXPECT_EQ(track.patch, 5);
    ASSERT_EQ(track.events.size(), 1u); // the repeated program is dropped
    EXPECT_EQ(track.events[0].data1(), 6);
    EXPECT_EQ(track.events[0].value2, 130);
}

TEST(ReadTrackChunk, ManagedControllersTakeTheFirstValueAndDropRepeats)
{
    TrackBuilder t;
    t.event(0, {0xB0, 7, 100}).event(10, {0xB0, 7, 100}).event(10, {0xB0, 7, 90}).end();
    const CTrack track = readTrack(t);
    EXPECT_EQ(track.initialControllers[1], 100);
    ASSERT_EQ(track.events.size(), 1u);
    EXPECT_EQ(track.events[0].data2(), 90);

    const CTrack plain = readTrack(t, false);
    EXPECT_EQ(plain.initialControllers[1], -1);
    EXPECT_EQ(plain.events.size(), 3u);
}

TEST(ReadTrackChunk, SettingsMarkerSetsTheTrackAndLeavesNoEvent)
{
    TrackBuilder t;
    t.meta(0, 0x03, "Bass").event(0, {0x90, 62, 80}).event(10, {0x80, 62, 0})
        .meta(1, 0x01, "@DR;30;2;3;4;5;6;255;-2;7;3;0;80").end();
    const CTrack track = readTrack(t);
    EXPECT_EQ(track.name, "Bass");
    EXPECT_EQ(track.type, kMetaTrack);
    EXPECT_EQ(track.inputDevice, 3);
    EXPECT_EQ(track.inputChannel, 4);
    EXPECT_EQ(track.notationSetting, 5);
    EXPECT_EQ(track.notationValue, 6);
    EXPECT_EQ(track.color, 255u);
    EXPECT_EQ(track.key, -2);
    EXPECT_EQ(track.timeOffset, 7);
    EXPECT_EQ(track.velocityOffset, 3);
    EXPECT_EQ(track.playEnabled, 0);
    EXPECT_EQ(track.savedPlayEnabled, 0);
    EXPECT_EQ(track.volume, 80);
    ASSERT_EQ(track.events.size(), 1u);
    // The offsets in force at the chunk's end come off the notes once.
    EXPECT_EQ(track.events[0].data1(), 64);
    EXPECT_EQ(track.events[0].data2(), 77);
}

TEST(ReadTrackChunk, MarkerValuesAreClamped)
{
    struct Case {
        const char* marker;
        int32_t type, inputDevice, inputChannel, notationSetting, key, timeOffset, velocityOffset;
        Color color;
    } cases[] = {
        {"@DR;30;9;99;-7;70;0;-1;-500;99999;300;1;100", 2, 15, -1, 6, -127, 4096, 127, kDefaultTrackColor},
        {"@DR;30;-3;-1;99;-2;0;16777216;500;-99999;-300;1;100", 0, 0, 15, 0, 127, -4096, -127,
         kDefaultTrackColor},
        {"@DR;30;1;2;3;4;5;99999999999999999999;0;0;0;1;100", 1, 2, 3, 4, 0, 0, 0, kDefaultTrackColor},
        {"@DR;30;1", 1, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.marker);
        TrackBuilder t;
        t.meta(0, 0x03, "x").meta(1, 0x01, c.marker).end();
        const CTrack track = readTrack(t);
        EXPECT_EQ(track.type, c.type);
        EXPECT_EQ(track.inputDevice, c.inputDevice);
        EXPECT_EQ(track.inputChannel, c.inputChannel);
        EXPECT_EQ(track.notationSetting, c.notationSetting);
        EXPECT_EQ(track.key, c.key);
        EXPECT_EQ(track.timeOffset, c.timeOffset);
        EXPECT_EQ(track.velocityOffset, c.velocityOffset);
        EXPECT_EQ(track.color, c.color);
        EXPECT_TRUE(track.events.empty());
    }
}

TEST(ReadTrackChunk, DrColourRecord)
{
    TrackBuilder t;
    t.meta(0, 0x7F, {'d', 'r', 35, 0x10, 0xE0, 0x10}).end();
    EXPECT_EQ(readTrack(t).color, kDefaultTrackColor);
    TrackBuilder other;
    other.meta(0, 0x7F, {'d', 'r', 35, 0x01, 0x02, 0x03}).end();
    EXPECT_EQ(readTrack(other).color, 0x030201u);
}

TEST(ReadTrackChunk, ShortDrRecordsStayMetaEvents)
{
    const std::vector<std::vector<uint8_t>> records = {
        {'d', 'r', 0, 60},           {'d', 'r', 1, 1, 2, 3},   {'d', 'r', 2, 1},
        {'d', 'r', 3, 0, 1, 2},      {'d', 'r', 30},           {'d', 'r', 35, 1, 2},
        {'d', 'r', 37, 1},           {'d', 'r', 40, 1},        {'d', 'r', 50, 'S', 0, 9},
    };
    for (const auto& record : records) {
        SCOPED_TRACE(int(record[2]));
        TrackBuilder t;
        t.meta(0, 0x7F, record).end();
        const CTrack track = readTrack(t);
        ASSERT_EQ(track.events.size(), 1u);
        EXPECT_EQ(track.events[0].message, kSequencerSpecificMessage);
        EXPECT_EQ(track.events[0].value2, int32_t(record.size()));
    }
}

TEST(ReadTrackChunk, OlderRecordsBecomeMarkers)
{
    TrackBuilder t;
    t.meta(0, 0x03, "x")
        .meta(5, 0x7F, {'d', 'r', 1, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 'm', 0, 'z'})
        .meta(0, 0x7F, {'d', 'r', 1, 1, 2, 3, 4, 5, 6, 'n', 'o'}) // no terminator
        .meta(0, 0x7F, {'d', 'r', 2, 3, 5})
        .meta(0, 0x7F, {'d', 'r', 2, 3, 'f', 'f'})
        .meta(0, 0x7F, {'d', 'r', 3, 0, 2, 1, 0, 0})
        .meta(0, 0x7F, {'d', 'r', 36, 130})
        .meta(0, 0x7F, {'d', 'r', 127})
        .end();
    const CTrack track = readTrack(t);
    ASSERT_EQ(track.events.size(), 5u);
    EXPECT_EQ(textOf(track.events[0]), "@DR;1;-127;-126;-125;-124;-123;-122;m");
    EXPECT_EQ(textOf(track.events[1]), "@DR;1;1;2;3;4;5;6;no");
    EXPECT_EQ(textOf(track.events[2]), "@DR;2;3;5");
    EXPECT_EQ(textOf(track.events[3]), "@DR;2;3;ff");
    EXPECT_EQ(textOf(track.events[4]), "@DR;3;-130");
    EXPECT_EQ(track.events[4].tick, 5);
    EXPECT_EQ(track.key, 2);
}

TEST(ReadTrackChunk, NoteAttributesMatchTheKeyAsWritten)
{
    // Key offset 2: the image holds key 62 for the note 60.
    TrackBuilder t;
    t.meta(0, 0x03, "x").event(0, {0x90, 62, 80}).meta(0, 0x7F, {'d', 'r', 0, 62, 0x24})
        .event(10, {0x80, 62, 0}).meta(1, 0x01, "@DR;30;0;0;-1;0;0;0;2;0;0;1;100").end();
    const CTrack track = readTrack(t);
    ASSERT_EQ(track.events.size(), 1u);
    EXPECT_EQ(track.events[0].data1(), 60);
    EXPECT_EQ(track.events[0].notation, 1);
    EXPECT_EQ(track.events[0].spelling, 3);
}

TEST(ReadTrackChunk, RpnsAtTheStartAreSettingsAndLaterOnesEvents)
{
    TrackBuilder t;
    t.event(0, {0xB0, 101, 0}).event(0, {0xB0, 100, 0}).event(0, {0xB0, 6, 12}).event(0, {0xB0, 38, 0})
        .event(0, {0x90, 60, 100}).event(10, {0x80, 60, 0})
        .event(0, {0xB0, 6, 2}).event(0, {0xB0, 38, 5})
        .event(0, {0xB0, 99, 1}).event(0, {0xB0, 98, 2}).event(0, {0xB0, 6, 3}).event(0, {0xB0, 38, 4})
        .event(0, {0xB0, 96, 0})
        .end();
    const CTrack track = readTrack(t);
    EXPECT_EQ(track.rpnValues[3], 12 << 7); // RPN 0, pitch-bend range
    ASSERT_EQ(track.events.size(), 4u);
    EXPECT_EQ(track.events[1].message, 0x10u | (2u << 7 | 5u) << 16);
    EXPECT_EQ(track.events[2].message, 0x20u | (1u << 7 | 2u) << 8);
    EXPECT_EQ(track.events[2].value2, 3 << 7 | 4);
    EXPECT_EQ(track.events[3].value2, 0x8001);
}

TEST(ReadTrackChunk, TextAtTheStartNamesOnlyAnUnnamedTrack)
{
    TrackBuilder unnamed;
    unnamed.meta(0, 0x01, "Lead").end();
    EXPECT_EQ(readTrack(unnamed).name, "Lead");
    TrackBuilder named;
    named.meta(0, 0x03, "(Untitled)").meta(0, 0x01, "lyric").end();
    const CTrack track = readTrack(named);
    EXPECT_EQ(track.name, "(Untitled)");
    ASSERT_EQ(track.events.size(), 1u);
    EXPECT_EQ(textOf(track.events[0]), "lyric");
}

TEST(ReadTrackChunk, ClipsOnAWaveformTrack)
{
    TrackBuilder t;
    t.meta(0, 0x03, "Audio").meta(0, 0x07, "3||WaveData\\take.wav").meta(10, 0x07, "WaveData/b.wav")
        .meta(1, 0x01, "@DR;30;1;0;-1;0;0;0;0;0;0;1;100").end();
    const CTrack track = readTrack(t);
    ASSERT_EQ(track.events.size(), 2u);
    ASSERT_NE(track.events[0].clip(), nullptr);
    EXPECT_EQ(track.events[0].clip()->fileName, "WaveData\\take.wav");
    EXPECT_EQ(track.events[0].clip()->number, 3);
    EXPECT_EQ(track.events[1].clip()->number, 1);
}

TEST(ReadTrackChunk, DestinationSysexSetsTheTrack)
{
    TrackBuilder t;
    t.event(0, {0xF0, 10, 0x7F, 0x7F, 0x09, 0x01, 0x00, 0x00, 0x40, 0x09, 0x20, 0xF7})
        .event(0, {0xF0, 11, 0x7F, 0x7F, 0x09, 0x03, 0x00, 0x4A, 0x01, 0x30, 0x07, 0x10, 0xF7})
        .event(0, {0xF0, 3, 0x43, 0x10, 0xF7})
        .event(0, {0xF0, 8, 0x43, 0x10, 0x09, 0x01, 0x00, 0x05, 0x06, 0xF7}) // a device's own 09
        .end();
    const CTrack track = readTrack(t);
    EXPECT_EQ(track.channelPressureDest[0], 0x40);
    EXPECT_EQ(track.channelPressureDest[1], -1);
    EXPECT_EQ(track.destController, 0x4A);
    EXPECT_EQ(track.controllerDest[1], 0x30);
    ASSERT_EQ(track.events.size(), 2u);
    EXPECT_EQ(track.events[0].value2, 4);
    EXPECT_EQ(track.events[1].value2, 9);
    EXPECT_EQ(track.channelPressureDest[5], -1);
}

// A track split off for its channel may keep nothing but its settings: the
// destination message then tells its channel, and a channel message after it
// still has the last word.
TEST(ReadTrackChunk, DestinationSysexGivesItsChannelOnlyWithoutChannelMessages)
{
    TrackBuilder alone;
    alone.event(0, {0xF0, 8, 0x7F, 0x7F, 0x09, 0x01, 0x03, 0x00, 0x40, 0xF7}).end();
    EXPECT_EQ(readTrack(alone).channel, 3);
    TrackBuilder after;
    after.event(0, {0xC5, 0x01})
        .event(0, {0xF0, 8, 0x7F, 0x7F, 0x09, 0x01, 0x03, 0x00, 0x40, 0xF7})
        .end();
    EXPECT_EQ(readTrack(after).channel, 5);
}

} // namespace
} // namespace rz
