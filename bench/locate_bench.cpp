// Locate near the end of a 64-track, 30-minute song (target under 1 ms) and
// one PlayEventsUpTo over a dense 2 ms slice (target under 50 µs).
#include <benchmark/benchmark.h>

#include <memory>

#include "core/midi_out.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"
#include "tests/song/song_fixture.h"

namespace rz {
namespace {

constexpr int kTracks = 64;
// 30 minutes at 120 beats per minute, time base 120.
constexpr int32_t kSongTicks = 30 * 60 * 2 * 120;

// A port that keeps nothing and sends nothing, so the song's own work is timed.
class NullMidiOut : public IMidiOut {
public:
    uint64_t sent = 0;

    void SendShort(uint32_t) override { ++sent; }
    SysExResult SendSysEx(const uint8_t*, size_t) override
    {
        ++sent;
        return SysExResult::Delivered;
    }
    void SendBankProgram(uint32_t, int, int, bool) override { ++sent; }
    void setUnscaledVolume(int, int) override {}
    int program(int) const override { return -1; }
    int bank(int) const override { return -1; }
    int controllerValue(int, int) const override { return -1; }
    int unscaledVolume(int) const override { return 100; }
    int channelPressure(int) const override { return -1; }
    int pitchBend(int) const override { return -1; }
    int rpnValue(int, int) const override { return -1; }
    std::vector<uint32_t> heldNotes() override { return {}; }
    size_t copyHeldNotes(uint32_t*, size_t) override { return 0; }
    void SendMtcFullFrame(const CSmpteTime&) override {}
};

struct BenchSong {
    SongFixture fixture;
    NullMidiOut port;
    std::unique_ptr<CSongDoc> song;

    BenchSong()
    {
        fixture.engine.outputMap = {0};
        fixture.engine.ports = {&port};
        fixture.engine.logPortLookups = false;
        song = fixture.newSong();
        for (int i = 0; i < kTracks; ++i) {
            CTrack& track = test::addUserTrack(*song);
            track.channel = i % 16;
            track.patch = i % 128;
            for (int32_t tick = 0; tick < kSongTicks; tick += 60) {
                track.InsertEventSorted(test::note(tick, uint8_t(40 + (tick / 60 + i) % 40), 90, 50));
                if (tick % 480 == 0)
                    track.InsertEventSorted(test::controller(tick, 11, uint8_t(tick / 480 % 128)));
            }
        }
        RebuildPlayImages(*song, false);
        song->ExtendMeasureMap();
    }
};

BenchSong& benchSong()
{
    static BenchSong song;
    return song;
}

void locateNearTheEnd(benchmark::State& state)
{
    BenchSong& bench = benchSong();
    bench.fixture.engine.state = TransportState::Starting;
    for (auto _ : state) {
        bench.song->Locate(kSongTicks - 1000);
        benchmark::DoNotOptimize(bench.song->position());
    }
}
BENCHMARK(locateNearTheEnd)->Unit(benchmark::kMicrosecond);

void playOneDenseSlice(benchmark::State& state)
{
    BenchSong& bench = benchSong();
    const int32_t at = kSongTicks / 2;
    for (auto _ : state) {
        state.PauseTiming();
        bench.fixture.engine.state = TransportState::Stopped;
        bench.song->Locate(at - 1);
        bench.fixture.engine.playTime = bench.song->TickToTime(at) + 2000.0;
        state.ResumeTiming();
        bench.song->PlayEventsUpTo();
    }
}
BENCHMARK(playOneDenseSlice)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace rz

BENCHMARK_MAIN();
