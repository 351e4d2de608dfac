#include "engine/audio/filter_apply.h"
#include "filter_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace rz {
namespace {

// Cancels the run when a given clip begins; counts progress.
class Listener : public IFilterApplyListener {
public:
    FilterApplyRun* run = nullptr;
    size_t cancelAtClip = SIZE_MAX;
    int64_t lastOverall = 0;
    int32_t finishedWith = 1;

    void clipStarted(size_t clip, int64_t) override
    {
        if (clip == cancelAtClip)
            run->cancel();
    }
    void progress(int64_t, int64_t overall) override { lastOverall = overall; }
    void finished(int32_t error) override { finishedWith = error; }
};

struct FailureCase {
    const char* name;
    std::vector<std::string> inputs; // "good", "missing", "mono8", "rate22050"
    bool workFolderMissing = false;
    bool refuseInstances = false;
    int32_t expected;
};

TEST(FilterApply, EveryFailureLeavesNoOutputBehind)
{
    const std::vector<FailureCase> cases = {
        {"missing input", {"missing"}, false, false, kFilterInputUnreadable},
        {"missing second input", {"good", "missing"}, false, false, kFilterInputUnreadable},
        {"input of another format", {"good", "mono8"}, false, false, kFilterInputFormat},
        {"input of another rate", {"rate22050"}, false, false, kFilterInputFormat},
        {"no instance", {"good"}, false, true, kFilterNoInstance},
        {"no work folder", {"good"}, true, false, kFilterOutputUnwritable},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder sources;
        test::TempFolder work;
        const std::vector<int16_t> ramp = test::rampSamples(5000);
        test::writeStereoWave(sources / "good.wav", ramp);
        test::writeStereoWave(sources / "rate22050.wav", ramp, 22050);
        std::ofstream(sources / "mono8.wav") << "RIFF\x24\0\0\0WAVEfmt ";
        std::vector<std::filesystem::path> inputs;
        for (const std::string& name : c.inputs)
            inputs.push_back(sources / (name + ".wav"));
        auto filter = test::makeFilter(test::kWild);
        ASSERT_TRUE(filter);
        if (c.refuseInstances)
            ::setenv("RZ_TEST_LADSPA_REFUSE", "1", 1);
        FilterApplyRun run(*filter, c.workFolderMissing ? work / "gone" : work.path(), inputs,
                           std::vector<int64_t>(inputs.size(), 1000));
        Listener listener;
        EXPECT_EQ(run.run(&listener), c.expected);
        ::unsetenv("RZ_TEST_LADSPA_REFUSE");
        EXPECT_EQ(listener.finishedWith, c.expected);
        EXPECT_TRUE(run.outputs().empty());
        EXPECT_TRUE(work.files().empty());
    }
}

TEST(FilterApply, MessageShowsTheCodeAsEightHexDigits)
{
    EXPECT_EQ(filterErrorMessage(kFilterInputUnreadable), "Sorry, LADSPA error: fffffff8");
    EXPECT_EQ(filterErrorMessage(kFilterOutputUnwritable), "Sorry, LADSPA error: fffffc09");
}

TEST(FilterApply, CancelOnAWorkerDuringTheSecondClipLeavesNothing)
{
    test::TempFolder sources;
    test::TempFolder work;
    std::vector<std::filesystem::path> inputs;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        test::writeStereoWave(sources / name, test::rampSamples(20000));
        inputs.push_back(sources / name);
    }
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    FilterApplyRun run(*filter, work.path(), inputs, {1, 1, 1});
    Listener listener;
    listener.run = &run;
    listener.cancelAtClip = 1;
    run.start(&listener);
    EXPECT_EQ(run.wait(), kFilterCancelled);
    EXPECT_TRUE(run.done());
    EXPECT_TRUE(work.files().empty());
}

TEST(FilterApply, SizesComeFromTheFilesElseFromTheCaller)
{
    test::TempFolder sources;
    test::writeStereoWave(sources / "a.wav", test::rampSamples(3000));
    auto filter = test::makeFilter(test::kAmpStereo);
    ASSERT_TRUE(filter);
    FilterApplyRun run(*filter, sources.path(), {sources / "a.wav", sources / "gone.wav"},
                       {77, 1234});
    ASSERT_EQ(run.sizes().size(), 2u);
    EXPECT_NEAR(double(run.sizes()[0]), 3000.0, 8.0); // frames, the header estimated
    EXPECT_EQ(run.sizes()[1], 1234);
    EXPECT_EQ(run.overallSize(), run.sizes()[0] + 1234);
}

TEST(FilterApply, OutputsAreClaimedUnderUnusedNames)
{
    test::TempFolder work;
    std::ofstream(work / "take.wav") << "x";
    std::string reason;
    EXPECT_EQ(claimAudioFile(work.path(), "", reason), work / "take_2.wav");
    EXPECT_EQ(claimAudioFile(work.path(), "/songs/voice_3.wav", reason), work / "voice.wav");
    EXPECT_EQ(claimAudioFile(work.path(), "/songs/voice.wav", reason), work / "voice_2.wav");
    EXPECT_TRUE(claimAudioFile(work / "gone", "", reason).empty());
    EXPECT_NE(reason.find("gone"), std::string::npos);
}

} // namespace
} // namespace rz
