#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

#include "audio_source_writer.h"
#include "engine/audio/wave_file.h"
#include "engine/audio/wave_grabber.h"
#include "tests/support/temp_folder.h"

namespace rz {
namespace {

constexpr uint32_t kEngineRate = 44100;

class ImportDir : public TempFolder {
public:
    ImportDir() : TempFolder("rz_import_") {}
};

// Power of the left channel at `frequency` (Goertzel).
double powerAt(const AudioClipSamples& clip, double frequency)
{
    const double k = 2 * std::cos(2 * std::numbers::pi * frequency / clip.format.sampleRate);
    double s1 = 0, s2 = 0;
    for (size_t i = 0; i < clip.samples.size(); i += 2) {
        const double s0 = clip.samples[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

struct Conversion {
    int32_t built = 0;
    int stepsEnded = 0;
    bool progressRose = true;
    double lastProgress = 0;
    std::string endReason;
};

Conversion convert(CWaveGrabber& grabber)
{
    Conversion result;
    result.built = grabber.BuildGraph();
    if (result.built != 0)
        return result;
    for (int steps = 0; steps < 10000; ++steps) {
        double progress = -1;
        const int running = grabber.Step(&progress);
        if (running == 1) {
            result.progressRose &= progress >= result.lastProgress && progress <= 1.0;
            result.lastProgress = progress;
            continue;
        }
        ++result.stepsEnded;
        break;
    }
    result.endReason = grabber.endReason();
    grabber.Release();
    return result;
}

struct SourceCase {
    const char* name;
    const char* file;
    const char* format;
    const char* encoder;
    int rate;
};

class AudioImportSources : public ::testing::TestWithParam<SourceCase> {};

TEST_P(AudioImportSources, BecomeEngineWaveWithTheTone)
{
    const SourceCase& c = GetParam();
    ImportDir dir;
    const auto source = dir.file(c.file);
    ASSERT_EQ(test::writeToneFile(source, c.format, c.encoder, c.rate, 1.0, 440.0), "");
    EXPECT_TRUE(NeedsConversion(source, kEngineRate));

    CWaveGrabber grabber(source, dir.file("target.wav"));
    const Conversion result = convert(grabber);
    ASSERT_EQ(result.built, 0) << WaveConvertorMessage(result.built);
    EXPECT_EQ(result.stepsEnded, 1);
    EXPECT_TRUE(result.progressRose);
    EXPECT_EQ(result.endReason, "");
    EXPECT_NEAR(grabber.durationMs(), 1000, 100); // some containers estimate it

    std::string reason;
    const auto clip = ReadWaveFile(dir.file("target.wav"), kEngineRate, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_EQ(clip->format.channels, 2);
    EXPECT_EQ(clip->format.sampleRate, kEngineRate);
    EXPECT_NEAR(double(clip->frameCount()), 44100.0, 441.0);
    const double tone = powerAt(*clip, 440);
    for (double other : {220.0, 330.0, 660.0, 1000.0})
        EXPECT_GT(tone, 100 * powerAt(*clip, other)) << other << " Hz";
    EXPECT_FALSE(NeedsConversion(dir.file("target.wav"), kEngineRate));
}

INSTANTIATE_TEST_SUITE_P(, AudioImportSources,
                         ::testing::Values(SourceCase{"Aiff", "tone.aiff", "aiff", "pcm_s16be", 22050},
                                           SourceCase{"Mp3", "tone.mp3", "mp3", "libmp3lame", 22050},
                                           SourceCase{"Wma", "tone.wma", "asf", "wmav2", 16000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AudioImport, ProgressRisesToAboutOneAndStepEndsOnce)
{
    ImportDir dir;
    const auto source = dir.file("long.mp3");
    ASSERT_EQ(test::writeToneFile(source, "mp3", "libmp3lame", 22050, 20.0, 440.0), "");
    CWaveGrabber grabber(source, dir.file("target.wav"));
    ASSERT_EQ(grabber.BuildGraph(), 0);
    std::vector<double> seen;
    int ended = 0;
    double progress = 0;
    while (ended == 0 && seen.size() < 100000) {
        if (grabber.Step(&progress) == 0)
            ++ended;
        else
            seen.push_back(progress);
    }
    grabber.Release();
    EXPECT_EQ(ended, 1);
    ASSERT_FALSE(seen.empty());
    for (size_t i = 1; i < seen.size(); ++i)
        ASSERT_GE(seen[i], seen[i - 1]);
    EXPECT_GT(seen.back(), 0.9);
    EXPECT_LE(seen.back(), 1.0);
}

TEST(AudioImport, UnreadableSourcesGiveTheMessageAndNoTarget)
{
    ImportDir dir;
    std::ofstream(dir.file("notes.txt")) << "These are the lyrics of a song,\nnot a sound.\n";
    for (const char* name : {"missing.mp3", "notes.txt"}) {
        SCOPED_TRACE(name);
        CWaveGrabber grabber(dir.file(name), dir.file("target.wav"));
        const int32_t code = grabber.BuildGraph();
        EXPECT_LT(code, 0);
        const std::string message = WaveConvertorMessage(code);
        EXPECT_EQ(message.rfind("Failed to setup the WaveConvertor: ", 0), 0u) << message;
        EXPECT_EQ(message.size(), std::string("Failed to setup the WaveConvertor: ").size() + 8);
        double progress = 0;
        EXPECT_EQ(grabber.Step(&progress), 0);
        grabber.Release();
        EXPECT_FALSE(std::filesystem::exists(dir.file("target.wav")));
    }
    EXPECT_EQ(WaveConvertorMessage(-2), "Failed to setup the WaveConvertor: fffffffe");
}

TEST(AudioImport, TruncatedMp3ConvertsWhatItHolds)
{
    ImportDir dir;
    const auto whole = dir.file("whole.mp3");
    ASSERT_EQ(test::writeToneFile(whole, "mp3", "libmp3lame", 22050, 1.0, 440.0), "");
    const auto size = std::filesystem::file_size(whole);
    std::filesystem::copy_file(whole, dir.file("half.mp3"));
    std::filesystem::resize_file(dir.file("half.mp3"), size / 2 + 7);

    CWaveGrabber grabber(dir.file("half.mp3"), dir.file("target.wav"));
    const Conversion result = convert(grabber);
    ASSERT_EQ(result.built, 0);
    std::string reason;
    const auto clip = ReadWaveFile(dir.file("target.wav"), kEngineRate, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_GT(clip->frameCount(), 44100 * 3 / 10);
    EXPECT_LT(clip->frameCount(), 44100 * 7 / 10);
}

TEST(AudioImport, LongSourceEndsAtTheSizeLimitWithItsReason)
{
    ImportDir dir;
    const auto source = dir.file("tone.aiff");
    ASSERT_EQ(test::writeToneFile(source, "aiff", "pcm_s16be", 22050, 1.0, 440.0), "");
    constexpr uint64_t kLimit = 10000 * 4 + 2; // not a whole frame: the limit rounds down
    CWaveGrabber grabber(source, dir.file("target.wav"), kEngineRate, kLimit);
    const Conversion result = convert(grabber);
    ASSERT_EQ(result.built, 0);
    EXPECT_NE(result.endReason.find("longer than a wave file can hold"), std::string::npos)
        << result.endReason;
    std::string reason;
    const auto clip = ReadWaveFile(dir.file("target.wav"), kEngineRate, reason);
    ASSERT_NE(clip, nullptr) << reason;
    EXPECT_EQ(clip->frameCount(), 10000);
    EXPECT_EQ(std::filesystem::file_size(dir.file("target.wav")), 44u + 40000u);
}

TEST(AudioImport, EngineWaveNeedsNoConversion)
{
    ImportDir dir;
    struct Case {
        const char* name;
        uint32_t rate;
        uint16_t channels;
        bool needs;
    } cases[] = {{"engine.wav", 44100, 2, false}, {"slow.wav", 22050, 2, true}, {"mono.wav", 44100, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveFormat format;
        format.channels = c.channels;
        format.sampleRate = c.rate;
        format.blockAlign = uint16_t(2 * c.channels);
        format.bytesPerSecond = c.rate * format.blockAlign;
        CWaveWriter writer;
        std::string reason;
        ASSERT_TRUE(writer.Create(dir.file(c.name), format, reason)) << reason;
        const std::vector<uint8_t> silence(400);
        ASSERT_TRUE(writer.Write(silence, reason)) << reason;
        ASSERT_TRUE(writer.Close(reason)) << reason;
        EXPECT_EQ(NeedsConversion(dir.file(c.name), kEngineRate), c.needs);
    }
    EXPECT_TRUE(NeedsConversion(dir.file("absent.wav"), kEngineRate));
}

} // namespace
} // namespace rz
