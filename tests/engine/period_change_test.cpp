// The audio device changes its block length while the engine runs: the
// notice reaches the block length and the instruments through the refresh
// pass, and every block rendered before or after is full and never hands an
// instrument more frames than it was told.

#include "core/muldiv.h"
#include "tests/engine/transport_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace rz {
namespace {

constexpr uint32_t kOpenBlock = 256;
constexpr uint32_t kRate = 44100;
constexpr float kLevel = 0.125f;

class PeriodChange : public TransportTest {
protected:
    void start()
    {
        profile.writeString("VST\\0", "path", "/opt/vst/pad.so");
        profile.writeInt("AudioOptions", "RTenable", 1);
        profile.writeInt("AudioOptions", "RTbuffer", int(kOpenBlock));
        profile.writeInt("AudioOptions", "RTrate", int(kRate));
        instruments.level = kLevel;
        init();
    }

    FakeInstrument& instrument() { return *instruments.madeInstruments.back(); }

    // One block of `frames` through the device's entry; a block that found
    // the AudioMutex busy (the refresh pass resetting the instruments) is
    // rendered again. The frames that do not hold the instrument's level.
    size_t renderGaps(uint32_t frames)
    {
        for (;;) {
            std::vector<float> left(frames, -1.0f), right(frames, -1.0f);
            const uint64_t skipped = sequencer->skippedAudioBlocks();
            sequencer->renderAudio(left.data(), right.data(), frames, 0);
            if (sequencer->skippedAudioBlocks() != skipped)
                continue;
            return size_t(std::count_if(left.begin(), left.end(), [](float s) { return s != kLevel; })
                          + std::count_if(right.begin(), right.end(),
                                          [](float s) { return s != kLevel; }));
        }
    }
};

TEST_F(PeriodChange, TheNewBlockReachesTheRenderAndEveryBlockIsRenderedWhole)
{
    // JACK periods are powers of two from 16; past the instruments' largest
    // chunk a block renders in several.
    for (const uint32_t period : {16u, 512u, 2048u}) {
        SCOPED_TRACE(period);
        TearDown();
        start();
        ASSERT_EQ(instrument().blockFrames(), int(kOpenBlock));
        sequencer->blockFramesChanged(period);
        // Before and after the refresh pass has run.
        EXPECT_EQ(renderGaps(period), 0u);
        const double length = double(MulDiv(int32_t(period), 1000000, int32_t(kRate)));
        ASSERT_TRUE(eventually([&] {
            gui.drain();
            return sequencer->blockLength() == length;
        }));
        EXPECT_EQ(instrument().blockFrames(), int(std::min(period, EngineAudio::kInstrumentChunk)));
        EXPECT_EQ(renderGaps(period), 0u);
        EXPECT_EQ(instrument().overrunCount(), 0) << "an instrument got more than it was told";
        EXPECT_EQ(sequencer->hostTimeInfo().samplePosition, 2.0 * period)
            << "the host time restarted with the new block";
    }
}

} // namespace
} // namespace rz
