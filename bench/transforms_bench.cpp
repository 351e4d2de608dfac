// Quantize and Transpose over a 64-track song of 250,000 events, from the
// dialog's answer to the applied record (goal: under 150 ms each). Each
// run is undone untimed.
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"

#include <memory>

#include "core/edit_dialogs.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 250000 / kTracks;
constexpr int32_t kStep = 61; // ticks between events, off the grid, time base 480

struct BenchSong {
    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song;

    BenchSong()
    {
        SongContext context = fixture.context();
        context.editDialogs = &dialogs;
        song = bench::makeDenseSong(context, kTracks, kEventsPerTrack, kStep);
        QuantizeParams quantize;
        quantize.resolution = 12; // sixteenths
        quantize.selectedTracksOnly = false;
        dialogs.quantizeAnswer = quantize;
        TransposeParams transpose;
        transpose.halfSteps = 3;
        dialogs.transposeAnswer = transpose;
    }

    void selectWholeSong()
    {
        song->selectionKind = kSelectTimeRange;
        song->selectionFrom = 0;
        song->selectionTo = song->endTick + 1;
    }
};

BenchSong& benchSong()
{
    static BenchSong bench;
    return bench;
}

void runUndone(benchmark::State& state, void (CSongDoc::*command)())
{
    BenchSong& b = benchSong();
    for (auto _ : state) {
        state.PauseTiming();
        b.selectWholeSong();
        state.ResumeTiming();
        (b.song.get()->*command)();
        state.PauseTiming();
        b.song->Undo();
        state.ResumeTiming();
    }
}

void Quantize(benchmark::State& state) { runUndone(state, &CSongDoc::OnEditQuantize); }
BENCHMARK(Quantize)->Unit(benchmark::kMillisecond);

void Transpose(benchmark::State& state) { runUndone(state, &CSongDoc::OnEditTranspose); }
BENCHMARK(Transpose)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
