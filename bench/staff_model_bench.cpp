// BuildStaffModel over 16 tracks of 3,200 sixteenths in 200 measures of
// 4/4, every track shown, with fixed font measures (goal: median under 50 ms;
// every edit rebuilds the staff view's model).
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"

#include <numeric>
#include <vector>

#include "staff/model/staff_model.h"
#include "tests/song/song_fixture.h"
#include "tests/staff/model/fixed_metrics.h"

namespace rz {
namespace {

constexpr int kTracks = 16;
constexpr int kNotesPerTrack = 3200;
constexpr int32_t kSixteenth = 120; // at time base 480

void BM_StaffModelBuild(benchmark::State& state)
{
    SongFixture fixture;
    auto song = bench::makeDenseSong(fixture.context(), kTracks, kNotesPerTrack, kSixteenth);
    std::vector<int> rows(kTracks);
    std::iota(rows.begin(), rows.end(), 1);
    StaffSettings settings;
    settings.staffSize = 28;
    const test::FixedMetrics metrics;
    size_t elements = 0;
    for (auto _ : state) {
        StaffModel model = BuildStaffModel(*song, rows, settings, nullptr, metrics);
        elements = 0;
        for (const CStaffTrack& staff : model.staves)
            for (const auto& voice : staff.voices)
                elements += voice->notes.size();
        benchmark::DoNotOptimize(model);
    }
    state.counters["measures"] = double(song->measureMap.size());
    state.counters["elements"] = double(elements);
}
BENCHMARK(BM_StaffModelBuild)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
