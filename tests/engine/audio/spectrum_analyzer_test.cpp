#include "engine/audio/spectrum_analyzer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <thread>
#include <vector>

namespace rz {
namespace {

constexpr size_t kBlock = SpectrumAnalyzer::kFftSize;

std::vector<float> constant(size_t n, float value)
{
    return std::vector<float>(n, value);
}

// A sine at the centre of FFT bin `bin`, amplitude `amplitude` on each channel.
std::vector<float> sineAtBin(size_t n, int bin, float amplitude)
{
    std::vector<float> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = amplitude * float(std::sin(2.0 * std::numbers::pi * bin * double(i) /
                                                double(kBlock)));
    return samples;
}

bool allSilent(const SpectrumAnalyzer& analyzer)
{
    for (int band = 0; band < SpectrumAnalyzer::kBands; ++band)
        if (analyzer.level(band) != 0)
            return false;
    return true;
}

TEST(SpectrumAnalyzer, HalfABlockChangesNoBandTheCompletingBlockDoes)
{
    SpectrumAnalyzer analyzer;
    const std::vector<float> loud = constant(kBlock / 2, 1.0f);
    analyzer.ComputeSpectrum(loud.data(), loud.data(), loud.size());
    EXPECT_TRUE(allSilent(analyzer));
    analyzer.ComputeSpectrum(loud.data(), loud.data(), loud.size());
    EXPECT_EQ(analyzer.level(0), SpectrumAnalyzer::kMaxLevel);
}

TEST(SpectrumAnalyzer, FullScaleDrivesTheLowBandsToTheTop)
{
    SpectrumAnalyzer analyzer;
    const std::vector<float> loud = constant(kBlock, 1.0f);
    analyzer.ComputeSpectrum(loud.data(), loud.data(), loud.size());
    EXPECT_EQ(analyzer.level(0), 200);
    EXPECT_EQ(analyzer.level(1), 200);
    for (int level : analyzer.levels()) {
        EXPECT_GE(level, 0);
        EXPECT_LE(level, 200);
    }
}

// A tone lands in its own band and leaves the far bands silent.
TEST(SpectrumAnalyzer, ATonesBinLightsItsBand)
{
    SpectrumAnalyzer analyzer;
    const std::vector<float> tone = sineAtBin(kBlock, 8, 0.01f);
    analyzer.ComputeSpectrum(tone.data(), tone.data(), tone.size());
    EXPECT_GT(analyzer.level(8), 0);
    EXPECT_EQ(analyzer.level(SpectrumAnalyzer::kBands - 1), 0);
    EXPECT_GT(analyzer.level(8), analyzer.level(4));
}

TEST(SpectrumAnalyzer, NonFiniteSamplesCountAsSilence)
{
    const float cases[] = {std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity()};
    for (float bad : cases) {
        SpectrumAnalyzer analyzer;
        const std::vector<float> samples = constant(kBlock, bad);
        const std::vector<float> silence = constant(kBlock, 0.0f);
        analyzer.ComputeSpectrum(samples.data(), silence.data(), kBlock);
        EXPECT_TRUE(allSilent(analyzer)) << bad;
    }
}

// Sizes that straddle the 512-sample boundary keep the blocks' count right.
TEST(SpectrumAnalyzer, OddBlockSizesCompleteEveryFiveHundredTwelveSamples)
{
    SpectrumAnalyzer analyzer;
    const std::vector<float> loud = constant(300, 1.0f);
    analyzer.ComputeSpectrum(loud.data(), loud.data(), 300);
    EXPECT_TRUE(allSilent(analyzer));
    analyzer.ComputeSpectrum(loud.data(), loud.data(), 211);
    EXPECT_TRUE(allSilent(analyzer));
    analyzer.ComputeSpectrum(loud.data(), loud.data(), 1);
    EXPECT_EQ(analyzer.level(0), 200);
    analyzer.ComputeSpectrum(nullptr, loud.data(), 300); // no buffer: nothing
    EXPECT_EQ(analyzer.level(0), 200);
}

TEST(SpectrumAnalyzer, AReaderSeesOnlyLevelsInRangeWhileTheAudioThreadComputes)
{
    // Reads that must overlap the computing; a busy machine may start the
    // reader late, so computing goes on until it has read this often.
    constexpr int kReads = 50;
    SpectrumAnalyzer analyzer;
    std::atomic<bool> done{false};
    std::atomic<int> badReads{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!done.load()) {
            for (int band = 0; band < SpectrumAnalyzer::kBands; ++band) {
                const int level = analyzer.level(band);
                if (level < 0 || level > SpectrumAnalyzer::kMaxLevel)
                    badReads.fetch_add(1);
            }
            reads.fetch_add(1);
        }
    });
    int readsWhileComputing = 0;
    int blocks = 0;
    std::thread audio([&] {
        const std::vector<float> loud = constant(256, 1.0f);
        const std::vector<float> tone = sineAtBin(256, 20, 0.5f);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (; blocks < 400 || reads.load() < kReads; ++blocks) {
            if (std::chrono::steady_clock::now() >= deadline)
                break;
            const std::vector<float>& block = blocks % 4 < 2 ? loud : tone;
            analyzer.ComputeSpectrum(block.data(), block.data(), block.size());
        }
        readsWhileComputing = reads.load();
    });
    audio.join();
    done.store(true);
    reader.join();
    EXPECT_EQ(badReads.load(), 0);
    EXPECT_GE(readsWhileComputing, kReads)
        << "the reader read only " << readsWhileComputing << " times in 20 s of computing ("
        << blocks << " blocks)";
}

} // namespace
} // namespace rz
