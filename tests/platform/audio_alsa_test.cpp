// The ALSA output and capture engines through alsa-lib's "null" and "file"
// devices, defined inline. These devices do not pace time: the tests count
// blocks, never wait for them.

#include "platform/audio_alsa_input.h"
#include "platform/audio_alsa_output.h"
#include "tests/support/eventually.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace rz {
namespace {

std::vector<uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A "file" device writing raw bytes over a "null" device; `nullOptions`
// restricts what the null device takes.
AlsaPcmTarget fileDevice(const std::filesystem::path& out, const std::string& nullOptions = {},
                         const std::string& infile = {})
{
    AlsaPcmTarget target;
    target.device = "rztest";
    target.configuration = "pcm.rztest { type file slave.pcm { type null " + nullOptions
                           + " } file \"" + out.string() + "\" format \"raw\" "
                           + (infile.empty() ? "" : "infile \"" + infile + "\" ") + "}";
    return target;
}

// Each block: `first` at frame 0 of the first block, `level` everywhere else.
class LevelRenderer : public IAudioRenderer {
public:
    void renderAudio(float* left, float* right, uint32_t frames, uint32_t inputChannels) override
    {
        EXPECT_EQ(inputChannels, 0u);
        for (uint32_t i = 0; i < frames; ++i)
            left[i] = right[i] = level;
        if (blocks++ == 0)
            left[0] = first;
    }
    float first = 0.0f;
    float level = 0.0f;
    int blocks = 0;
};

class RecordingCaptureSink : public IAudioCaptureSink {
public:
    static constexpr size_t kKeep = 1 << 20;

    void Deliver(const uint8_t* bytes, size_t size) override
    {
        std::lock_guard lock(m_mutex);
        sizes.push_back(size);
        if (data.size() < kKeep)
            data.insert(data.end(), bytes, bytes + size);
    }
    size_t count() const
    {
        std::lock_guard lock(m_mutex);
        return sizes.size();
    }
    std::vector<size_t> sizes;
    std::vector<uint8_t> data;

private:
    mutable std::mutex m_mutex;
};

TEST(AudioAlsa, ALoudBlockIsLimitedToFullScaleAndTheGainRecoversToNinetyFivePercent)
{
    TempFolder folder("rz-alsa-");
    const std::filesystem::path out = folder.path() / "out.raw";
    LevelRenderer renderer;
    renderer.first = 2.0f;
    renderer.level = 0.5f;
    CRtAudioOutput output(renderer);
    ASSERT_EQ(output.Open(fileDevice(out), 44100, 256), "");
    ASSERT_EQ(output.alsaFormat(), SND_PCM_FORMAT_S16_LE);
    EXPECT_EQ(output.sampleRate(), 44100u);
    const uint32_t period = output.periodFrames();
    ASSERT_GT(period, 1u);
    constexpr int kBlocks = 150;
    for (int i = 0; i < kBlocks; ++i)
        ASSERT_TRUE(output.MixAndWriteBlock());
    EXPECT_GE(output.gain(), 0.95f);
    EXPECT_LT(output.gain(), 0.95f * 1.005f);
    output.Close();

    const std::vector<uint8_t> bytes = readBytes(out);
    ASSERT_EQ(bytes.size(), size_t(kBlocks) * period * 4);
    auto sample = [&](size_t frame, int channel) {
        int16_t value;
        std::memcpy(&value, bytes.data() + 4 * frame + 2 * size_t(channel), 2);
        return value;
    };
    EXPECT_EQ(sample(0, 0), 32767) << "the 2.0 peak at full scale";
    EXPECT_EQ(sample(0, 1), 16383) << "its right side at the gain before it";
    EXPECT_EQ(sample(1, 0), 8191) << "the rest of the block at half gain";
    // Each later block 0.5 % louder, up to 0.95.
    float gain = 0.5f;
    for (int block = 1; block < kBlocks; ++block) {
        if (gain < 0.95f)
            gain *= 1.005f;
        const int16_t expected = int16_t(0.5f * gain * 32767.0f);
        ASSERT_EQ(sample(size_t(block) * period, 0), expected) << "block " << block;
        ASSERT_EQ(sample(size_t(block) * period + period - 1, 1), expected) << "block " << block;
    }
}

// alsa-lib's inline devices cannot refuse S16 while taking S32; a device
// taking floats only (an lfloat converter over "null") proves the fallback.
TEST(AudioAlsa, ADeviceThatRefusesS16GetsConvertedSamples)
{
    TempFolder folder("rz-alsa-");
    const std::filesystem::path out = folder.path() / "out.raw";
    LevelRenderer renderer;
    renderer.level = 0.5f;
    renderer.first = -2.0f;
    CRtAudioOutput output(renderer);
    AlsaPcmTarget target;
    target.device = "rztest";
    target.configuration = "pcm.rztest { type file slave.pcm { type lfloat slave { pcm { type null } "
                           "format S32_LE } } file \"" + out.string() + "\" format \"raw\" }";
    ASSERT_EQ(output.Open(target, 44100, 256), "");
    ASSERT_EQ(output.alsaFormat(), SND_PCM_FORMAT_FLOAT_LE);
    ASSERT_TRUE(output.MixAndWriteBlock());
    output.Close();
    const std::vector<uint8_t> bytes = readBytes(out);
    ASSERT_EQ(bytes.size(), size_t(output.periodFrames()) * 8);
    float samples[4];
    std::memcpy(samples, bytes.data(), sizeof samples);
    EXPECT_EQ(samples[0], -1.0f) << "limited to full scale";
    EXPECT_EQ(samples[1], 0.5f) << "at the gain before the peak";
    EXPECT_EQ(samples[2], 0.25f) << "then at half gain";
}

TEST(AudioAlsa, NoDeviceGivesAReason)
{
    LevelRenderer renderer;
    CRtAudioOutput output(renderer);
    AlsaPcmTarget target;
    target.device = "missing";
    target.configuration = "pcm.other { type null }";
    EXPECT_NE(output.Open(target, 44100, 256), "");
    EXPECT_FALSE(output.Play());
}

TEST(AudioAlsa, NullCaptureDeliversWholeChunksOfAnEighthOfASecond)
{
    RecordingCaptureSink sink;
    CRtAudioInput input(sink);
    AlsaPcmTarget target;
    target.device = "rzcap";
    target.configuration = "pcm.rzcap { type null }";
    ASSERT_EQ(input.Open(target, CaptureFormat{44100, 2, 16}), "");
    EXPECT_EQ(input.chunkBytes(), 22048u);
    ASSERT_TRUE(input.Start());
    ASSERT_TRUE(eventually([&] { return sink.count() >= 3; }));
    EXPECT_EQ(input.Stop(), "");
    ASSERT_GE(sink.sizes.size(), 3u);
    for (size_t i = 0; i + 1 < sink.sizes.size(); ++i)
        ASSERT_EQ(sink.sizes[i], 22048u) << "chunk " << i;
    EXPECT_LE(sink.sizes.back(), 22048u) << "the tail";
}

TEST(AudioAlsa, AnInfileCaptureDeliversItsBytesInOrder)
{
    TempFolder folder("rz-alsa-");
    const std::filesystem::path in = folder.path() / "in.raw";
    std::vector<uint8_t> bytes(3 * 22048 + 400);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + i / 256);
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              std::streamsize(bytes.size()));
    RecordingCaptureSink sink;
    CRtAudioInput input(sink);
    ASSERT_EQ(input.Open(fileDevice("/dev/null", {}, in.string()), CaptureFormat{44100, 2, 16}), "");
    ASSERT_TRUE(input.Start());
    ASSERT_TRUE(eventually([&] { return sink.count() >= 5; }));
    EXPECT_EQ(input.Stop(), "");
    ASSERT_GE(sink.data.size(), bytes.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), sink.data.begin()));
}

TEST(AudioAlsa, ChunksAreAnEighthOfASecondInWholeFramesOr1024)
{
    EXPECT_EQ(CRtAudioInput::ChunkBytesFor({44100, 2, 16}), 22048u);
    EXPECT_EQ(CRtAudioInput::ChunkBytesFor({22050, 1, 16}), 5512u);
    EXPECT_EQ(CRtAudioInput::ChunkBytesFor({11025, 1, 8}), 1378u);
    EXPECT_EQ(CRtAudioInput::ChunkBytesFor({8000, 1, 8}), 1024u) << "below 8192 bytes a second";
}

} // namespace
} // namespace rz
