// The event list over a 64-track, 250,000-note song with every track shown:
// a rebuild of its rows (goal: 100 ms), a paint of 60 visible rows (goal:
// 16 ms, median) and a follow step under the SongMutex while playing (goal:
// 2 ms, the engine's default tick).
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"
#include "core/locks.h"
#include "tests/song/song_fixture.h"
#include "views/events/event_rows.h"
#include "views/events/event_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>

#include <memory>

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 3907; // 250,048 notes in all
constexpr int32_t kStep = 120;
constexpr int kVisibleRows = 60;

struct EventListBench {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;

    EventListBench()
    {
        song = bench::makeDenseSong(fixture.context(), kTracks, kEventsPerTrack, kStep);
        for (int t = 1; t <= kTracks; ++t)
            fixture.trackRows.selected.insert(t);
    }
};

void BM_EventListRebuild(benchmark::State& state)
{
    EventListBench bench;
    EventRows rows;
    for (auto _ : state) {
        rows.rebuild(*bench.song, {});
        benchmark::DoNotOptimize(rows.keys().data());
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_EventListRebuild)->Unit(benchmark::kMillisecond);

void BM_EventListPaint(benchmark::State& state)
{
    EventListBench bench;
    EventView view;
    view.attach(*bench.song);
    view.initialUpdate();
    const int rowHeight = view.table().verticalHeader()->defaultSectionSize();
    view.resize(700, kVisibleRows * rowHeight + view.table().horizontalHeader()->sizeHint().height() + 4);
    timePaints(state, view);
    state.counters["visible"] = double(view.table().rowAt(view.table().viewport()->height() - 1)
                                       - view.table().rowAt(0) + 1);
    view.detach();
}
BENCHMARK(BM_EventListPaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_EventListFollowLocked(benchmark::State& state)
{
    EventListBench bench;
    EventView view;
    view.resize(700, 900);
    view.attach(*bench.song);
    view.initialUpdate();
    bench.fixture.engine.state = TransportState::Playing;
    const int32_t end = bench.song->endTick;
    int32_t tick = 0;
    for (auto _ : state) {
        tick = (tick + 97) % end;
        bench.song->setPosition(tick);
        LockGuard guard(SongMutex(), "bench follow");
        view.follow();
        benchmark::DoNotOptimize(view.playRow());
    }
    view.detach();
}
BENCHMARK(BM_EventListFollowLocked)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
