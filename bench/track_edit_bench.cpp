// The track list: a paint of a 250-track song into a 1600 x 900 image
// (goal: 16 ms, median), and a row-mode Copy of 64 tracks holding 250,000
// events (goal: 200 ms).
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"
#include "song/clipboard.h"
#include "tests/song/song_fixture.h"
#include "views/track/track_edit_copy.h"
#include "views/track/track_view.h"

#include <QApplication>
#include <QImage>

#include <memory>
#include <numeric>
#include <vector>

namespace rz {
namespace {

void BM_TrackViewPaint(benchmark::State& state)
{
    SongFixture fixture;
    // The conductor, 248 user tracks and the empty track: 250 rows.
    std::unique_ptr<CSongDoc> song = bench::makeDenseSong(fixture.context(), 248, 16, 480);
    TrackViewContext context;
    context.host = &fixture.host;
    TrackView view(context, false);
    view.resize(1600, 900);
    view.attach(*song);
    view.initialUpdate();
    for (int row = 1; row < 249; row += 2)
        view.SelectRow(row, false);
    timePaints(state, view);
    view.detach();
}
BENCHMARK(BM_TrackViewPaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_TrackCopy(benchmark::State& state)
{
    SongFixture fixture;
    constexpr int kTracks = 64;
    constexpr int kEventsPerTrack = 3907; // 250,048 notes in all
    std::unique_ptr<CSongDoc> song = bench::makeDenseSong(fixture.context(), kTracks, kEventsPerTrack, 120);
    std::vector<int> rows(kTracks);
    std::iota(rows.begin(), rows.end(), 1);
    for (auto _ : state) {
        const TrackCopy copied = copyTracks(*song, rows);
        benchmark::DoNotOptimize(copied);
    }
    state.counters["events"] = double(kTracks) * kEventsPerTrack;
}
BENCHMARK(BM_TrackCopy)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
