#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image_builder.h"
#include "song/audio_clip.h"
#include "song/dr_meta_track.h"
#include "song/image_writer.h"
#include "song/track.h"
#include "song/track_encoder.h"
#include "song_builder.h"

namespace rz {
namespace {

using test::hexBytes;

std::vector<uint8_t> textBytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A user track named "T" on port 0: the name and port events come first.
const std::vector<uint8_t> kHeader = hexBytes("00 FF 03 01 54  00 FF 21 01 00");
const std::vector<uint8_t> kEndOfTrack = hexBytes("00 FF 2F 00");

// delta 1, FF 01 and the track's settings marker (shorter than 128 bytes).
std::vector<uint8_t> markerBytes(const CTrack& track, int32_t playEnabled)
{
    const std::string text = trackSettingsMarker(track, playEnabled);
    return concat({hexBytes("01 FF 01"), {uint8_t(text.size())}, textBytes(text)});
}

// What a chunk holds between its fixed parts: for a user track the bytes
// after the name and port and before the settings marker; for a bare chunk
// the bytes before the end of track.
std::vector<uint8_t> bodyOf(const CTrack& track, int32_t interval)
{
    const std::vector<uint8_t>& image = track.playImage;
    const std::vector<uint8_t> tail =
        interval >= 0 ? concat({markerBytes(track, track.playEnabled), kEndOfTrack}) : kEndOfTrack;
    const size_t head = interval >= 0 ? kHeader.size() : 0;
    if (image.size() < head + tail.size()
        || !std::equal(kHeader.begin(), kHeader.begin() + std::ptrdiff_t(head), image.begin())
        || !std::equal(tail.begin(), tail.end(), image.end() - std::ptrdiff_t(tail.size())))
        return {0xDE, 0xAD}; // the fixed parts are wrong: no body matches
    return {image.begin() + std::ptrdiff_t(head), image.end() - std::ptrdiff_t(tail.size())};
}

struct GoldenCase {
    const char* name;
    std::function<void(CTrack&)> setup;
    int32_t interval; // -1 a bare chunk, 0 a user track
    const char* body;
    uint32_t clipFlags = 0;
};

void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.name;
}

class TrackEncoderGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(TrackEncoderGolden, WritesTheseBytes)
{
    CTrack track;
    track.name = "T";
    GetParam().setup(track);
    WriteTrackChunk(track, GetParam().interval, {});
    EXPECT_EQ(bodyOf(track, GetParam().interval), hexBytes(GetParam().body));
    EXPECT_EQ(track.clipFlags, GetParam().clipFlags);
    EXPECT_TRUE(track.flags & kTrackImageHasOffsets);
}

using test::controller;
using test::note;
using test::nrpn;
using test::program;
using test::rpn;

void settingsBank(CTrack& track, int32_t bank, int32_t technology)
{
    track.bank = bank;
    track.patch = 5;
    track.technology = technology;
    track.patchChangePoints = {0};
}

INSTANTIATE_TEST_SUITE_P(
    , TrackEncoderGolden,
    testing::Values(
        GoldenCase{"ProgramWithBank130", [](CTrack& t) { t.events = {program(0, 5, 130)}; }, -1,
                   "00 B0 00 01  00 20 02  00 C0 05"},
        GoldenCase{"SettingsBank130", [](CTrack& t) { settingsBank(t, 130, 8); }, 0,
                   "00 B0 00 01  00 20 02  00 C0 05"},
        GoldenCase{"SettingsBank130TechnologyBit", [](CTrack& t) { settingsBank(t, 130, 0x88); },
                   0, "00 B0 00 01  00 20 02  00 C0 05"},
        GoldenCase{"SettingsBank128TechnologyBitLeavesOutLsb",
                   [](CTrack& t) { settingsBank(t, 128, 0x88); }, 0, "00 B0 00 01  00 C0 05"},
        GoldenCase{"SettingsBank128", [](CTrack& t) { settingsBank(t, 128, 8); }, 0,
                   "00 B0 00 01  00 20 00  00 C0 05"},
        GoldenCase{"NrpnIncrementThenSameNumberWithoutSelection",
                   [](CTrack& t) { t.events = {nrpn(0, 130, 0x8001), nrpn(10, 130, 0x1234)}; }, -1,
                   "00 B0 63 01  00 62 02  00 60 00 // select 130, increment\n"
                   "0A 06 24  00 26 34             // no selection, value 0x1234"},
        GoldenCase{"NrpnDecrement", [](CTrack& t) { t.events = {nrpn(0, 5, 0x8000)}; }, -1,
                   "00 B0 63 00  00 62 05  00 61 00"},
        GoldenCase{"RpnThenSameRpn",
                   [](CTrack& t) { t.events = {rpn(0, 0, 0x100), rpn(5, 0, 0x180)}; }, -1,
                   "00 B0 65 00  00 64 00  00 06 02  00 26 00\n"
                   "05 06 03  00 26 00"},
        GoldenCase{"RpnOnTwoChannelsSelectsOnEach",
                   [](CTrack& t) { t.events = {rpn(0, 0, 0x100, 0), rpn(0, 0, 0x100, 1)}; }, -1,
                   "00 B0 65 00  00 64 00  00 06 02  00 26 00\n"
                   "00 B1 65 00  00 64 00  00 06 02  00 26 00"},
        GoldenCase{"PlainSelectionControllerForcesTheNextRpnSelection",
                   [](CTrack& t) {
                       t.events = {rpn(0, 0, 0x100), controller(1, 101, 0), controller(1, 100, 1),
                                   rpn(2, 0, 0x100)};
                   },
                   -1,
                   "00 B0 65 00  00 64 00  00 06 02  00 26 00\n"
                   "01 65 00  00 64 01  // the events' own selection of RPN 1\n"
                   "01 65 00  00 64 00  00 06 02  00 26 00"},
        GoldenCase{"TwoNoteOffsBeforeANewNoteAtTheirTick",
                   [](CTrack& t) {
                       t.events = {note(0, 60, 64, 10), note(0, 64, 64, 10), note(10, 67, 64, 5)};
                   },
                   -1,
                   "00 90 3C 40  00 40 40\n"
                   "0A 40 00  00 3C 00  // the later note ends first\n"
                   "00 43 40  05 43 00"},
        GoldenCase{"KeyOffsetFoldsNote120ByOctaves",
                   [](CTrack& t) {
                       t.key = 12;
                       t.events = {note(0, 120, 64, 10)};
                   },
                   -1, "00 90 78 40  0A 78 00", 1},
        GoldenCase{"KeyOffsetFoldsUpFromBelowZero",
                   [](CTrack& t) {
                       t.key = -12;
                       t.events = {note(0, 5, 64, 10)};
                   },
                   -1, "00 90 05 40  0A 05 00", 1},
        GoldenCase{"VelocityOffsetLimitedToOne",
                   [](CTrack& t) {
                       t.velocityOffset = -100;
                       t.events = {note(0, 60, 60, 10)};
                   },
                   -1, "00 90 3C 01  0A 3C 00", 2},
        GoldenCase{"VelocityOffsetLimitedTo127",
                   [](CTrack& t) {
                       t.velocityOffset = 100;
                       t.events = {note(0, 60, 60, 10)};
                   },
                   -1, "00 90 3C 7F  0A 3C 00", 2},
        GoldenCase{"SpelledNoteRecord",
                   [](CTrack& t) {
                       t.events = {note(0, 60, 64, 10)};
                       t.events[0].spelling = 1;
                   },
                   -1,
                   "00 90 3C 40  00 FF 7F 05 64 72 00 3C 12\n"
                   "0A 90 3C 00  // the record reset the running status"},
        GoldenCase{"SpelledNoteRecordCarriesTheKeyAsWritten",
                   [](CTrack& t) {
                       t.key = 2;
                       t.events = {note(0, 60, 64, 10)};
                       t.events[0].spelling = 3;
                   },
                   -1, "00 90 3E 40  00 FF 7F 05 64 72 00 3E 14  0A 90 3E 00"},
        GoldenCase{"AttributeAndSpelling255WrapToZero",
                   [](CTrack& t) {
                       t.events = {note(0, 60, 64, 10)};
                       t.events[0].notation = 255;
                   },
                   -1, "00 90 3C 40  00 FF 7F 05 64 72 00 3C 00  0A 90 3C 00"},
        GoldenCase{"ChannelPressureDestinations",
                   [](CTrack& t) {
                       t.channel = 2;
                       t.channelPressureDest[0] = 2;
                       t.channelPressureDest[3] = 0x40;
                       t.patchChangePoints = {0};
                   },
                   0, "00 F0 0A 7F 7F 09 01 02  00 02  03 40  F7"},
        GoldenCase{"ControllerDestinationsWithoutOtherSettings",
                   [](CTrack& t) {
                       t.destController = 74;
                       t.controllerDest[1] = 0x10;
                       t.patchChangePoints = {0};
                   },
                   0, "00 F0 09 7F 7F 09 03 00 4A  01 10  F7"},
        GoldenCase{"SettingsOrder",
                   [](CTrack& t) {
                       t.patch = 1;
                       t.rpnValues[3] = 0x100;  // RPN 0
                       t.rpnValues[1] = 0x2000; // RPN 1
                       t.initialControllers[0] = 64;  // CC10
                       t.initialControllers[1] = 100; // CC7
                       t.patchChangePoints = {0};
                   },
                   0,
                   "00 C0 01\n"
                   "00 B0 65 00  00 64 00  00 06 02  00 26 00\n"
                   "00 65 00  00 64 01  00 06 40  00 26 00\n"
                   "00 07 64  00 0A 40"},
        GoldenCase{"SinglePatchPointAtZeroWritesTheSettingsOnce",
                   [](CTrack& t) {
                       t.patch = 5;
                       t.patchChangePoints = {0};
                       t.events = {note(10, 60, 64, 10), note(30, 62, 64, 10)};
                   },
                   0, "00 C0 05  0A 90 3C 40  0A 3C 00  0A 3E 40  0A 3E 00"},
        GoldenCase{"NoPatchPointWritesNoSettings",
                   [](CTrack& t) {
                       t.patch = 5;
                       t.events = {note(10, 60, 64, 10)};
                   },
                   0, "0A 90 3C 40  0A 3C 00"},
        GoldenCase{"PatchPointBetweenEvents",
                   [](CTrack& t) {
                       t.patch = 5;
                       t.patchChangePoints = {15};
                       t.events = {note(10, 60, 64, 20)};
                   },
                   0, "0A 90 3C 40  05 C0 05  0F 90 3C 00"},
        GoldenCase{"UserTrackPlaysOnItsChannel",
                   [](CTrack& t) {
                       t.channel = 3;
                       t.events = {controller(0, 7, 100, 0), controller(0, 7, 80, 5)};
                   },
                   0, "00 B3 07 64  00 07 50"},
        GoldenCase{"MetaTrackKeepsEachMessagesChannel",
                   [](CTrack& t) {
                       t.type = kMetaTrack;
                       t.patch = 5;
                       t.patchChangePoints = {0};
                       t.events = {controller(0, 7, 100, 1), controller(0, 7, 80, 2)};
                   },
                   0, "00 B1 07 64  00 B2 07 50"},
        GoldenCase{"SystemExclusiveBlocks",
                   [](CTrack& t) {
                       CMidiEvent raw;
                       raw.message = 0xF7;
                       raw.SetData(std::vector<uint8_t>{0x01, 0x02});
                       CMidiEvent empty;
                       empty.message = 0xF0;
                       t.events = {test::sysex(0, {0x43, 0x10, 0xF7}), raw, empty,
                                   controller(0, 7, 1), controller(0, 7, 2)};
                   },
                   -1,
                   "00 F0 03 43 10 F7  00 F7 02 01 02  00 F7 00\n"
                   "00 B0 07 01  00 07 02"},
        GoldenCase{"MetaEvents",
                   [](CTrack& t) {
                       CMidiEvent noData;
                       noData.message = 0x06FF;
                       t.events = {test::textEvent(0, "ab"), noData};
                   },
                   -1, "00 FF 01 02 61 62  00 FF 06 00"},
        GoldenCase{"EventsAnImageCannotHoldAreLeftOut",
                   [](CTrack& t) {
                       CMidiEvent endOfTrack;
                       endOfTrack.message = 0x2FFF;
                       CMidiEvent unknown;
                       unknown.message = 0x05;
                       CMidiEvent songPosition;
                       songPosition.message = 0xF2;
                       t.events = {endOfTrack, unknown, songPosition, controller(5, 7, 1)};
                   },
                   -1, "05 B0 07 01"},
        GoldenCase{"DataBytesStaySevenBit",
                   [](CTrack& t) { t.events = {controller(0, 7, 200), program(0, 130, 0x7FFF)}; },
                   -1, "00 B0 07 48  00 00 7F  00 20 7F  00 C0 02"}),
    [](const testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

TEST(TrackEncoderImage, EmptyTrackAtIntervalZeroHoldsNamePortMarkerAndEnd)
{
    CTrack track;
    track.name = "T";
    WriteTrackChunk(track, 0, {});
    const auto marker = textBytes("@DR;30;0;0;-1;0;0;979199;0;0;0;1;100");
    EXPECT_EQ(track.playImage, concat({kHeader, hexBytes("01 FF 01"), {uint8_t(marker.size())},
                                       marker, kEndOfTrack}));
    EXPECT_EQ(track.endTick, 0);
    EXPECT_TRUE(track.seekPoints.empty());
}

TEST(TrackEncoderImage, MarkerCarriesTheTrackSettings)
{
    CTrack track;
    track.type = kMetaTrack;
    track.inputDevice = 2;
    track.inputChannel = 9;
    track.notationSetting = 1;
    track.notationValue = -3;
    track.setColor(0x123456);
    track.key = -5;
    track.timeOffset = -20;
    track.velocityOffset = 7;
    track.playEnabled = 0;
    track.volume = 150;
    EXPECT_EQ(trackSettingsMarker(track, track.playEnabled),
              "@DR;30;2;2;9;1;-3;1193046;-5;-20;7;0;150");
}

TEST(TrackEncoderImage, MarkerStoresTheSavedPlayStateDuringASolo)
{
    CTrack track;
    track.name = "T";
    track.playEnabled = 1;      // soloed
    track.savedPlayEnabled = 0; // muted once the solo ends
    TrackEncodeContext context;
    context.soloActive = true;
    WriteTrackChunk(track, 0, context);
    const std::string expected = "@DR;30;0;0;-1;0;0;979199;0;0;0;0;100";
    const std::string image(track.playImage.begin(), track.playImage.end());
    EXPECT_NE(image.find(expected), std::string::npos);
}

TEST(TrackEncoderImage, ReEncodingReplacesTheImageAndFlags)
{
    CTrack track;
    track.key = 12;
    track.events = {note(0, 120, 64, 480)};
    WriteTrackChunk(track, 0, {});
    EXPECT_EQ(track.clipFlags, 1u);
    EXPECT_EQ(track.endTick, 480);
    const std::vector<uint8_t> first = track.playImage;
    WriteTrackChunk(track, 0, {});
    EXPECT_EQ(track.playImage, first);
    track.key = 0;
    track.events = {note(0, 60, 64, 10)};
    WriteTrackChunk(track, 0, {});
    EXPECT_EQ(track.clipFlags, 0u);
    EXPECT_EQ(track.endTick, 10);
}

TEST(TrackEncoderNegativeDelta, AssertsInDebugAndWritesZeroInRelease)
{
    struct Case {
        std::vector<CMidiEvent> events;
        const char* body;
    };
    const Case cases[] = {
        {{note(10, 60, 64, 10), controller(5, 7, 100)}, "0A 90 3C 40  00 B0 07 64  0A 90 3C 00"},
        {{note(10, 60, 64, -5)}, "0A 90 3C 40  00 3C 00"},
    };
    for (const Case& c : cases) {
        CTrack track;
        track.events = c.events;
        EXPECT_DEBUG_DEATH(WriteTrackChunk(track, -1, {}), "negative delta");
#ifdef NDEBUG
        EXPECT_EQ(bodyOf(track, -1), hexBytes(c.body));
#endif
    }
}

TEST(TrackEncoderVarLen, WritesSevenBitGroupsMostSignificantFirst)
{
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "00"},
        {0x7F, "7F"},
        {0x80, "81 00"},
        {0x3FFF, "FF 7F"},
        {0x4000, "81 80 00"},
        {0x0FFFFFFF, "FF FF FF 7F"},
        {0x10000000, "FF FF FF 7F"}, // beyond four bytes: the largest four-byte value
        {0xFFFFFFFF, "FF FF FF 7F"},
    };
    for (const auto& [value, bytes] : cases) {
        std::vector<uint8_t> out;
        WriteVarLen(out, value);
        EXPECT_EQ(out, hexBytes(bytes)) << value;
    }
}

TEST(TrackEncoderVarLen, MetaHeaderAndString)
{
    std::vector<uint8_t> out;
    WriteMetaHeader(out, 0x03);
    WriteMetaString(out, std::string(130, 'x'));
    ASSERT_EQ(out.size(), 2u + 2u + 130u);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 4), hexBytes("FF 03 81 02"));
}

TEST(TrackEncoderClipText, KeepsThePathFromTheSongsWaveDataFolderWithBackslashes)
{
    struct Case {
        const char* path;
        int32_t number;
        const char* songFolder;
        const char* text;
    };
    const Case cases[] = {
        {"/home/ann/songs/WaveData/take.wav", 1, "/home/ann/songs", "WaveData\\take.wav"},
        {"C:\\Songs\\WaveData\\take 2.wav", 0, "C:\\Songs", "WaveData\\take 2.wav"},
        {"WaveData/sub/take.wav", 1, "", "WaveData\\sub\\take.wav"},
        {"/home/ann/songs/WaveData/take.wav", 3, "/home/ann/songs/", "3||WaveData\\take.wav"},
        {"/audio/MyWaveData/take.wav", 1, "/audio", "/audio/MyWaveData/take.wav"},
        {"/home/WaveData/song/WaveData/take.wav", 1, "/home/WaveData/song", "WaveData\\take.wav"},
        {"/audio/take.wav", 2, "/audio", "2||/audio/take.wav"},
        // Another folder's clips would be looked for in this song's folder.
        {"/home/bob/live/WaveData/take.wav", 1, "/home/ann/songs", "/home/bob/live/WaveData/take.wav"},
        {"C:\\Songs\\WaveData\\take.wav", 1, "", "C:\\Songs\\WaveData\\take.wav"},
    };
    for (const Case& c : cases) {
        CAudioClip clip;
        clip.fileName = c.path;
        clip.number = c.number;
        EXPECT_EQ(clipText(clip, c.songFolder), c.text) << c.path;
    }
}

TEST(TrackEncoderClipText, ClipEventIsAnFF07Text)
{
    CTrack track;
    CMidiEvent event;
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = "/s/WaveData/a.wav";
    clip->number = 2;
    event.SetClip(std::move(clip));
    event.tick = 3;
    track.events.push_back(std::move(event));
    TrackEncodeContext context;
    context.songFolder = "/s";
    WriteTrackChunk(track, -1, context);
    const auto text = textBytes("2||WaveData\\a.wav");
    EXPECT_EQ(track.playImage,
              concat({hexBytes("03 FF 07"), {uint8_t(text.size())}, text, kEndOfTrack}));
}

TEST(TrackEncoderSeekPoints, OnePerStretchReachedAndAFinalOne)
{
    CTrack track;
    track.events = {note(0, 60, 64, 250), note(150, 62, 64, 10), note(420, 64, 64, 10)};
    TrackEncodeContext context;
    context.trackIndex = 3;
    WriteTrackChunk(track, 100, context);
    // Stretches 0 and 1 start at the first two notes, 2 at the first note's
    // end, 3 and 4 both at the third note; the last covers what follows.
    std::vector<int32_t> ticks;
    for (const SeekPoint& point : track.seekPoints)
        ticks.push_back(point.nextTick);
    EXPECT_EQ(ticks, (std::vector<int32_t>{0, 150, 250, 420, 420, kEndTick}));
    const SeekPoint& second = track.seekPoints[1];
    EXPECT_EQ(second.soundingNotes, (std::vector<uint32_t>{0x03403C90}));
    EXPECT_EQ(second.soundingNoteIndices, (std::vector<uint32_t>{0}));
    // At 250 the first note's end is the next thing read, so it still sounds.
    EXPECT_EQ(track.seekPoints[2].soundingNoteIndices, (std::vector<uint32_t>{0}));
    EXPECT_TRUE(track.seekPoints[3].soundingNotes.empty());
}

TEST(TrackEncoderSeekPoints, AFarEventAfterASilenceSharesOnePointAcrossIt)
{
    CTrack track;
    track.events = {note(0, 60, 64, 10), controller(20'000'000, 1, 64)};
    WriteTrackChunk(track, 48, {}); // three ticks a quarter
    // The note's stretch, the 416,666 stretches the controller's delta
    // reaches, and the final one.
    ASSERT_EQ(track.seekPoints.size(), 416'668u);
    EXPECT_EQ(track.seekPoints.pointCount(), 3u);
    EXPECT_EQ(track.seekPoints[0].nextTick, 0);
    for (size_t stretch : {size_t(1), size_t(200'000), size_t(416'666)})
        EXPECT_EQ(track.seekPoints[stretch].nextTick, 20'000'000) << stretch;
    EXPECT_EQ(track.seekPoints[416'667].nextTick, kEndTick);
    EXPECT_EQ(track.seekPoints[1].readPosition, track.seekPoints[416'666].readPosition);
}

TEST(TrackEncoderSeekPoints, FirstOneComesBeforeTheSettings)
{
    CTrack track;
    track.name = "T";
    track.patch = 7;
    track.patchChangePoints = {0};
    track.events = {note(0, 60, 64, 10)};
    WriteTrackChunk(track, 100, {});
    ASSERT_EQ(track.seekPoints.size(), 2u);
    EXPECT_EQ(track.seekPoints[0].readPosition, kHeader.size() + 1);
    EXPECT_TRUE(track.seekPoints[0].chaseMessages.empty());
    EXPECT_EQ(track.seekPoints[1].chaseMessages, (std::vector<uint32_t>{0x07C0}));
}

TEST(TrackEncoderInitialSettings, SharesRunningStatusSelectionAndChaseList)
{
    CTrack track;
    track.channel = 1;
    track.bank = 2;
    track.rpnValues[3] = 0x100; // RPN 0
    track.initialControllers[1] = 90; // CC7
    std::vector<uint32_t> messages;
    std::vector<int32_t> ticks;
    uint8_t runningStatus = 0xB1;
    uint32_t selected = 0x0011; // RPN 0 on channel 1 is selected already
    EncodeInitialSettings(track, 40, messages, ticks, runningStatus, selected);
    EXPECT_EQ(track.playImage, hexBytes("00 00  00 20 02  00 06 02  00 26 00  00 07 5A"));
    EXPECT_EQ(messages, (std::vector<uint32_t>{0x00B1, 0x0220B1, 0x01000011, 0x5A07B1}));
    EXPECT_EQ(ticks, (std::vector<int32_t>(4, 40)));
    EXPECT_EQ(runningStatus, 0xB1);
    EXPECT_EQ(selected, 0x0011u);
}

} // namespace
} // namespace rz
