// An effect's audition through the real render on a JACK dummy server: the
// filtered file reaches another client while the transport stands still.

#include "engine/audio/filter_apply.h"
#include "engine/audio/filter_audition.h"
#include "tests/engine/audio_engine_jack_fixture.h"
#include "tests/engine/audio/filter_fixture.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using AuditionJack = AudioEngineJackTest;

TEST_F(AuditionJack, TheFilteredClipReachesTheClient)
{
    profile.writeInt("AudioOptions", "RTinput", 0);
    CSequencer& sequencer = startEngine();
    ASSERT_NE(sequencer.previewSlot(), nullptr);
    ASSERT_EQ(sequencer.audioFormat().sampleRate, test::kFilterRate);
    test::TempFolder folder;
    std::vector<int16_t> ramp;
    for (int i = 0; i < 20000; ++i) {
        ramp.push_back(int16_t(100 + i));
        ramp.push_back(int16_t(-100 - i));
    }
    test::writeStereoWave(folder / "clip.wav", ramp);
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    filter->setControl(0, 0.5f);
    client->record();
    AuditionRun run(*filter, sequencer.previewSlot(), folder / "clip.wav");
    run.start();
    EXPECT_EQ(run.wait(), 0);
    EXPECT_EQ(sequencer.transportState(), TransportState::Stopped);
    EXPECT_EQ(run.playedMs(), 20000 * 1000 / int64_t(test::kFilterRate));

    // A block the render had to skip leaves a gap, never a lost frame.
    const JackAudioTestClient::Recording heard = client->recording();
    std::vector<float> left;
    std::vector<float> right;
    for (size_t i = 0; i < heard.left.size(); ++i) {
        if (heard.left[i] != 0.0f) {
            left.push_back(heard.left[i]);
            right.push_back(heard.right[i]);
        }
    }
    ASSERT_EQ(left.size(), 20000u);
    for (size_t i = 0; i < left.size(); ++i) {
        ASSERT_EQ(left[i], float(ramp[2 * i]) / 32768.0f * 0.5f) << "frame " << i;
        ASSERT_EQ(right[i], float(ramp[2 * i + 1]) / 32768.0f * 0.5f) << "frame " << i;
    }
}

TEST_F(AuditionJack, WithoutAnAudioEngineThereIsNoSlot)
{
    profile.writeInt("AudioOptions", "RTenable", 0);
    CSequencer& sequencer = startEngine();
    EXPECT_EQ(sequencer.previewSlot(), nullptr);
}

} // namespace
} // namespace rz
