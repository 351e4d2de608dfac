#include "engine/host_time.h"
#include "engine/vst2_abi.h"
#include "tests/engine/sequencer_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr uint32_t kValid = 0x6F00;

// One block after another, as the transport moves.
TEST(VstTimeInfo, FlagsFollowTheTransport)
{
    const struct {
        const char* step;
        bool playing;
        bool recording;
        int32_t position;
        uint32_t flags;
    } blocks[] = {
        {"first block, stopped", false, false, 0, kValid | kVstTransportChanged},
        {"still stopped", false, false, 0, kValid},
        {"starts", true, false, 0, kValid | kVstTransportChanged | kVstTransportPlaying},
        {"plays on", true, false, 60, kValid | kVstTransportPlaying},
        {"a block within one tick", true, false, 60, kValid | kVstTransportPlaying},
        {"records", true, true, 120,
         kValid | kVstTransportPlaying | kVstTransportRecording},
        {"jumps back", true, false, 0, kValid | kVstTransportChanged | kVstTransportPlaying},
        {"stops", false, false, 240, kValid | kVstTransportChanged},
        {"stands", false, false, 240, kValid},
        {"is located", false, false, 480, kValid | kVstTransportChanged},
    };
    HostTimeInfo info;
    HostTimeMark mark;
    for (const auto& block : blocks) {
        HostTimePosition at;
        at.playing = block.playing;
        at.recording = block.recording;
        at.position = block.position;
        advanceHostTime(info, mark, at, 0.0);
        EXPECT_EQ(info.flags, block.flags) << block.step;
    }
}

TEST(VstTimeInfo, PositionBarAndMeter)
{
    HostTimeInfo info;
    HostTimeMark mark;
    HostTimePosition at;
    at.position = 600;
    at.timeBase = 120;
    at.measureStart = 480;
    at.numerator = 3;
    at.denominator = 8;
    at.tempo = 90.0;
    advanceHostTime(info, mark, at, 5e9);
    EXPECT_DOUBLE_EQ(info.ppqPos, 5.0);
    EXPECT_DOUBLE_EQ(info.barStartPos, 4.0);
    EXPECT_EQ(info.timeSigNumerator, 3);
    EXPECT_EQ(info.timeSigDenominator, 8);
    EXPECT_DOUBLE_EQ(info.tempo, 90.0);
    EXPECT_DOUBLE_EQ(info.nanoSeconds, 5e9);
}

TEST(VstTimeInfo, SmpteOffsetInEightiethsOfAFrameForEachRate)
{
    const struct {
        int code;
        int32_t subframes; // one second in
    } rates[] = {
        {kSmpteRate24, 24 * 80}, {kSmpteRate25, 25 * 80}, {kSmpteRate30Drop, 2397},
        {kSmpteRate30, 30 * 80}, {kSmpteRateMs, 30 * 80},
    };
    for (const auto& rate : rates) {
        HostTimeInfo info;
        HostTimeMark mark;
        HostTimePosition at;
        at.realTime = 1e6;
        at.smpteRate = rate.code;
        advanceHostTime(info, mark, at, 0.0);
        EXPECT_EQ(info.smpteOffset, rate.subframes) << "code " << rate.code;
        EXPECT_EQ(info.smpteFrameRate, rate.code);
    }
}

TEST(VstTimeInfo, NanosecondsDoNotWrapAtThirtyTwoBits)
{
    HostTimeInfo info;
    HostTimeMark mark;
    advanceHostTime(info, mark, HostTimePosition{}, double(4294967u) * 1e6 * 10);
    EXPECT_GT(info.nanoSeconds, 4.29e13);
}

using VstTimeInfoEngine = SequencerTest;

TEST_F(VstTimeInfoEngine, EngineFillsTheRecordFromTheSong)
{
    make();
    CSongDoc& current = makeSong();
    current.measureMap.front().numerator = 3;
    sequencer->setTempoMultiplier(kNormalMultiplier / 2);
    sequencer->setTransportState(TransportState::Playing);
    sequencer->FillAudioTimeInfo();
    const HostTimeInfo& info = sequencer->hostTimeInfo();
    EXPECT_EQ(info.flags, kValid | kVstTransportChanged | kVstTransportPlaying);
    EXPECT_DOUBLE_EQ(info.tempo, 60.0) << "120 per quarter at half speed";
    EXPECT_EQ(info.timeSigNumerator, 3);
    EXPECT_DOUBLE_EQ(info.ppqPos, 0.0);
    sequencer->setTransportState(TransportState::Stopped);
}

} // namespace
} // namespace rz
