// The slider view with 64 faders, one per track on four ports: a paint of
// the whole view with its faders (goal: 16 ms), and the follow step that
// moves every fader to what its port last sent, under the SongMutex as the
// refresh pass holds it (goal: 2 ms, the engine's default tick).
#include <benchmark/benchmark.h>

#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_midi_out.h"

#include "bench/view_bench_loops.h"

#include "core/locks.h"
#include "ui/cool_slider.h"
#include "views/slider/slider_view.h"

#include <array>
#include <memory>

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kPorts = 4;
constexpr int kExpression = 11;

struct SliderBench {
    SongFixture fixture;
    std::array<FakeMidiOut, kPorts> ports;
    std::unique_ptr<CSongDoc> song;
    SliderView view{SliderViewContext{}};

    SliderBench()
    {
        song = fixture.newSong();
        for (int t = 0; t < kTracks; ++t) {
            CTrack& track = test::addUserTrack(*song);
            track.channel = t % 16;
            track.port = t / 16;
            track.outputPort = &ports[size_t(t / 16)];
            fixture.trackRows.selected.insert(t + 1);
        }
        setValues(0);
        view.resize(SliderView::kFaderLeft + SliderView::kFaderPitch * kTracks + 10, 157);
        view.attach(*song);
        view.initialUpdate();
    }
    ~SliderBench() { view.detach(); }

    // Every channel's expression moves, so every fader follows.
    void setValues(int offset)
    {
        for (int p = 0; p < kPorts; ++p)
            for (int channel = 0; channel < 16; ++channel)
                ports[size_t(p)].channels[size_t(channel)].controllers[kExpression] = (offset + 16 * p + channel) % 128;
    }
};

void BM_SliderViewPaint(benchmark::State& state)
{
    SliderBench bench;
    timePaints(state, bench.view);
}
BENCHMARK(BM_SliderViewPaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SliderViewFollowLocked(benchmark::State& state)
{
    SliderBench bench;
    int offset = 0;
    for (auto _ : state) {
        bench.setValues(++offset);
        LockGuard guard(SongMutex(), "bench follow");
        bench.view.follow();
        benchmark::DoNotOptimize(bench.view.fader(0)->pos());
    }
}
BENCHMARK(BM_SliderViewFollowLocked)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
