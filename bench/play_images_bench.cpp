// Play-image rebuild after an edit: the whole song, and one track re-encoded.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "song/play_images.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song/track_encoder.h"
#include "tests/song/song_fixture.h"

namespace rz {
namespace {

constexpr int kTicksPerQuarter = 480;

// A busy track: notes with lengths, controllers, pitch bend and a few
// program changes, spread over bars of 4/4.
void fillTrack(CTrack& track, int eventCount, uint32_t seed)
{
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    track.events.reserve(size_t(eventCount));
    int32_t tick = 0;
    for (int i = 0; i < eventCount; ++i) {
        tick += pick(0, kTicksPerQuarter / 4);
        CMidiEvent event;
        event.tick = tick;
        const int kind = pick(0, 9);
        if (kind < 6) {
            event.message = 0x90u | uint32_t(pick(36, 96)) << 8 | uint32_t(pick(1, 127)) << 16;
            event.value2 = pick(10, 4 * kTicksPerQuarter);
        } else if (kind < 8) {
            event.message = 0xB0u | uint32_t(pick(1, 11)) << 8 | uint32_t(pick(0, 127)) << 16;
        } else if (kind < 9) {
            event.message = 0xE0u | uint32_t(pick(0, 127)) << 8 | uint32_t(pick(0, 127)) << 16;
        } else {
            event.message = 0xC0u | uint32_t(pick(0, 127)) << 8;
            event.value2 = -1;
        }
        track.events.push_back(std::move(event));
    }
}

// 64 tracks, 250,000 events; pairs of tracks share a port and channel with
// different patches, so half the rebuild places patch-change points.
struct BenchSong {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();

    BenchSong(int trackCount, int eventsPerTrack)
    {
        song->timeBase = kTicksPerQuarter;
        for (int i = 0; i < trackCount; ++i) {
            auto track = std::make_unique<CTrack>();
            track->port = (i / 16) % 2;
            track->channel = i % 16;
            track->patch = i;
            track->initialControllers[1] = 100;
            fillTrack(*track, eventsPerTrack, uint32_t(i + 1));
            song->tracks.insert(song->tracks.end() - 1, std::move(track));
        }
    }
};

void BM_RebuildPlayImages(benchmark::State& state)
{
    BenchSong bench(64, 250000 / 64);
    for (auto _ : state)
        RebuildPlayImages(*bench.song, false);
    state.SetItemsProcessed(state.iterations() * 250000);
}
BENCHMARK(BM_RebuildPlayImages)->Unit(benchmark::kMillisecond);

void BM_ReencodeTrack(benchmark::State& state)
{
    BenchSong bench(1, 20000);
    CTrack& track = *bench.song->tracks[1];
    track.patchChangePoints = {0};
    TrackEncodeContext context;
    context.trackIndex = 1;
    context.song = &bench.song->context();
    for (auto _ : state)
        WriteTrackChunk(track, 16 * kTicksPerQuarter, context);
    state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK(BM_ReencodeTrack)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
