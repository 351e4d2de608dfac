// The audio engines' one mix: clips, instruments, volume, input and the
// AudioMutex, as every output device renders it.

#include "core/spectrum_sink.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/wave_disk_writer.h"
#include "tests/engine/transport_fixture.h"
#include "tests/support/alloc_counter/alloc_counter.h"
#include "tests/support/eventually.h"
#include "tests/support/lock_holder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace rz {
namespace {

constexpr uint32_t kFrames = 256;
constexpr float kInstrumentLevel = 0.125f;
constexpr int16_t kClipSample = 16384;

// A loaded stereo clip of one constant sample, long enough for any test.
CAudioClip constantClip()
{
    auto samples = std::make_shared<AudioClipSamples>();
    samples->samples.assign(2 * 44100, kClipSample);
    CAudioClip clip;
    clip.fileName = "take.wav";
    clip.number = 1;
    clip.length = WaveDuration(samples->frameCount(), 44100);
    clip.samples = std::move(samples);
    clip.loaded = true;
    return clip;
}

struct Block {
    explicit Block(float leftFill = 0.0f, float rightFill = 0.0f)
        : left(kFrames, leftFill), right(kFrames, rightFill)
    {
    }
    std::vector<float> left;
    std::vector<float> right;
};

class RecordingSpectrum : public ISpectrumSink {
public:
    void ComputeSpectrum(const float* left, const float*, size_t frames) override
    {
        ++blocks;
        first = frames > 0 ? left[0] : 0.0f;
    }
    int blocks = 0;
    float first = 0.0f;
};

class AudioRender : public TransportTest {
protected:
    // An engine with one instrument and a song that plays on past a bar.
    void start(bool enableAudio = false, bool passthrough = false)
    {
        profile.writeString("VST\\0", "path", "/opt/vst/pad.so");
        if (enableAudio) {
            profile.writeInt("AudioOptions", "RTenable", 1);
            profile.writeInt("AudioOptions", "RTinput", 2);
            profile.writeInt("AudioOptions", "Passthrough", passthrough ? 1 : 0);
        }
        instruments.level = kInstrumentLevel;
        init();
        makeSongWith({test::note(1800, 60, 90, 60)});
    }

    // The clip goes into the play lists after any start, which rebuilds them.
    void addClip()
    {
        track.leftGain = 0.5f;
        track.rightGain = 1.0f;
        LockGuard guard(AudioMutex(), "test");
        sequencer->appendClipToPlayLists(clip, track);
    }

    // One mixed block. The GUI thread may hold the AudioMutex a moment
    // (a refresh pass); a block that found it busy is rendered again.
    Block render(const Block& input = Block())
    {
        gui.drain();
        for (;;) {
            Block block = input;
            const uint64_t skipped = sequencer->skippedAudioBlocks();
            sequencer->RenderBlock(block.left.data(), block.right.data(), kFrames);
            if (sequencer->skippedAudioBlocks() == skipped)
                return block;
        }
    }

    // The same through a device's entry, with `inputs` captured channels.
    Block renderDevice(const Block& input, uint32_t inputs)
    {
        gui.drain();
        for (;;) {
            Block block = input;
            const uint64_t skipped = sequencer->skippedAudioBlocks();
            sequencer->renderAudio(block.left.data(), block.right.data(), kFrames, inputs);
            if (sequencer->skippedAudioBlocks() == skipped)
                return block;
        }
    }

    CAudioClip clip = constantClip();
    CTrack track;
};

enum class Moment { Stopped, Playing, CountIn };

TEST_F(AudioRender, MixesClipsOnlyWhilePlayingAndInstrumentsAlways)
{
    const float sample = SampleToFloat(kClipSample);
    struct Case {
        const char* name;
        Moment moment;
        int volume;
        float left;
        float right;
    };
    const Case cases[] = {
        {"stopped: instruments only", Moment::Stopped, 16383, kInstrumentLevel, kInstrumentLevel},
        {"playing: clips at the track's gains and instruments, bit-exact", Moment::Playing, 16383,
         sample * 0.5f + kInstrumentLevel, sample + kInstrumentLevel},
        {"counting in: instruments, no clips", Moment::CountIn, 16383, kInstrumentLevel,
         kInstrumentLevel},
        {"volume 0 silences clips and instruments", Moment::Playing, 0, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        start();
        if (c.moment == Moment::CountIn)
            sequencer->setRecording(true, 480);
        if (c.moment != Moment::Stopped) {
            startAt(0);
            ASSERT_EQ(sequencer->transportState(), TransportState::Playing);
            ASSERT_EQ(sequencer->countingIn(), c.moment == Moment::CountIn);
        }
        addClip();
        sequencer->SetMasterVolume(c.volume);
        clip.position = 0;
        const Block block = render();
        for (uint32_t i = 0; i < kFrames; ++i) {
            ASSERT_EQ(block.left[i], c.left) << "frame " << i;
            ASSERT_EQ(block.right[i], c.right) << "frame " << i;
        }
        EXPECT_EQ(sequencer->hostTimeInfo().samplePosition, double(kFrames));
    }
}

TEST_F(AudioRender, AHeldAudioMutexGivesASilentBlockAndOneSkipWithoutWaiting)
{
    start();
    const uint64_t skipped = sequencer->skippedAudioBlocks();
    LockHolder holder(AudioMutex());
    Block block(0.75f, -0.75f);
    sequencer->RenderBlock(block.left.data(), block.right.data(), kFrames);
    EXPECT_EQ(sequencer->skippedAudioBlocks(), skipped + 1);
    for (uint32_t i = 0; i < kFrames; ++i) {
        ASSERT_EQ(block.left[i], 0.0f);
        ASSERT_EQ(block.right[i], 0.0f);
    }
    EXPECT_EQ(sequencer->hostTimeInfo().samplePosition, 0.0) << "the block did not count";
    holder.release();
    EXPECT_EQ(render().left[0], kInstrumentLevel);
}

TEST_F(AudioRender, InputIsRecordedAlwaysAndHeardOnlyWithPassThrough)
{
    struct Case {
        const char* name;
        bool passthrough;
        uint32_t inputs;
        int16_t recordedRight;
        float heardLeft;
        float heardRight;
    };
    const Case cases[] = {
        {"pass-through off: recorded, not heard", false, 2, 8191, kInstrumentLevel,
         kInstrumentLevel},
        {"pass-through on: summed", true, 2, 8191, 0.5f + kInstrumentLevel,
         0.25f + kInstrumentLevel},
        {"one input: the right channel is silent", true, 1, 0, 0.5f + kInstrumentLevel,
         kInstrumentLevel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        start(true, c.passthrough);
        ASSERT_EQ(sequencer->passthrough(), c.passthrough);
        CWaveDiskWriter writer;
        sequencer->setAudioInputSink(&writer);
        const Block block = renderDevice(Block(0.5f, 0.25f), c.inputs);
        sequencer->setAudioInputSink(nullptr);

        std::vector<int16_t> recorded(2 * kFrames);
        ASSERT_EQ(writer.Read(recorded.data(), recorded.size() * 2), recorded.size() * 2);
        EXPECT_EQ(recorded[0], 16383);
        EXPECT_EQ(recorded[1], c.recordedRight);
        EXPECT_EQ(block.left[kFrames - 1], c.heardLeft);
        EXPECT_EQ(block.right[kFrames - 1], c.heardRight);
    }
}

TEST_F(AudioRender, TheSpectrumSeesTheMixOnlyWhileItShows)
{
    start();
    RecordingSpectrum spectrum;
    sequencer->setSpectrumSink(&spectrum);
    renderDevice(Block(), 0);
    EXPECT_EQ(spectrum.blocks, 0);
    sequencer->publishedValues().setSpectrumShown(true);
    const int before = spectrum.blocks;
    renderDevice(Block(), 0);
    EXPECT_GE(spectrum.blocks, before + 1);
    EXPECT_EQ(spectrum.first, kInstrumentLevel);
    sequencer->setSpectrumSink(nullptr);
}

// The audio thread appends to the input sink while the GUI thread swaps
// writers; a writer is destroyed right after its detach returns, so a late
// append would touch freed memory (caught under the sanitizers).
TEST_F(AudioRender, ADetachedInputSinkIsNeverTouchedAgain)
{
    start(true, false);
    std::atomic<bool> stop{false};
    std::thread audioThread([&] {
        Block block(0.5f, 0.25f);
        while (!stop.load())
            sequencer->renderAudio(block.left.data(), block.right.data(), kFrames, 2);
    });
    for (int i = 0; i < 100; ++i) {
        auto writer = std::make_unique<CWaveDiskWriter>();
        sequencer->setAudioInputSink(writer.get());
        ASSERT_TRUE(eventually([&] { return writer->writableBytes() < writer->kRingBytes - 1; }));
        sequencer->setAudioInputSink(nullptr);
        writer.reset();
    }
    stop = true;
    audioThread.join();
}

TEST_F(AudioRender, TheSteadyStateAllocatesNothing)
{
    start(true, true);
    startAt(0);
    addClip();
    CWaveDiskWriter writer;
    sequencer->setAudioInputSink(&writer);
    RecordingSpectrum spectrum;
    sequencer->setSpectrumSink(&spectrum);
    sequencer->publishedValues().setSpectrumShown(true);
    Block block;
    sequencer->renderAudio(block.left.data(), block.right.data(), kFrames, 2);
    {
        AllocationCount counted;
        for (int i = 0; i < 200; ++i)
            sequencer->renderAudio(block.left.data(), block.right.data(), kFrames, 2);
        EXPECT_EQ(counted.value(), 0u);
    }
    sequencer->setAudioInputSink(nullptr);
    sequencer->setSpectrumSink(nullptr);
}

} // namespace
} // namespace rz
