// Fuzz target of the notation model builder: a song read from the bytes is
// built into the staff model with several settings, each chosen by a byte
// of the input, and every element must lie in a measure of the model and
// name spans and measures that exist.
// Without libFuzzer, main() replays the song fixtures and runs a seeded
// mutation sweep; a watchdog fails any case over 2 s.
#include "plain_driver.h"
#include "silent_prompt.h"

#include "core/profile.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"
#include "staff/model/staff_model.h"
#include "tests/staff/model/fixed_metrics.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

namespace rz {
namespace {

constexpr size_t kMostMeasures = 2000;

// Staff sizes the view offers, and one far past them.
constexpr int kStaffSizes[] = {12, 20, 28, 56, 200};

StaffSettings settingsOf(uint8_t pick)
{
    StaffSettings settings;
    settings.staffSize = kStaffSizes[pick % std::size(kStaffSizes)];
    settings.fill = (pick & 0x08) != 0;
    settings.trim = (pick & 0x10) != 0;
    settings.resolution = (pick >> 5) & 3; // 3 reads as 1
    settings.leadSheet = (pick & 0x80) != 0;
    return settings;
}

// The user tracks in order, and with an odd pick also rows the view never
// passes: the meta track, the empty last track and one past the end.
std::vector<int> rowsOf(const CSongDoc& song, uint8_t pick)
{
    std::vector<int> rows;
    for (int t = 1; t + 1 < int(song.tracks.size()); ++t)
        rows.push_back(t);
    if (pick & 1)
        rows.insert(rows.end(), {0, int(song.tracks.size()) - 1, int(song.tracks.size()), -1});
    return rows;
}

[[noreturn]] void fail(const char* what, size_t staff)
{
    std::fprintf(stderr, "fuzz_staff_model: staff %zu: %s\n", staff, what);
    std::abort();
}

// What the views index the model with, checked for every element.
void checkModel(const StaffModel& model)
{
    const size_t measures = model.measures.size();
    for (size_t s = 0; s < model.staves.size(); ++s) {
        const CStaffTrack& staff = model.staves[s];
        for (const auto& voice : staff.voices) {
            for (const auto& element : voice->notes) {
                if (element->measure < 0 || size_t(element->measure) >= measures)
                    fail("an element lies outside the measures", s);
                for (const CStaffItem& item : element->items)
                    if (size_t(item.span) >= staff.spans.size())
                        fail("an item names a span that does not exist", s);
            }
        }
        for (const CStaffText& text : staff.texts)
            if (size_t(text.measure) >= measures)
                fail("a text lies outside the measures", s);
    }
}

void buildWithSettings(std::span<const uint8_t> bytes, bool autoProps)
{
    MemoryProfile profile;
    fuzz::SilentPrompt prompt;
    FakeSongHost host;
    host.autoPropsFlag = autoProps;
    FakeEngineLink engine;
    CSongDoc song(SongContext{.profile = profile, .prompt = prompt, .host = host, .engine = engine});
    std::string reason;
    if (!OpenSongBytes(song, bytes, SongFileKind{.karaoke = bytes.size() % 2 == 1}, reason))
        return;
    // The build is linear in the measures: a file whose one long delta
    // makes 50,000 empty measures takes seconds under the sanitizers and
    // reaches nothing a short one does not.
    if (song.measureMap.size() > kMostMeasures)
        return;
    const test::FixedMetrics metrics;
    // Three settings from the last bytes, which the file's reader mostly
    // skips (the end of the last track).
    for (size_t i = 1; i <= 3; ++i) {
        const uint8_t pick = bytes.size() >= i ? bytes[bytes.size() - i] : uint8_t(i * 77);
        const std::vector<int> rows = rowsOf(song, pick);
        checkModel(BuildStaffModel(song, rows, settingsOf(pick), nullptr, metrics));
    }
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    rz::buildWithSettings(bytes, size % 3 != 0);
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x2F, 0x7F, 0x80, 0x81, 0xF0, 0xF7, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_staff_model", ".mid", kBoundary, 20261211}, argc, argv);
}
#endif
