// Mixing 32 stereo clips into one 256-frame block, as the render does at
// each period (goal: 20 µs, no allocation; an allocation fails the run).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/noise_clips.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "tests/support/alloc_counter/alloc_counter.h"

namespace rz {
namespace {

constexpr int kClips = 32;
constexpr uint32_t kFrames = 256;

void BM_MixClipsIntoBlock(benchmark::State& state)
{
    std::vector<CAudioClip> clips = makeNoiseClips(kClips);
    std::vector<float> left(kFrames), right(kFrames);
    const ChannelBuffers buffers{left.data(), right.data()};
    int64_t position = 1000; // a run crosses a pass boundary now and then
    AllocationCount counted;
    for (auto _ : state) {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        for (int c = 0; c < kClips; ++c) {
            clips[size_t(c)].position = position + c * 997;
            Mix(clips[size_t(c)], buffers, kFrames, 0.7f, 0.6f);
        }
        position = (position + kFrames) % (4 * 441000);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    if (counted.value() != 0)
        state.SkipWithError("the mix allocated");
}
BENCHMARK(BM_MixClipsIntoBlock)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
