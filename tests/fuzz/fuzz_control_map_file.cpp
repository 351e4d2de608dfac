// Fuzz target of the control map files the maps dialog imports.
#include "tests/fuzz/map_file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return rz::fuzz::fuzzMapFile("fuzz_control_map_file", data, size, rz::kControlRecordBytes);
}

#ifndef RZ_LIBFUZZER
#include "tests/fuzz/text_fuzz_driver.h"

int main(int argc, char** argv)
{
    return rz::fuzz::runSweep("fuzz_control_map_file", rz::fuzz::mapFileSeeds(rz::kControlRecordBytes), argc,
                              argv);
}
#endif
