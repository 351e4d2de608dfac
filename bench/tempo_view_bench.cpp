// The tempo view over a 64-track, 250,000-event song with 10,000 tempo
// changes: a paint of a 1600 x 300 plot at the widest time zoom (goal:
// 16 ms), and a follow step with the measure copy a paint takes under the
// SongMutex while playing (goal: 2 ms, the engine's default tick).
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"
#include "core/locks.h"
#include "tests/song/song_fixture.h"
#include "views/graph/tempo_view.h"
#include "views/visible_measures.h"

#include <QApplication>
#include <QImage>

#include <memory>

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 3907; // 250,048 events in all
constexpr int32_t kStep = 120;
constexpr int kTempoChanges = 10000;
constexpr int kBars = 17; // the view's scroll bars, pixels

struct TempoBench {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
    TempoView view;

    explicit TempoBench(int timeZoom)
    {
        fixture.host.zoom = timeZoom;
        song = bench::makeDenseSong(fixture.context(), kTracks, kEventsPerTrack, kStep);
        song->tempoMap.resize(1);
        const int32_t spacing = std::max<int32_t>(song->endTick / kTempoChanges, 1);
        for (int k = 1; k < kTempoChanges; ++k) {
            TempoEntry entry;
            entry.tick = k * spacing;
            entry.tempo = 300000 + uint32_t(k % 50) * 10000;
            song->tempoMap.push_back(entry);
        }
        song->RecalcTempoTimes();
        view.resize(1600 + 24 + kBars, 300 + kBars);
        view.attach(*song);
        view.initialUpdate();
    }
    ~TempoBench() { view.detach(); }
};

void BM_TempoViewPaint(benchmark::State& state)
{
    TempoBench bench(0);
    timePaints(state, bench.view);
    state.counters["points"] = double(bench.view.graph().points().size());
}
BENCHMARK(BM_TempoViewPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TempoViewFollowLocked(benchmark::State& state)
{
    TempoBench bench(5);
    bench.fixture.engine.state = TransportState::Playing;
    timeLockedFollows(state, *bench.song, bench.view);
}
BENCHMARK(BM_TempoViewFollowLocked)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
