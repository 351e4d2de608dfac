#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_builder.h"
#include "song/track.h"

namespace rz {
namespace {

using test::appendVarLen;
using test::hexBytes;

struct Read {
    int32_t tick;
    uint8_t kind, data1, data2;
    std::vector<uint8_t> data;
    bool operator==(const Read&) const = default;
};

void PrintTo(const Read& r, std::ostream* os)
{
    *os << "{tick " << r.tick << ", kind " << std::hex << int(r.kind) << ", " << int(r.data1)
        << ", " << int(r.data2) << ", " << r.data.size() << " data bytes}";
}

std::vector<Read> readAll(CTrack& track)
{
    std::vector<Read> reads;
    RawEvent event;
    while (track.ReadNextEvent(event))
        reads.push_back({event.tick, event.kind, event.data1, event.data2,
                         std::vector<uint8_t>(event.data.begin(), event.data.end())});
    return reads;
}

std::vector<Read> play(std::vector<uint8_t> image)
{
    CTrack track;
    track.playImage = std::move(image);
    track.RewindReader();
    return readAll(track);
}

struct CursorCase {
    const char* name;
    const char* image;
    std::vector<Read> expected;
};

class PlayCursorReads : public testing::TestWithParam<CursorCase> {};

TEST_P(PlayCursorReads, YieldsTheReadableEvents)
{
    EXPECT_EQ(play(hexBytes(GetParam().image)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Images, PlayCursorReads,
    testing::Values(
        CursorCase{"Empty", "", {}},
        CursorCase{"OnlyEndOfTrack", "00 FF 2F 00", {}},
        CursorCase{"RunningStatus",
                   "00 90 3C 40   // note on\n"
                   "0A 3E 41      // running status\n"
                   "05 C1 07      // program: one data byte\n"
                   "01 08         // running program\n"
                   "00 FF 2F 00",
                   {{0, 0x90, 0x3C, 0x40, {}}, {10, 0x90, 0x3E, 0x41, {}},
                    {15, 0xC1, 0x07, 0, {}}, {16, 0xC1, 0x08, 0, {}}}},
        CursorCase{"DataWithoutRunningStatusEndsTheTrack", "00 3C 40 00 FF 2F 00", {}},
        CursorCase{"ForeignChunkWithoutEndOfTrackKeepsItsLastEvent",
                   "00 90 3C 40 60 80 3C 00",
                   {{0, 0x90, 0x3C, 0x40, {}}, {0x60, 0x80, 0x3C, 0x00, {}}}},
        CursorCase{"TruncatedLastEventIsNotYielded", "00 90 3C 40 60 80 3C",
                   {{0, 0x90, 0x3C, 0x40, {}}}},
        CursorCase{"UnreadableDeltaAfterLastEventKeepsIt", "00 90 3C 40 60 80 3C 00 81",
                   {{0, 0x90, 0x3C, 0x40, {}}, {0x60, 0x80, 0x3C, 0x00, {}}}},
        CursorCase{"FiveByteDeltaEndsTheTrackAfterItsEvent", "00 90 3C 40 81 80 80 80 00 80 3C 00",
                   {{0, 0x90, 0x3C, 0x40, {}}}},
        CursorCase{"MetaWithData",
                   "00 FF 51 03 07 A1 20  // tempo\n"
                   "00 FF 2F 00",
                   {{0, 0xFF, 0x51, 0, {0x07, 0xA1, 0x20}}}},
        CursorCase{"MetaLengthPastTheImage", "00 FF 01 05 41 42", {}},
        CursorCase{"SysexWithLength",
                   "00 F0 05 7E 7F 09 01 F7 00 FF 2F 00",
                   {{0, 0xF0, 0, 0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}}}},
        CursorCase{"SysexStoredWithoutALength",
                   "00 F0 41 10 42 F7 // 0x41 is no length: the block ends on its F7\n"
                   "00 FF 2F 00",
                   {{0, 0xF0, 0, 0, {0x41, 0x10, 0x42, 0xF7}}}},
        CursorCase{"SysexPacketsKeepTheirStatedLengths",
                   "00 F0 03 43 12 00      // first packet, no F7\n"
                   "00 F7 02 34 F7         // continuation\n"
                   "00 FF 2F 00",
                   {{0, 0xF0, 0, 0, {0x43, 0x12, 0x00}}, {0, 0xF7, 0, 0, {0x34, 0xF7}}}},
        CursorCase{"SystemCommonIsSteppedOverWithItsData",
                   "00 90 3C 40   // note on\n"
                   "00 F1 00      // time code quarter frame: one data byte\n"
                   "05 F2 00 10   // song position: two\n"
                   "00 F6         // tune request: none\n"
                   "00 90 3C 00   // the note ends\n"
                   "00 FF 2F 00",
                   {{0, 0x90, 0x3C, 0x40, {}}, {5, 0x90, 0x3C, 0x00, {}}}},
        CursorCase{"StatusByteAsDataSkipsItsMessage",
                   "00 90 3C 80   // 0x80 where the velocity belongs\n"
                   "05 C1 85      // and where the program does\n"
                   "01 90 3E 40   // the events after it read as before\n"
                   "00 FF 2F 00",
                   {{6, 0x90, 0x3E, 0x40, {}}}},
        CursorCase{"RealTimeKeepsRunningStatus",
                   "00 90 3C 40 03 F8 02 FE 01 3C 00 00 FF 2F 00",
                   {{0, 0x90, 0x3C, 0x40, {}}, {6, 0x90, 0x3C, 0x00, {}}}},
        CursorCase{"SystemCommonCancelsRunningStatus", "00 90 3C 40 00 F3 01 00 3C 00",
                   {{0, 0x90, 0x3C, 0x40, {}}}},
        CursorCase{"UndefinedSystemByteTakesTheDataBeforeTheNextDelta",
                   "00 F4 11 22 33 04 90 3C 40 00 FF 2F 00",
                   {{4, 0x90, 0x3C, 0x40, {}}}},
        CursorCase{"SkippedMessageAtTheEndYieldsNothing", "00 90 3C 40 00 F8",
                   {{0, 0x90, 0x3C, 0x40, {}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlayCursor, ReadsEventsPastTheLastTickThereAndCountsThem)
{
    std::vector<uint8_t> image = hexBytes("00 90 3C 40");
    // Eight deltas of 2^28 - 1 reach 0x7FFFFFF8; the ninth would pass the
    // last tick, and so does the event after it.
    for (int i = 0; i < 9; ++i) {
        appendVarLen(image, 0x0FFFFFFF);
        const auto off = hexBytes("80 3C 00");
        image.insert(image.end(), off.begin(), off.end());
    }
    const auto tail = hexBytes("00 80 3D 00 00 FF 2F 00");
    image.insert(image.end(), tail.begin(), tail.end());
    CTrack track;
    track.playImage = image;
    track.RewindReader();
    const auto reads = readAll(track);
    ASSERT_EQ(reads.size(), 11u);
    EXPECT_EQ(reads[8].tick, 0x7FFFFFF8);
    EXPECT_EQ(reads[9].tick, 0x7FFFFFFE);
    EXPECT_EQ(reads[10].tick, 0x7FFFFFFE);
    for (const auto& r : reads)
        EXPECT_GE(r.tick, 0);
    EXPECT_EQ(track.skipped.moved, 2u);
    EXPECT_EQ(track.nextTick, kEndTick);
    EXPECT_EQ(track.nextTime, kEndTime);
}

TEST(PlayCursor, RewindOfAnEmptyImageEndsTheTrack)
{
    CTrack track;
    track.nextTick = 5;
    track.nextTime = 0.0;
    track.RewindReader();
    EXPECT_EQ(track.nextTick, kEndTick);
    EXPECT_EQ(track.nextTime, kEndTime);
}

TEST(PlayCursor, ResumesAtASeekPoint)
{
    CTrack track;
    track.playImage = hexBytes("00 90 3C 40  // 0\n"
                               "10 3E 40     // 16, running status\n"
                               "10 40 40     // 32\n"
                               "00 FF 2F 00");
    track.RewindReader();
    RawEvent event;
    ASSERT_TRUE(track.ReadNextEvent(event));
    const SeekPoint point{track.readPosition, track.nextTick, track.runningStatus, {}, {}, {}, {}};

    track.RewindReader();
    track.positionReader(point);
    EXPECT_EQ(readAll(track), (std::vector<Read>{{16, 0x90, 0x3E, 0x40, {}}, {32, 0x90, 0x40, 0x40, {}}}));

    SeekPoint pastTheEnd = point;
    pastTheEnd.readPosition = uint32_t(track.playImage.size() + 10);
    track.positionReader(pastTheEnd);
    EXPECT_FALSE(track.ReadNextEvent(event));
}

} // namespace
} // namespace rz
