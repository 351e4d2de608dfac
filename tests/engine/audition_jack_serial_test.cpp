// An effect's audition through the real render on a JACK dummy server: the
// filtered file reaches another client while the transport stands still.

#include "engine/audio/filter_apply.h"
#include "engine/audio/filter_audition.h"
#include "tests/engine/audio_engine_jack_fixture.h"
#include "tests/engine/audio/filter_fixture.h"
#include "tests/support/eventually.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

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

    // A block the render had to skip leaves a gap, never a lost frame: each
    // frame heard is the ramp's next. The ramp may jump only in a cycle
    // after the client's own missed cycle or an xrun the server reported,
    // when what the client heard is not what was played.
    // The audition ends when its last block is handed to the engine; the
    // client hears it a cycle or two later.
    const size_t blocksAtEnd = client->recording().blocks.size();
    EXPECT_TRUE(eventually([&] { return client->recording().blocks.size() >= blocksAtEnd + 3; }))
        << "the client stopped hearing cycles";
    const JackAudioTestClient::Recording heard = client->recording();
    int64_t previous = -1;
    size_t frames = 0;
    size_t disturbed = 0;
    for (size_t b = 0; b < heard.blocks.size(); ++b) {
        const size_t end = b + 1 < heard.blocks.size() ? heard.blocks[b + 1].offset : heard.left.size();
        disturbed += heard.blocks[b].disturbed ? 1 : 0;
        for (size_t i = heard.blocks[b].offset; i < end; ++i) {
            if (heard.left[i] == 0.0f)
                continue;
            const int64_t index = std::lround(double(heard.left[i]) * 65536.0) - 100;
            ASSERT_TRUE(index >= 0 && index < 20000) << "frame " << i << " is no ramp value";
            ASSERT_EQ(heard.left[i], float(ramp[2 * index]) / 32768.0f * 0.5f) << "frame " << i;
            ASSERT_EQ(heard.right[i], float(ramp[2 * index + 1]) / 32768.0f * 0.5f) << "frame " << i;
            if (index != previous + 1) {
                ASSERT_TRUE(heard.blocks[b].disturbed)
                    << "the ramp went from " << previous << " to " << index << " at frame " << i
                    << " while the client ran every cycle";
            }
            previous = index;
            ++frames;
        }
    }
    if (disturbed == 0) {
        EXPECT_EQ(frames, 20000u);
    } else {
        // Each disturbed cycle may have cost the client what was played in
        // it and in the cycle it missed.
        EXPECT_GE(frames + disturbed * 2 * JackServer::kPeriodFrames, 20000u);
        std::cout << "the client missed cycles or saw xruns before " << disturbed << " of its "
                  << heard.blocks.size() << " cycles\n";
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
