// Audio clips: where they play, how they mix, and loading their samples.

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/wave_clip_loader.h"
#include "engine/audio/wave_file.h"
#include "tests/engine/audio/wave_bytes.h"
#include "tests/song/undo_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace rz::test {
namespace {

constexpr uint32_t kClipRate = 44100;

// A loaded clip over the given interleaved samples.
CAudioClip clipOf(std::vector<int16_t> values, uint16_t channels = 2, int32_t repeats = 1)
{
    auto samples = std::make_shared<AudioClipSamples>();
    samples->samples = std::move(values);
    samples->format.channels = channels;
    samples->format.blockAlign = uint16_t(2 * channels);
    samples->format.bytesPerSecond = kClipRate * samples->format.blockAlign;
    CAudioClip clip;
    clip.fileName = "test.wav";
    clip.number = repeats;
    clip.length = WaveDuration(samples->frameCount(), kClipRate);
    clip.samples = std::move(samples);
    clip.loaded = true;
    return clip;
}

struct Block {
    explicit Block(size_t frames, float fill = 0.0f) : left(frames, fill), right(frames, fill) {}
    ChannelBuffers buffers() { return {left.data(), right.data()}; }
    std::vector<float> left;
    std::vector<float> right;
};

TEST(AudioClip, RepeatsPlayBackToBackThenNothingWhileThePositionCounts)
{
    std::vector<int16_t> ramp;
    for (int16_t i = 1; i <= 100; ++i)
        ramp.insert(ramp.end(), {int16_t(i * 300), int16_t(-i * 300)});
    CAudioClip clip = clipOf(ramp, 2, 2);
    Block block(256);
    Mix(clip, block.buffers(), 256, 1.0f, 1.0f);
    for (size_t f = 0; f < 256; ++f) {
        const int16_t step = f < 200 ? int16_t((f % 100 + 1) * 300) : 0;
        ASSERT_EQ(block.left[f], SampleToFloat(step)) << "frame " << f;
        ASSERT_EQ(block.right[f], SampleToFloat(int16_t(-step))) << "frame " << f;
    }
    EXPECT_EQ(clip.position, 256);
    Block after(64);
    Mix(clip, after.buffers(), 64, 1.0f, 1.0f);
    EXPECT_EQ(after.left, std::vector<float>(64, 0.0f));
    EXPECT_EQ(clip.position, 320);
}

TEST(AudioClip, MonoClipFeedsBothSidesAtTheirGains)
{
    CAudioClip clip = clipOf({16384, -8192}, 1);
    Block block(2);
    Mix(clip, block.buffers(), 2, 1.0f, 0.5f);
    EXPECT_EQ(block.left, (std::vector<float>{SampleToFloat(16384), -0.25f}));
    EXPECT_EQ(block.right, (std::vector<float>{SampleToFloat(16384) * 0.5f, -0.125f}));
}

TEST(AudioClip, FullScaleIsExactAndSumsClip)
{
    EXPECT_EQ(SampleToFloat(-32768), -1.0f);
    EXPECT_EQ(SampleToFloat(32767), 1.0f);
    EXPECT_EQ(SampleToFloat(0), 0.0f);
    CAudioClip clip = clipOf({16384, -16384, 32767, -32768});
    Block block(2, 0.8f);
    block.right = {-0.8f, 0.8f};
    Mix(clip, block.buffers(), 2, 1.0f, 1.0f);
    EXPECT_EQ(block.left, (std::vector<float>{1.0f, 1.0f}));
    EXPECT_EQ(block.right[0], -1.0f);
    EXPECT_FLOAT_EQ(block.right[1], -0.2f);
}

TEST(AudioClip, TimeToSampleSetsThePositionInsideTheClipOnly)
{
    CAudioClip clip = clipOf(std::vector<int16_t>(2 * kClipRate, 0), 2, 3); // one second, three passes
    TimeToSample(clip, 1.5e6);
    EXPECT_EQ(clip.position, 66150);
    EXPECT_EQ(clip.repeatIndex, 1);
    TimeToSample(clip, 3.0e6); // the end
    EXPECT_EQ(clip.position, 66150);
    TimeToSample(clip, 9.0e6);
    EXPECT_EQ(clip.repeatIndex, 1);

    CAudioClip unloaded;
    unloaded.length = 10'000'000;
    unloaded.number = 1;
    unloaded.position = 5;
    TimeToSample(unloaded, 0.5e6);
    EXPECT_EQ(unloaded.position, 5);
}

TEST(AudioClip, NinetyMinutesAreExactToTheUnit)
{
    // 90 minutes and 12345 frames; whole seconds would lose 2,799,319 units.
    EXPECT_EQ(WaveDuration(90LL * 60 * kClipRate + 12345, kClipRate), 54'002'799'319LL);
    // A one-second clip repeated for 90 minutes, placed 89.5 minutes in.
    CAudioClip clip = clipOf(std::vector<int16_t>(2 * kClipRate, 0), 2, 90 * 60);
    TimeToSample(clip, 89.5 * 60 * 1e6);
    EXPECT_EQ(clip.position, 89LL * 60 * kClipRate + 30 * kClipRate);
    EXPECT_EQ(clip.repeatIndex, 89 * 60 + 30);
}

TEST(AudioClip, RenderWritesOnlyPositionsInsideTheClip)
{
    CAudioClip clip = clipOf({100, 200, 300, 400}, 2, 2); // two frames, twice
    Block block(8, 9.0f);
    EXPECT_EQ(Render(clip, -3, block.buffers(), 8), 4u);
    const float a = SampleToFloat(100);
    const float b = SampleToFloat(300);
    EXPECT_EQ(block.left, (std::vector<float>{9, 9, 9, a, b, a, b, 9}));
    EXPECT_EQ(clip.position, 0); // drawing does not move the clip
}

TEST(AudioClip, FillClearsThenMixesWhatIsLeft)
{
    CAudioClip clip = clipOf({1000, 1000, 2000, 2000, 3000, 3000});
    Block block(4, 0.5f);
    EXPECT_EQ(Fill(clip, block.buffers(), 2, true), 2u);
    EXPECT_EQ(block.left, (std::vector<float>{SampleToFloat(1000), SampleToFloat(2000), 0.5f, 0.5f}));
    EXPECT_EQ(Fill(clip, block.buffers(), 4, true), 1u);
    EXPECT_EQ(block.left, (std::vector<float>{SampleToFloat(3000), 0, 0, 0}));
    EXPECT_EQ(Fill(clip, block.buffers(), 4, false), 0u);
    Advance(clip, -3);
    EXPECT_EQ(Fill(clip, block.buffers(), 4, true), 3u);
}

// The loader against real files, the song's activation and its undo.
class AudioClipLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeBytes(dir.path() / "a.wav", riff(pcmFmt() + chunk("data", samples({1, 2, 3, 4}))));
        writeBytes(dir.path() / "float.wav",
                   riff(chunk("fmt ", fmtBody(3, 2, kClipRate, 32)) + chunk("data", Bytes(8, 0))));
    }

    CAudioClip clipNamed(const std::string& name)
    {
        CAudioClip clip;
        clip.fileName = (dir.path() / name).string();
        clip.number = 1;
        return clip;
    }

    TempDir dir;
    WaveClipLoader loader{[] { return kClipRate; }, std::chrono::milliseconds(50)};
};

TEST_F(AudioClipLoader, LoadsAndReleasesSamples)
{
    CAudioClip clip = clipNamed("a.wav");
    ASSERT_TRUE(loader.loadSamples(clip)) << loader.lastFailure();
    EXPECT_TRUE(IsLoaded(clip));
    ASSERT_NE(clip.samples, nullptr);
    EXPECT_EQ(clip.samples->samples, (std::vector<int16_t>{1, 2, 3, 4}));
    EXPECT_EQ(clip.length, WaveDuration(2, kClipRate));
    loader.releaseSamples(clip);
    EXPECT_FALSE(IsLoaded(clip));
    EXPECT_EQ(clip.samples, nullptr);
    EXPECT_EQ(clip.length, WaveDuration(2, kClipRate)); // the clip keeps its length

    CAudioClip refused = clipNamed("float.wav");
    EXPECT_FALSE(loader.loadSamples(refused));
    EXPECT_NE(loader.lastFailure().find("float.wav"), std::string::npos);
    EXPECT_FALSE(IsLoaded(refused));
}

// A load past its quiet time goes on in the steps of the slow-load
// progress: with the progress rising to the end and the same samples as a
// plain read; a Cancel leaves the clip silent and says so.
TEST_F(AudioClipLoader, ALoadPastItsQuietTimeShowsItsStepsAndCanBeCancelled)
{
    // Three read blocks and a bit: one is read before the steps begin.
    const size_t bytes = 3 * WaveFileLoad::kBlockBytes + 8;
    Bytes data(bytes);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = uint8_t(i * 13);
    writeBytes(dir.path() / "long.wav", riff(pcmFmt(kClipRate) + chunk("data", data)));
    std::string reason;
    const auto whole = ReadWaveFile(dir.path() / "long.wav", kClipRate, reason);
    ASSERT_NE(whole, nullptr) << reason;

    for (const bool cancel : {false, true}) {
        WaveClipLoader slow{[] { return kClipRate; }, std::chrono::milliseconds(50), std::chrono::milliseconds(0)};
        int shows = 0;
        std::vector<double> shown;
        slow.setSlowLoadProgress([&](const std::function<int(double*)>& step) {
            ++shows;
            if (cancel) // the user's Cancel comes before the dialog's first step
                return false;
            double progress = 0.0;
            while (step(&progress) != 0)
                shown.push_back(progress);
            shown.push_back(progress);
            return true;
        });
        CAudioClip clip = clipNamed("long.wav");
        const bool loaded = slow.loadSamples(clip);
        EXPECT_EQ(shows, 1) << cancel;
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << cancel;
        if (cancel) {
            EXPECT_FALSE(loaded);
            EXPECT_FALSE(IsLoaded(clip));
            EXPECT_NE(slow.lastFailure().find("long.wav: the load was cancelled"), std::string::npos)
                << slow.lastFailure();
        } else {
            ASSERT_TRUE(loaded) << slow.lastFailure();
            EXPECT_EQ(shown.back(), 1.0);
            EXPECT_EQ(clip.samples->samples, whole->samples);
        }
    }
}

TEST_F(AudioClipLoader, HeldAudioMutexLeavesTheClipAsItWas)
{
    std::promise<void> held;
    std::promise<void> done;
    std::thread holder([&] {
        LockGuard guard(AudioMutex(), "test");
        held.set_value();
        done.get_future().wait();
    });
    held.get_future().wait();
    CAudioClip clip = clipNamed("a.wav");
    EXPECT_FALSE(loader.loadSamples(clip));
    EXPECT_FALSE(clip.loaded);
    EXPECT_EQ(clip.samples, nullptr);
    EXPECT_EQ(clip.length, 0);

    CAudioClip loaded = clipOf({1, 2});
    loader.releaseSamples(loaded);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_NE(loaded.samples, nullptr);
    done.set_value();
    holder.join();
}

TEST_F(AudioClipLoader, ActivationLoadsTheSongsClipsAndUndoReleasesThem)
{
    SongFixture f;
    SongContext context = f.context();
    context.clipLoader = &loader;
    CSongDoc song(context);
    song.InitNewSong();
    song.contentFlag = true;
    CTrack& audio = addUserTrack(song);
    audio.type = kWaveTrack;
    CMidiEvent event;
    event.tick = 0;
    event.SetClip(std::make_unique<CAudioClip>(clipNamed("a.wav")));
    audio.events.push_back(std::move(event));
    const size_t row = song.tracks.size() - 2;

    song.ActivateSong(0);
    CAudioClip& clip = *song.tracks[row]->events[0].clip();
    EXPECT_TRUE(clip.loaded);
    ASSERT_NE(clip.samples, nullptr);

    // Deleting the clip's event releases the samples of the clip it takes out.
    auto remove = std::make_unique<CUndoRecord>();
    remove->flags = kUndoEvents;
    remove->label = "Delete Events";
    remove->events = std::make_unique<CEventList>();
    remove->events->sourceKeys = {eventKey(uint32_t(row), 0)};
    ASSERT_EQ(song.ApplyEdit(std::move(remove)), ApplyResult::Applied);
    EXPECT_TRUE(song.tracks[row]->events.empty());
    // Undo puts it back loaded; redo takes it out again, released.
    ASSERT_TRUE(song.Undo());
    ASSERT_EQ(song.tracks[row]->events.size(), 1u);
    EXPECT_TRUE(song.tracks[row]->events[0].clip()->loaded);
    ASSERT_TRUE(song.Redo());
    const CEventList& taken = *song.undoList.front()->events;
    ASSERT_EQ(taken.events.size(), 1u);
    EXPECT_FALSE(taken.events[0].clip()->loaded);
    EXPECT_EQ(taken.events[0].clip()->samples, nullptr);
}

} // namespace
} // namespace rz::test
