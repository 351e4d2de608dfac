// The editing views' follow decision (with the current measure's end, as
// page mode needs it) and the measure labelling of a full update, over a
// 10,000-measure song. Follow runs up to 60 times a second while playing.
#include <benchmark/benchmark.h>

#include "views/follow_policy.h"
#include "views/measure_labeler.h"
#include "views/time_axis.h"

#include <string>

namespace rz {
namespace {

constexpr int kMeasures = 10000;
constexpr int kTimeBase = 480;

// Mostly 4/4, with a 3/4 and a 7/8 measure now and then, lettered sections.
MeasureMap makeMap()
{
    MeasureMap map(kMeasures);
    for (int i = 0; i < kMeasures; ++i) {
        if (i % 17 == 5)
            map[size_t(i)].setMeter(3, 2);
        else if (i % 31 == 9)
            map[size_t(i)].setMeter(7, 3);
        else
            map[size_t(i)].setMeter(4, 2);
        map[size_t(i)].number = uint16_t(i + 1);
        map[size_t(i)].letter = i % 64 == 0 ? char('A' + (i / 64) % 26) : 0;
    }
    RecomputeMeasureStarts(map, kTimeBase);
    return map;
}

void BM_FollowStep(benchmark::State& state)
{
    const MeasureMap map = makeMap();
    const int32_t end = map.back().start + map.back().length;
    const TimeAxis axis{.gridTicks = TimeAxis::gridTicksFor(kTimeBase, 5), .plotLeft = 24, .origin = 0};
    const int32_t maxOrigin = axis.maxOrigin(end, 1200);
    int32_t origin = 0;
    int32_t cursor = -1;
    int32_t tick = 0;
    const int32_t step = end / 9973 + 1;
    for (auto _ : state) {
        tick = (tick + step) % end;
        const int index = FindMeasure(map, tick);
        const MeasureRec& measure = map[size_t(index)];
        const FollowResult out = followStep({.playColumn = axis.columnOf(tick),
                                             .origin = origin,
                                             .cursorColumn = cursor,
                                             .plotWidth = 1200,
                                             .maxOrigin = maxOrigin,
                                             .smoothScroll = false,
                                             .playing = true,
                                             .measureEndColumn = axis.columnOf(measure.start + measure.length)});
        origin = out.origin;
        cursor = out.cursorColumn;
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_FollowStep);

void BM_MeasureLabels(benchmark::State& state)
{
    MeasureMap map = makeMap();
    const int32_t grid = TimeAxis::gridTicksFor(kTimeBase, int(state.range(0)));
    const auto width = [](const std::string& text) { return int(text.size()) * 10; };
    for (auto _ : state)
        benchmark::DoNotOptimize(MeasureLabeler::apply(map, grid, width));
    state.SetItemsProcessed(state.iterations() * kMeasures);
}
BENCHMARK(BM_MeasureLabels)->Arg(0)->Arg(4)->Arg(8);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
