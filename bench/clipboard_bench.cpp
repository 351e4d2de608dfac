// Copy Time and Paste Time over a 64-track song of 250,000 events
// (goal: under 200 ms each). Paste Time is undone after every run.
#include <benchmark/benchmark.h>

#include "bench/dense_song.h"

#include <memory>

#include "song/clipboard.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"
#include "tests/support/scripted_edit_dialogs.h"

namespace rz {
namespace {

constexpr int kTracks = 64;
constexpr int kEventsPerTrack = 250000 / kTracks;
constexpr int32_t kStep = 60; // ticks between events, time base 480

struct BenchSong {
    SongFixture fixture;
    ScriptedEditDialogs dialogs;
    std::unique_ptr<CSongDoc> song;

    BenchSong()
    {
        fixture.host.workFolderPath = std::filesystem::temp_directory_path();
        SongContext context = fixture.context();
        context.editDialogs = &dialogs;
        song = bench::makeDenseSong(context, kTracks, kEventsPerTrack, kStep);
        selectWholeSong();
        dialogs.copyTimeAnswer = CopyTimeParams{CopyTimeMode::All, 0};
        PasteTimeParams paste;
        paste.firstCopy = song->endTick / 1920 * 1920;
        dialogs.pasteTimeAnswer = paste;
    }

    void selectWholeSong()
    {
        song->selectionKind = kSelectTimeRange;
        song->selectionFrom = 0;
        song->selectionTo = song->endTick / 1920 * 1920;
    }
};

BenchSong& benchSong()
{
    static BenchSong bench;
    return bench;
}

void CopyTime(benchmark::State& state)
{
    BenchSong& b = benchSong();
    for (auto _ : state) {
        b.selectWholeSong();
        b.song->OnEditCopy();
        benchmark::DoNotOptimize(b.fixture.host.clipboardContent.tracks.size());
    }
}
BENCHMARK(CopyTime)->Unit(benchmark::kMillisecond);

void PasteTime(benchmark::State& state)
{
    BenchSong& b = benchSong();
    b.selectWholeSong();
    b.song->OnEditCopy();
    for (auto _ : state) {
        b.song->OnEditPaste();
        state.PauseTiming();
        b.song->Undo();
        b.selectWholeSong();
        state.ResumeTiming();
    }
}
BENCHMARK(PasteTime)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
