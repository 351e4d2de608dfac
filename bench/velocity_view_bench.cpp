// The velocity view over a 64-track, 250,000-note song with every track
// shown: a paint of a 1600 x 900 view at the widest time zoom (goal:
// 16 ms), a follow step with the measure copy a paint takes under the
// SongMutex while playing (goal: 2 ms, the engine's default tick), and the
// band's selection recomputed over 100,000 notes, as each mouse move of a
// band does.
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"
#include "core/locks.h"
#include "tests/song/song_fixture.h"
#include "views/rubber_band.h"
#include "views/piano/velocity_edits.h"
#include "views/piano/velocity_view.h"
#include "views/visible_measures.h"

#include <QApplication>
#include <QImage>

#include <memory>

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 3907; // 250,048 notes in all
constexpr int32_t kStep = 120;

struct VelocityBench {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
    VelocityView view;

    explicit VelocityBench(int timeZoom)
    {
        fixture.host.zoom = timeZoom;
        song = bench::makeDenseSong(fixture.context(), kTracks, kEventsPerTrack, kStep);
        for (int t = 1; t <= kTracks; ++t)
            fixture.trackRows.selected.insert(t);
        view.resize(1600, 900);
        view.attach(*song);
        view.initialUpdate();
    }
    ~VelocityBench() { view.detach(); }
};

void BM_VelocityViewPaint(benchmark::State& state)
{
    VelocityBench bench(0);
    timePaints(state, bench.view);
    state.counters["shown"] = double(bench.view.shownTracks().size());
    state.counters["gridTicks"] = double(bench.view.axis().gridTicks);
}
BENCHMARK(BM_VelocityViewPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_VelocityViewFollowLocked(benchmark::State& state)
{
    VelocityBench bench(5);
    bench.fixture.engine.state = TransportState::Playing;
    timeLockedFollows(state, *bench.song, bench.view);
}
BENCHMARK(BM_VelocityViewFollowLocked)->Unit(benchmark::kMicrosecond);

// One track of 100,000 notes at a column a tick; the band grows and
// shrinks over a few hundred heads.
void BM_VelocityBand(benchmark::State& state)
{
    SongFixture fixture;
    fixture.host.tools.snap = false;
    const std::unique_ptr<CSongDoc> song = bench::makeDenseSong(fixture.context(), 1, 100000, kStep);
    RubberBand band;
    VelocityEdits edits(*song, band);
    edits.setShownTracks({1});
    VelocityGeometry g;
    g.axis = TimeAxis{.gridTicks = 1, .plotLeft = 24, .origin = 0};
    g.layout.rows = PianoLayout{.rowHeight = 10, .firstRow = 0, .noteTop = 40};
    g.rulerHeight = 20;
    g.plot = QRect(24, 40, 1560, 880);
    g.clientWidth = 1601;
    const QPoint from(30, 45);
    edits.press(g, VelocityPointer{.at = from});
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 64;
        edits.move(g, VelocityPointer{.at = QPoint(from.x() + 200 + step * 20, 900 - step * 5)});
        benchmark::DoNotOptimize(song->tracks[1]->events.data());
    }
    edits.cancel();
}
BENCHMARK(BM_VelocityBand)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
