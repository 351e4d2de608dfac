// The clip view over a 64-track, 250,000-event song with a waveform track of
// 64 clips whose pictures are computed: a paint of a 1600 x 900 view at the
// widest time zoom (goal: 16 ms), a follow step with the measure copy a paint
// takes under the SongMutex while playing (goal: 2 ms, the engine's default
// tick), and the peaks of one 10-s block of 48 kHz stereo.
#include <benchmark/benchmark.h>

#include "bench/computed_clips.h"
#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"
#include "core/locks.h"
#include "song/peak_buffer.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_clip_loader.h"
#include "views/clip/clip_view.h"
#include "views/visible_measures.h"

#include <QApplication>
#include <QImage>

#include <cmath>
#include <memory>
#include <vector>

namespace rz {
namespace {

using bench::kLaneClips;
using bench::kLaneEventsPerTrack;
using bench::kLaneStep;
using bench::kLaneTracks;

struct ClipBench {
    SongFixture fixture;
    FakeClipLoader loader;
    std::unique_ptr<CSongDoc> song;
    std::unique_ptr<ClipView> view;

    explicit ClipBench(int timeZoom)
    {
        fixture.host.zoom = timeZoom;
        SongContext context = fixture.context();
        context.clipLoader = &loader;
        song = bench::makeDenseSong(context, kLaneTracks, kLaneEventsPerTrack, kLaneStep);
        bench::addComputedClips(*song, kLaneClips);
        view = std::make_unique<ClipView>(ClipViewContext{});
        view->resize(1600, 900);
        view->attach(*song);
        view->initialUpdate();
        // The waveform track's lane in view.
        view->ScrollToRow(int(song->tracks.size()) - 12);
    }
    ~ClipBench() { view->detach(); }
};

void BM_ClipViewPaint(benchmark::State& state)
{
    ClipBench bench(0);
    timePaints(state, *bench.view);
}
BENCHMARK(BM_ClipViewPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ClipViewFollowLocked(benchmark::State& state)
{
    ClipBench bench(5);
    bench.fixture.engine.state = TransportState::Playing;
    timeLockedFollows(state, *bench.song, *bench.view);
}
BENCHMARK(BM_ClipViewFollowLocked)->Unit(benchmark::kMicrosecond);

void BM_OverviewPeaks(benchmark::State& state)
{
    constexpr size_t kFramesPerEntry = 480;
    const size_t frames = PeakBuffer::kEntriesPerBlock * kFramesPerEntry;
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    for (size_t i = 0; i < frames; ++i) {
        left[i] = float(std::sin(double(i) * 0.01));
        right[i] = float(std::cos(double(i) * 0.013));
    }
    std::vector<uint16_t> out(PeakBuffer::kEntriesPerBlock);
    for (auto _ : state) {
        ComputePeaks(left.data(), right.data(), kFramesPerEntry, out.size(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_OverviewPeaks)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
