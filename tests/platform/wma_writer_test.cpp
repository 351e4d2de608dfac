#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include "platform/audio_decoder.h"
#include "platform/wma_writer.h"

namespace rz {
namespace {

constexpr uint32_t kWmaRate = 44100;

class WmaWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path()
                   / ("wma_writer_test_" + std::to_string(getpid()) + "_"
                      + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::filesystem::path m_folder;
};

std::vector<int16_t> sine(double hz, double seconds)
{
    const size_t frames = size_t(seconds * kWmaRate);
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const auto v = int16_t(std::lround(16000.0 * std::sin(2.0 * std::numbers::pi * hz * double(i) / kWmaRate)));
        samples[2 * i] = v;
        samples[2 * i + 1] = v;
    }
    return samples;
}

// The power of one frequency over the samples (Goertzel).
double power(const std::vector<float>& x, double hz)
{
    const double k = 2.0 * std::cos(2.0 * std::numbers::pi * hz / kWmaRate);
    double s1 = 0.0, s2 = 0.0;
    for (float v : x) {
        const double s0 = v + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

TEST_F(WmaWriterTest, SineReadsBackAsWmaV2AtItsFrequencyAndLength)
{
    const std::filesystem::path file = m_folder / "sine.wma";
    const std::vector<int16_t> samples = sine(440.0, 3.0);
    WmaWriter writer;
    const int format = WmaWriter::chooseFormat(0, -1);
    ASSERT_EQ(WmaWriter::formatNames(0)[size_t(format)], "128 kbps, stereo");
    ASSERT_EQ(writer.begin(file, kWmaRate, 2, 0, format), 0);
    // Pieces of odd sizes, as a recorder's timer hands them over.
    for (size_t at = 0; at < samples.size() / 2;) {
        const size_t frames = std::min<size_t>(1237, samples.size() / 2 - at);
        ASSERT_EQ(writer.write(samples.data() + 2 * at, frames), 0);
        at += frames;
    }
    ASSERT_EQ(writer.end(), 0);

    AVFormatContext* context = nullptr;
    ASSERT_EQ(avformat_open_input(&context, file.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(context, nullptr), 0);
    ASSERT_EQ(context->nb_streams, 1u);
    const AVCodecParameters* stream = context->streams[0]->codecpar;
    EXPECT_EQ(stream->codec_id, AV_CODEC_ID_WMAV2);
    EXPECT_EQ(stream->sample_rate, int(kWmaRate));
    EXPECT_EQ(stream->ch_layout.nb_channels, 2);
    EXPECT_NEAR(double(stream->bit_rate), 128000.0, 1000.0);
    avformat_close_input(&context);

    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(file, kWmaRate), 0);
    std::vector<float> left;
    AudioDecoder::Status status;
    while ((status = decoder.decodeNext([&](const int16_t* s, size_t frames) {
                for (size_t i = 0; i < frames; ++i)
                    left.push_back(float(s[2 * i]));
            })) == AudioDecoder::Status::More) {
    }
    ASSERT_EQ(status, AudioDecoder::Status::End);
    EXPECT_NEAR(double(left.size()) / kWmaRate, 3.0, 0.1);

    // One second from the middle, scanned at 1 Hz steps.
    ASSERT_GT(left.size(), size_t(2 * kWmaRate));
    const std::vector<float> window(left.begin() + kWmaRate, left.begin() + 2 * kWmaRate);
    double best = 0.0, bestHz = 0.0;
    for (double hz = 50.0; hz <= 4000.0; hz += 1.0) {
        const double p = power(window, hz);
        if (p > best) {
            best = p;
            bestHz = hz;
        }
    }
    EXPECT_NEAR(bestHz, 440.0, 5.0);
}

TEST_F(WmaWriterTest, RefusedRateAnswersNegativeAndLeavesNoFile)
{
    const std::filesystem::path file = m_folder / "high.wma";
    WmaWriter writer;
    EXPECT_LT(writer.begin(file, 96000, 2, 0, 2), 0);
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_LT(writer.write(nullptr, 0), 0);
}

TEST_F(WmaWriterTest, UnwritableFolderAnswersNegative)
{
    WmaWriter writer;
    EXPECT_LT(writer.begin(m_folder / "missing" / "a.wma", kWmaRate, 2, 0, 0), 0);
}

TEST_F(WmaWriterTest, ListsAndDefaults)
{
    ASSERT_EQ(WmaWriter::codecNames(), std::vector<std::string>{"Windows Media Audio 2"});
    EXPECT_EQ(WmaWriter::formatNames(0),
              (std::vector<std::string>{"192 kbps, stereo", "160 kbps, stereo", "128 kbps, stereo",
                                        "96 kbps, stereo", "64 kbps, stereo"}));
    EXPECT_EQ(WmaWriter::chooseCodec(-1), 0);
    EXPECT_EQ(WmaWriter::chooseCodec(7), 0);
    EXPECT_EQ(WmaWriter::chooseFormat(0, -1), 2);
    EXPECT_EQ(WmaWriter::chooseFormat(0, 4), 4);
    EXPECT_EQ(WmaWriter::bitRate(0, 0), 192000);
    EXPECT_EQ(WmaWriter::bitRate(0, 9), 128000);
}

} // namespace
} // namespace rz
