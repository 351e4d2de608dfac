// The controller view over a 64-track song of 250,000 CC11 events, every
// track shown: a paint of a 1600 x 300 plot at the widest time zoom (goal:
// 16 ms), a follow step with the measure copy a paint takes under the
// SongMutex while playing (goal: 2 ms, the engine's default tick), and the
// curve a full update builds from 100,000 events over 8 tracks.
#include <benchmark/benchmark.h>

#include "bench/view_bench_loops.h"

#include "core/locks.h"
#include "core/midi_bytes.h"
#include "song/play_images.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "views/graph/control_view.h"
#include "views/visible_measures.h"

#include <QApplication>
#include <QImage>

#include <memory>

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 3907; // 250,048 events in all
constexpr int32_t kStep = 120;
constexpr int kBars = 17; // the view's scroll bars, pixels

// Tracks that agree on an expression value that jumps at every event, so
// neither merging nor ramp compaction thins the curve.
std::unique_ptr<CSongDoc> makeExpressionSong(SongFixture& fixture, int tracks, int eventsPerTrack)
{
    auto song = std::make_unique<CSongDoc>(fixture.context());
    song->InitNewSong();
    song->timeBase = 480;
    song->measureMap.front().Set(0, 1920);
    for (int t = 0; t < tracks; ++t) {
        CTrack& track = test::addUserTrack(*song);
        track.channel = t % 16;
        track.events.reserve(size_t(eventsPerTrack));
        for (int e = 0; e < eventsPerTrack; ++e) {
            const int value = (e * 37) % 128;
            track.events.push_back(test::controller(e * kStep, cc::kExpression, uint8_t(value), uint8_t(t % 16)));
        }
        fixture.trackRows.selected.insert(t + 1);
    }
    RebuildPlayImages(*song, false);
    song->UpdateSongEnd();
    song->ExtendMeasureMap();
    song->RecomputeMeasureStarts();
    return song;
}

struct ControlBench {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song;
    ControlView view;

    ControlBench(int tracks, int eventsPerTrack, int timeZoom)
    {
        fixture.host.zoom = timeZoom;
        song = makeExpressionSong(fixture, tracks, eventsPerTrack);
        view.setControllerChoice(midi::kControlChange, cc::kExpression);
        view.resize(1600 + ControlView::kScaleWidth + kBars, 300 + kBars);
        view.attach(*song);
        view.initialUpdate();
    }
    ~ControlBench() { view.detach(); }
};

void BM_ControlViewPaint(benchmark::State& state)
{
    ControlBench bench(kTracks, kEventsPerTrack, 0);
    timePaints(state, bench.view);
    state.counters["points"] = double(bench.view.curve().points().size());
}
BENCHMARK(BM_ControlViewPaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ControlViewFollowLocked(benchmark::State& state)
{
    ControlBench bench(kTracks, kEventsPerTrack, 5);
    bench.fixture.engine.state = TransportState::Playing;
    timeLockedFollows(state, *bench.song, bench.view);
}
BENCHMARK(BM_ControlViewFollowLocked)->Unit(benchmark::kMicrosecond);

void BM_ControlCurveBuild(benchmark::State& state)
{
    constexpr int kBuildTracks = 8;
    SongFixture fixture;
    const auto song = makeExpressionSong(fixture, kBuildTracks, 100000 / kBuildTracks);
    std::vector<int> tracks;
    for (int t = 1; t <= kBuildTracks; ++t)
        tracks.push_back(t);
    const ControlScale scale{.axis = TimeAxis{.gridTicks = 15, .plotLeft = 36, .origin = 0},
                             .plot = QRect(36, 0, 1600, 300)};
    ControlCurve curve;
    for (auto _ : state) {
        curve.rebuild(*song, tracks, ControlKind{midi::kControlChange, cc::kExpression}, scale);
        benchmark::DoNotOptimize(curve.points().data());
    }
    state.counters["points"] = double(curve.points().size());
}
BENCHMARK(BM_ControlCurveBuild)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

RZ_VIEW_BENCHMARK_MAIN()
