// Fuzz target of the SoundFont preset-header rewrite: moves a preset alone
// on the bytes, reads the name, and reads them as a wave patch too. Without
// libFuzzer, main() replays the fixture folder given as its argument and runs
// a seeded mutation sweep; a watchdog fails any case over 2 s.
#include "plain_driver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/soundfont_files.h"

namespace rz {
namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_sf2_presets: %s\n", what);
    std::abort();
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> input(data, data + size);
    // The first byte picks the preset, so that the sweep finds some.
    const int preset = size > 0 ? data[0] % 4 : 0;
    for (const int bank : {0, rz::kPercussionBank}) {
        std::vector<uint8_t> bytes = input;
        const rz::Sf2Problem problem = rz::movePresetAlone(bytes, {bank, preset}, {5, 10});
        if (bytes.size() != input.size())
            rz::fail("the rewrite changed the size");
        if (problem != rz::Sf2Problem::None && bytes != input)
            rz::fail("a refused rewrite changed bytes");
        if (problem == rz::Sf2Problem::None && !rz::isSoundFont(bytes))
            rz::fail("a rewritten SoundFont no longer reads as one");
    }
    (void)rz::soundFontName(input);
    std::string reason;
    if (const auto sound = rz::readWavePatch(input, reason)) {
        if (sound->samples.empty() || sound->samples.size() > size / 2)
            rz::fail("more samples than the file has bytes");
    } else if (reason.empty()) {
        rz::fail("a refused wave patch has no reason");
    }
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x02, 0x10, 0x26, 0x7F, 0x80, 0xFE, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_sf2_presets", ".sf2", kBoundary, 20261210}, argc, argv);
}
#endif
