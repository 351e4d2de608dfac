// Fuzz target of the accel map files the maps dialog imports.
#include "tests/fuzz/map_file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return rz::fuzz::fuzzMapFile("fuzz_accel_map_file", data, size, rz::kAccelRecordBytes);
}

#ifndef RZ_LIBFUZZER
#include "tests/fuzz/text_fuzz_driver.h"

int main(int argc, char** argv)
{
    return rz::fuzz::runSweep("fuzz_accel_map_file", rz::fuzz::mapFileSeeds(rz::kAccelRecordBytes), argc,
                              argv);
}
#endif
