// One audio block as the devices render it: 256 frames, 32 clips playing
// and 4 instruments (goal: 100 µs). An allocation in the loop fails it.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench/noise_clips.h"
#include "core/locks.h"
#include "core/profile.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/audio_clip_samples.h"
#include "engine/gui_posts.h"
#include "engine/sequencer.h"
#include "song/track.h"
#include "tests/support/alloc_counter/alloc_counter.h"
#include "tests/support/fake_sequencer_services.h"
#include "tests/support/manual_engine_timer.h"
#include "tests/support/recording_engine_host.h"
#include "tests/support/scripted_prompt.h"

namespace rz {
namespace {

constexpr int kClips = 32;
constexpr int kInstruments = 4;
constexpr uint32_t kFrames = 256;

class NoGui : public IGuiThreadQueue {
public:
    void postToGui(std::function<void()>) override {}
};

struct BenchEngine {
    MemoryProfile profile;
    ScriptedPrompt prompt;
    NoGui gui;
    RecordingEngineHost host;
    EngineToGui posts{gui, std::thread::id(), host, host, host};
    FakeMidiDevices devices;
    FakeInstrumentLoader instruments;
    ManualEngineTimer timer;
    NoAudioEngines audio;
    std::unique_ptr<CSequencer> engine;
    std::vector<CAudioClip> clips = makeNoiseClips(kClips);
    std::vector<CTrack> tracks = std::vector<CTrack>(kClips);

    BenchEngine()
    {
        for (int i = 0; i < kInstruments; ++i)
            profile.writeString("VST\\" + std::to_string(i), "path", "/opt/vst/pad.so");
        instruments.level = 0.01f;
        engine = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                .prompt = prompt,
                                                                .gui = gui,
                                                                .toGui = posts,
                                                                .devices = devices,
                                                                .instruments = instruments,
                                                                .timer = timer,
                                                                .audio = audio});
        engine->Init();
        engine->setTransportState(TransportState::Playing);
        LockGuard guard(AudioMutex(), "bench");
        for (int c = 0; c < kClips; ++c) {
            clips[size_t(c)].position = c * 997;
            tracks[size_t(c)].leftGain = 0.7f;
            tracks[size_t(c)].rightGain = 0.6f;
            engine->appendClipToPlayLists(clips[size_t(c)], tracks[size_t(c)]);
        }
    }
    ~BenchEngine()
    {
        engine->setTransportState(TransportState::Stopped);
        engine->Shutdown();
    }
};

void BM_RenderBlock(benchmark::State& state)
{
    BenchEngine bench;
    std::vector<float> left(kFrames), right(kFrames);
    const uint64_t skipped = bench.engine->skippedAudioBlocks();
    AllocationCount counted;
    for (auto _ : state) {
        bench.engine->renderAudio(left.data(), right.data(), kFrames, 0);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    const uint64_t allocations = counted.value();
    state.counters["allocations"] = double(allocations);
    if (allocations != 0)
        state.SkipWithError("the render allocated");
    if (bench.engine->skippedAudioBlocks() != skipped)
        state.SkipWithError("a block was skipped");
}
BENCHMARK(BM_RenderBlock)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
