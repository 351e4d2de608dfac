// The clock-time view over a 64-track, 250,000-event song with a waveform
// track of 64 computed clips: a paint of a 1600 x 900 view at the coarsest
// zoom (goal: 16 ms, median), a follow step while playing under the
// SongMutex (goal: 2 ms, the engine's default tick), and finding and laying
// out the visible items of 64 tracks of 20,000 separate blocks each at the
// default zoom.
#include <benchmark/benchmark.h>

#include "bench/computed_clips.h"
#include "bench/dense_song.h"
#include "bench/view_bench_loops.h"
#include "song/lane_items.h"
#include "tests/song/song_fixture.h"
#include "tests/support/fake_clip_loader.h"
#include "views/clip/clock_view.h"

#include <memory>

namespace rz {
namespace {

using bench::kLaneClips;
using bench::kLaneEventsPerTrack;
using bench::kLaneStep;
using bench::kLaneTracks;
constexpr int kItemsPerTrack = 20000;
constexpr int32_t kBlockStep = 5 * 480; // more than the four-quarter gap that splits blocks

struct TimeBench {
    SongFixture fixture;
    FakeClipLoader loader;
    std::unique_ptr<CSongDoc> song;
    std::unique_ptr<TimeView> view;

    TimeBench(int zoom, int eventsPerTrack, int32_t step, QSize size)
    {
        fixture.profile.writeInt("DisplayOptions", "XZoomTime", zoom);
        SongContext context = fixture.context();
        context.clipLoader = &loader;
        song = bench::makeDenseSong(context, kLaneTracks, eventsPerTrack, step);
        bench::addComputedClips(*song, kLaneClips);
        TimeViewContext viewContext;
        viewContext.profile = &fixture.profile;
        view = std::make_unique<TimeView>(viewContext);
        view->resize(size);
        view->attach(*song);
        view->initialUpdate();
    }
    ~TimeBench() { view->detach(); }
};

void BM_TimeViewPaint(benchmark::State& state)
{
    TimeBench bench(0, kLaneEventsPerTrack, kLaneStep, QSize(1600, 900));
    // The waveform track's lane in view.
    bench.view->ScrollToRow(int(bench.song->tracks.size()) - 12);
    timePaints(state, *bench.view);
}
BENCHMARK(BM_TimeViewPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TimeViewFollowLocked(benchmark::State& state)
{
    TimeBench bench(ClockAxis::kDefaultZoom, kLaneEventsPerTrack, kLaneStep, QSize(1600, 900));
    bench.fixture.engine.state = TransportState::Playing;
    timeLockedFollows(state, *bench.song, *bench.view);
}
BENCHMARK(BM_TimeViewFollowLocked)->Unit(benchmark::kMicrosecond);

// Every lane's items in a plot's width, from a bisection at its left edge,
// at origins across the song.
void BM_TimeViewItems(benchmark::State& state)
{
    TimeBench bench(ClockAxis::kDefaultZoom, kItemsPerTrack, kBlockStep, QSize(1600, 900));
    const int64_t width = bench.view->contentWidth();
    int64_t origin = 0;
    size_t laidOut = 0;
    for (auto _ : state) {
        origin = (origin + 7919 * 100) % std::max<int64_t>(width, 1);
        bench.view->setScrollOrigin(origin, false);
        ClipGeometry g = bench.view->geometryNow();
        const int32_t from = g.tickOfX(g.plot.left());
        for (size_t t = 1; t + 1 < bench.song->tracks.size(); ++t) {
            const CTrack& track = *bench.song->tracks[t];
            for (size_t i = ClipGeometry::firstItemFrom(track, from); i < track.items.size(); ++i) {
                const CTrackItem& item = track.items[i];
                const QRect r = g.TickRowToRect(item.start, item.start + item.length, int(t));
                if (r.left() > g.plot.right())
                    break;
                benchmark::DoNotOptimize(r);
                ++laidOut;
            }
        }
    }
    state.counters["items"] = benchmark::Counter(double(laidOut), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TimeViewItems)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
