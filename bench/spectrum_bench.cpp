// ComputeSpectrum on 512-sample stereo blocks, the audio thread's share of
// the spectrum display: one windowed buffer fill and one 512-point FFT per
// block.
#include <benchmark/benchmark.h>

#include "engine/audio/spectrum_analyzer.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace rz {
namespace {

void ComputeSpectrumBlock(benchmark::State& state)
{
    const size_t frames = size_t(state.range(0));
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    for (size_t i = 0; i < frames; ++i) {
        left[i] = 0.5f * float(std::sin(2.0 * std::numbers::pi * 440.0 * double(i) / 44100.0));
        right[i] = 0.25f * float(std::sin(2.0 * std::numbers::pi * 90.0 * double(i) / 44100.0));
    }
    SpectrumAnalyzer analyzer;
    for (auto _ : state) {
        analyzer.ComputeSpectrum(left.data(), right.data(), frames);
        benchmark::DoNotOptimize(analyzer.level(0));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(frames));
}
BENCHMARK(ComputeSpectrumBlock)->Arg(512)->Arg(256)->Arg(2205);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
