#pragma once

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace rz::fuzz {

// What one fuzz program's plain driver needs to know of its input format.
struct PlainDriver {
    const char* name;                        // for messages: "fuzz_smf"
    const char* slowCaseExtension;           // the saved slow input's: ".mid"
    std::span<const uint8_t> boundaryBytes;  // values that reach the reader's checks
    uint32_t seed;                           // of the mutation sweep, so a run repeats
};

// Without libFuzzer: replays every file of the fixture folder (argv[1]), then
// runs a seeded sweep of mutated fixtures (argv[2] cases, 20,000 by default)
// through LLVMFuzzerTestOneInput. A watchdog ends the program with exit code
// 2 when one case runs over 2 s; that input, or one whose case aborts, is
// saved in the working folder.
int runPlainDriver(const PlainDriver& driver, int argc, char** argv);

} // namespace rz::fuzz
