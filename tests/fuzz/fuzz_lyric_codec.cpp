// Fuzz target of the lyric syllable codec: any bytes decode without a fault,
// and once decoded and encoded, a second round returns the same bytes, so
// browsing a syllable in the editor never keeps changing it.
// Without libFuzzer, main() replays the fixture folder given as its argument
// and runs a seeded mutation sweep; a watchdog fails any case over 2 s.
#include "plain_driver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "song/lyric_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string first = rz::TextToLyric(rz::LyricToText(bytes));
    const std::string second = rz::TextToLyric(rz::LyricToText(first));
    if (first != second) {
        std::fprintf(stderr, "fuzz_lyric_codec: a second round changed the bytes\n");
        std::abort();
    }
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {'{', '}', ',', '"', ':', '-', '/', '\\', '|', '\r', '\n', ' ', '0', 0x80, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_lyric_codec", ".txt", kBoundary, 20261211}, argc, argv);
}
#endif
