// Fuzz target of the event list's cell parsers: the first byte picks the
// column, the second the event, the rest is the typed text. Every answer
// keeps its fields in range.
#include "core/midi_bytes.h"
#include "song/event_cell_parse.h"
#include "song/measure_map.h"
#include "song/tempo_map.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

constexpr int kTrackCount = 5;

rz::CMidiEvent eventOf(uint8_t pick)
{
    static constexpr uint32_t kMessages[] = {
        0x643C90,           // note C4
        0x403CA0,           // key pressure
        0x4007B0,           // controller 7
        0x0005C0,           // program 6
        0x0040D0,           // channel pressure
        0x4000E0,           // pitch bend centre
        0x10 | 0u << 8 | 256u << 16, // bend range 2
        0x10 | 1u << 8 | 8192u << 16, // fine tuning
        0x10 | 2u << 8,     // coarse tuning
        0x10 | 5u << 8,     // modulation depth
        0x20 | 300u << 8,   // NRPN 300
        0x1FF,              // text
        0x51FF,             // tempo
        0xF0,               // sysex
    };
    rz::CMidiEvent event;
    event.message = kMessages[pick % std::size(kMessages)];
    event.tick = 480 * (pick % 9);
    event.value2 = (event.message & 0xF0) == 0xC0 ? 130 : 60;
    if (event.kind() == rz::midi::kMeta)
        event.SetMetaText(event.data1(), "words");
    return event;
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_event_cells: %s\n", what);
    std::abort();
}

void check(const rz::EventCellEdit& edit)
{
    const rz::CMidiEvent& e = edit.event;
    if (edit.track < 0 || edit.track > kTrackCount - 2)
        fail("track out of range");
    if (e.tick < 0)
        fail("negative tick");
    const int status = e.kind() & 0xF0;
    if (status >= 0x80 && status < 0xF0 && (e.data1() > 127 || e.data2() > 127))
        fail("data byte above 127");
    if (status == 0x10 && ((e.message >> 16) > 16383 || ((e.message >> 8) & 0xFF) > 127))
        fail("RPN out of range");
    if (status == 0x20 && (e.value2 < 0 || e.value2 > 16383 || (e.message >> 8) > 16383))
        fail("NRPN out of range");
    if (status == 0x90 && e.value2 < 0)
        fail("negative duration");
    if (status == 0xC0 && (e.value2 < -1 || e.value2 > 16383))
        fail("bank out of range");
    if (e.spelling < -1 || e.spelling > 4)
        fail("spelling out of range");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static const rz::MeasureMap measures = [] {
        rz::MeasureMap map(1);
        map[0].Set(0, 480);
        map[0].setMeter(4, 2);
        rz::ExtendMeasureMap(map, 16 * 480);
        map[3].letter = 'A';
        return map;
    }();
    static const rz::TempoMap tempos(1);
    rz::EventCellSong song;
    song.trackCount = kTrackCount;
    song.timeBase = 120;
    song.measures = &measures;
    song.tempos = &tempos;
    song.smpteOffset = rz::CSmpteTime::fromFields(rz::kSmpteRate30Drop, 0, 0, 2, 0, 0);
    song.technology = (data[1] & 0x80) ? 0x180 : 8;
    const int column = data[0] % rz::event_column::kCount;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
    if (const auto edit = rz::parseEventCell(song, 1, eventOf(data[1] & 0x7F), column, text))
        check(*edit);
    return 0;
}

#ifndef RZ_LIBFUZZER
#include "tests/fuzz/text_fuzz_driver.h"

int main(int argc, char** argv)
{
    const auto seed = [](char column, char pick, const std::string& text) {
        return std::string{column, pick} + text;
    };
    return rz::fuzz::runSweep("fuzz_event_cells",
                              {seed(6, 0, "C#4"), seed(2, 0, "3A:2:10"), seed(7, 6, "1e300"), seed(7, 7, "-nan"),
                               seed(3, 1, "1:2:3:4:5"), seed(6, char(0x83), "1/2,5"),
                               seed(4, 0, "99999999999999999999.5"),
                               seed(1, 0, "123456789012345678901234567890"), seed(7, 5, "-8193"),
                               seed(7, 11, "text")},
                              argc, argv);
}
#endif
