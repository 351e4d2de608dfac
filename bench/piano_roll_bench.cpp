// The piano roll over a 64-track, 250,000-note song with every track shown:
// a paint of a 1600 x 900 view at the widest time zoom (goal: 16 ms), a
// follow step with the measure copy a paint takes under the SongMutex while
// playing (goal: 2 ms, the engine's default tick), and the visible-notes
// look-up of a 200,000-note track at three zooms.
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"
#include "core/locks.h"
#include "tests/song/song_fixture.h"
#include "views/piano/piano_layout.h"
#include "views/piano/piano_roll_view.h"
#include "views/visible_measures.h"

#include <QApplication>
#include <QImage>

#include <memory>

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 3907; // 250,048 notes in all
constexpr int32_t kStep = 120;

struct PianoBench {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
    PianoRollView view;

    explicit PianoBench(int timeZoom)
    {
        fixture.host.zoom = timeZoom;
        song = bench::makeDenseSong(fixture.context(), kTracks, kEventsPerTrack, kStep);
        for (int t = 1; t <= kTracks; ++t)
            fixture.trackRows.selected.insert(t);
        view.resize(1600, 900);
        view.attach(*song);
        view.initialUpdate();
    }
    ~PianoBench() { view.detach(); }
};

void BM_PianoRollPaint(benchmark::State& state)
{
    PianoBench bench(0);
    timePaints(state, bench.view);
    state.counters["shown"] = double(bench.view.shownTracks().size());
}
BENCHMARK(BM_PianoRollPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PianoRollFollowLocked(benchmark::State& state)
{
    PianoBench bench(5);
    bench.fixture.engine.state = TransportState::Playing;
    timeLockedFollows(state, *bench.song, bench.view);
}
BENCHMARK(BM_PianoRollFollowLocked)->Unit(benchmark::kMicrosecond);

// One track of 200,000 notes; the window of a 1600-column view at time
// zoom 0, 4 and 8, stepped across the song.
void BM_PianoVisibleNotes(benchmark::State& state)
{
    SongFixture fixture;
    const std::unique_ptr<CSongDoc> song = bench::makeDenseSong(fixture.context(), 1, 200000, kStep);
    const CTrack& track = *song->tracks[1];
    const int32_t span = 1600 * TimeAxis::gridTicksFor(song->timeBase, int(state.range(0)));
    std::vector<size_t> visible;
    int32_t from = 0;
    size_t listed = 0;
    for (auto _ : state) {
        from = (from + span / 3 + 1) % std::max(song->endTick - span, 1);
        PianoLayout::visibleNotes(*song, track, from, from + span, visible);
        listed = visible.size();
        benchmark::DoNotOptimize(visible.data());
    }
    state.counters["listed"] = double(listed);
}
BENCHMARK(BM_PianoVisibleNotes)->Arg(0)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
