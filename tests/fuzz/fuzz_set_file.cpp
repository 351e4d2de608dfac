// Fuzz target of the set file reader: any bytes decode without harm, and
// what decodes is written and read back unchanged.
// Without libFuzzer, main() replays the fixture folder given as its first
// argument and runs a seeded sweep of mutations of those files.
#include "set/set_file.h"

#include <cstdio>
#include <cstdlib>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto decoded = rz::decodeSetFile({data, size});
    const auto* image = std::get_if<rz::SetFileImage>(&decoded);
    if (image == nullptr)
        return 0;
    if (image->entries.size() > size / 5) {
        std::fprintf(stderr, "fuzz_set_file: more entries than the bytes can hold\n");
        std::abort();
    }
    const std::vector<uint8_t> written = rz::encodeSetFile(image->entries, image->performanceLock);
    const auto again = rz::decodeSetFile(written);
    const auto* reread = std::get_if<rz::SetFileImage>(&again);
    if (reread == nullptr || *reread != *image) {
        std::fprintf(stderr, "fuzz_set_file: the written file does not read back\n");
        std::abort();
    }
    return 0;
}

#ifndef RZ_LIBFUZZER
#include "tests/fuzz/text_fuzz_driver.h"

#include <filesystem>
#include <fstream>
#include <iterator>

int main(int argc, char** argv)
{
    std::vector<std::string> seeds;
    if (argc > 1)
        for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
            std::ifstream in(entry.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    if (seeds.empty()) {
        std::fprintf(stderr, "fuzz_set_file: no seeds in %s\n", argc > 1 ? argv[1] : "(no folder given)");
        return 1;
    }
    // runSweep takes the case count as its first argument.
    char* sweepArgs[] = {argv[0], argc > 2 ? argv[2] : nullptr};
    return rz::fuzz::runSweep("fuzz_set_file", seeds, argc > 2 ? 2 : 1, sweepArgs);
}
#endif
