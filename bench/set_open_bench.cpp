// Opening a set of 20,000 and of 200,000 song entries (goal: 20,000 in under
// 2 s, the time growing no faster than n log n). The songs' files are
// missing, so the set's own work is timed, not the reading of songs.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "set/set_file.h"
#include "tests/set/set_fixture.h"

namespace rz {
namespace {

void writeSetOf(const std::filesystem::path& path, int64_t songs)
{
    std::vector<SetFileEntry> entries;
    entries.reserve(size_t(songs));
    for (int64_t i = 0; i < songs; ++i)
        entries.push_back(songEntry("Song " + std::to_string(i) + ".mid"));
    writeBytes(path, encodeSetFile(entries, false));
}

void BM_OpenSet(benchmark::State& state)
{
    SetTempDir folder;
    const std::filesystem::path path = folder.path() / "Large.set";
    writeSetOf(path, state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<SetFixture>();
        state.ResumeTiming();
        const bool opened = fixture->set.OnOpenDocument(path);
        state.PauseTiming();
        if (!opened || fixture->set.songs().size() != size_t(state.range(0)))
            state.SkipWithError("the set did not open whole");
        fixture.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenSet)->Arg(20000)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
