// The loudness histogram of the Stats dialog over a 64-track song of
// 250,000 notes (goal: under 50 ms on a loaded machine).
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"

#include <memory>

#include "song/level_bins.h"
#include "song/song_doc.h"
#include "tests/song/song_fixture.h"

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 250000 / kTracks;
constexpr int32_t kStep = 61; // ticks between notes, time base 480

void BM_ComputeLevelBins(benchmark::State& state)
{
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = bench::makeDenseSong(fixture.context(), kTracks, kEventsPerTrack, kStep);
    for (auto _ : state) {
        LevelBins bins = ComputeLevelBins(*song);
        benchmark::DoNotOptimize(bins);
    }
}
BENCHMARK(BM_ComputeLevelBins)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
