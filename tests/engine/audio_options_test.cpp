// "AudioOptions" as the engine reads them: values no device could take, the
// reason a failed open gives, and the instruments' restart.

#include "tests/engine/sequencer_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

class AudioOptionsLoad : public SequencerTest {};

TEST_F(AudioOptionsLoad, BlockAndRateOutsideTheirRangesReadAsTheDefaults)
{
    struct Case {
        int block;
        int rate;
        uint32_t expectedBlock;
        uint32_t expectedRate;
    };
    const Case cases[] = {
        {64, 8000, 64, 8000},          {11025, 192000, 11025, 192000},
        {63, 7999, 2205, 44100},       {11026, 192001, 2205, 44100},
        {-5, 0, 2205, 44100},
    };
    profile.writeInt("AudioOptions", "RTenable", 1);
    CSequencer& engine = make();
    engine.Init();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        profile.writeInt("AudioOptions", "RTbuffer", c.block);
        profile.writeInt("AudioOptions", "RTrate", c.rate);
        engine.LoadAudioOptions();
        ASSERT_FALSE(audio.opened.empty());
        EXPECT_EQ(audio.opened.back().blockSize, c.expectedBlock);
        EXPECT_EQ(audio.opened.back().sampleRate, c.expectedRate);
    }
}

TEST_F(AudioOptionsLoad, AFailedOpenGivesItsReasonAndTheInstrumentsRestartAtTheDevicesRate)
{
    profile.writeInt("AudioOptions", "RTenable", 1);
    profile.writeInt("AudioOptions", "RTbuffer", 441);
    profile.writeString("VST\\0", "path", "/opt/vst/pad.so");
    CSequencer& engine = make();
    engine.Init();
    ASSERT_EQ(instruments.madeInstruments.size(), 1u);
    const FakeInstrument& instrument = *instruments.madeInstruments[0];
    EXPECT_EQ(instrument.sampleRate(), 44100.0);
    EXPECT_EQ(instrument.blockFrames(), 441);

    audio.answerRate = 48000;
    audio.answerError = "No JACK server is running.";
    EXPECT_EQ(engine.LoadAudioOptions(), "No JACK server is running.");
    EXPECT_EQ(instrument.sampleRate(), 48000.0);
    profile.writeInt("AudioOptions", "RTbuffer", 4096);
    audio.answerError.clear();
    EXPECT_EQ(engine.LoadAudioOptions(), "");
    EXPECT_EQ(instrument.blockFrames(), 1024) << "instruments render in chunks of at most 1024";
}

} // namespace
} // namespace rz
