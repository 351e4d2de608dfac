// Mixing 32 stereo clips into one 256-frame block, as the render does at
// each period (goal: 20 µs, no allocation; an allocation fails the run).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "engine/audio_clip_mix.h"
#include "engine/audio_clip_samples.h"

namespace {

std::atomic<uint64_t> g_allocations{0};

} // namespace

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

// Not inlined: the compiler would pair the free with a new-expression and
// warn about a mismatch that is not one.
[[gnu::noinline]] void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    operator delete(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace rz {
namespace {

constexpr int kClips = 32;
constexpr uint32_t kFrames = 256;

// Ten seconds of stereo noise-like samples per clip, looped four times.
std::vector<CAudioClip> makeClips()
{
    std::vector<CAudioClip> clips(kClips);
    uint32_t seed = 1;
    for (CAudioClip& clip : clips) {
        auto samples = std::make_shared<AudioClipSamples>();
        samples->samples.resize(2 * 441000);
        for (int16_t& value : samples->samples) {
            seed = seed * 1664525 + 1013904223;
            value = int16_t(seed >> 16);
        }
        clip.number = 4;
        clip.samples = std::move(samples);
        clip.loaded = true;
    }
    return clips;
}

void BM_MixClipsIntoBlock(benchmark::State& state)
{
    std::vector<CAudioClip> clips = makeClips();
    std::vector<float> left(kFrames), right(kFrames);
    const ChannelBuffers buffers{left.data(), right.data()};
    int64_t position = 1000; // a run crosses a pass boundary now and then
    const uint64_t allocationsBefore = g_allocations.load();
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
    if (g_allocations.load() != allocationsBefore)
        state.SkipWithError("the mix allocated");
}
BENCHMARK(BM_MixClipsIntoBlock)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
