#include "engine/audio/audio_filter.h"
#include "engine/audio/filter_apply.h"
#include "filter_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace rz {
namespace {

using test::kFilterRate;

// Runs one filter over the inputs into `work`; the outputs, or none.
std::vector<std::filesystem::path> apply(LadspaFilter& filter, const test::TempFolder& work,
                                         const std::vector<std::filesystem::path>& inputs)
{
    FilterApplyRun run(filter, work.path(), inputs, std::vector<int64_t>(inputs.size(), 0));
    EXPECT_EQ(run.run(nullptr), 0);
    return run.outputs();
}

TEST(LadspaFilter, HalfGainHalvesEverySampleMonoAndStereo)
{
    for (const char* id : {test::kAmpMono, test::kAmpStereo}) {
        SCOPED_TRACE(id);
        test::TempFolder folder;
        const std::vector<int16_t> ramp = test::rampSamples(10000);
        test::writeStereoWave(folder / "in.wav", ramp);
        auto filter = test::makeFilter(id);
        ASSERT_TRUE(filter);
        filter->setControl(0, 0.5f);
        const auto outputs = apply(*filter, folder, {folder / "in.wav"});
        ASSERT_EQ(outputs.size(), 1u);
        const std::vector<int16_t> out = test::readStereoWave(outputs[0]);
        ASSERT_EQ(out.size(), ramp.size());
        for (size_t i = 0; i < ramp.size(); ++i)
            ASSERT_NEAR(out[i], ramp[i] / 2.0, 1.0) << "sample " << i;
    }
}

TEST(LadspaFilter, StateDoesNotBleedFromClipToClip)
{
    test::TempFolder folder;
    std::vector<int16_t> loud(2 * 6000, 20000);
    std::vector<int16_t> ramp = test::rampSamples(6000);
    test::writeStereoWave(folder / "a.wav", loud);
    test::writeStereoWave(folder / "b.wav", ramp);
    auto filter = test::makeFilter(test::kDelay);
    ASSERT_TRUE(filter);
    filter->setControl(0, 0.05f); // seconds: the loud clip still sounds in the delay line
    const auto both = apply(*filter, folder, {folder / "a.wav", folder / "b.wav"});
    test::TempFolder alone;
    const auto onlyB = apply(*filter, alone, {folder / "b.wav"});
    ASSERT_EQ(both.size(), 2u);
    ASSERT_EQ(onlyB.size(), 1u);
    const std::vector<int16_t> delayed = test::readStereoWave(both[1]);
    EXPECT_EQ(delayed, test::readStereoWave(onlyB[0]));
    EXPECT_NE(delayed, ramp); // the delay did act
}

TEST(LadspaFilter, NanAndInfinityComeOutSilentAndLoudnessClamped)
{
    auto filter = test::makeFilter(test::kWild);
    ASSERT_TRUE(filter);
    ASSERT_TRUE(filter->start());
    std::vector<int16_t> samples(2 * 8, 1000);
    filterPcm16(*filter, samples);
    const std::vector<int16_t> expected = {0, 0, 0, 0, 32767, 32767, -32768, -32768};
    EXPECT_EQ(std::vector<int16_t>(samples.begin(), samples.begin() + 8), expected);
}

TEST(LadspaFilter, ControlsAreClampedToTheirPorts)
{
    auto filter = test::makeFilter(test::kDelay);
    ASSERT_TRUE(filter);
    EXPECT_FLOAT_EQ(filter->control(0), 1.0f); // the port's default
    filter->setControl(0, 60.0f);
    EXPECT_FLOAT_EQ(filter->control(0), 5.0f);
    filter->setControl(1, -1.0f);
    EXPECT_FLOAT_EQ(filter->control(1), 0.0f);
}

} // namespace
} // namespace rz
