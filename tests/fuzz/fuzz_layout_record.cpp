// Fuzz target of the window layout record a song file carries: any text
// parses without harm, and what parses is written and read back unchanged
// after one round.
#include "core/layout_record.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto record = rz::ParseLayoutRecord(text);
    if (!record)
        return 0;
    if (record->extraWindows && record->extraWindows->size() > rz::kMaxLayoutExtraWindows)
        std::abort();
    const auto normal = rz::ParseLayoutRecord(rz::FormatLayoutRecord(*record));
    if (!normal || rz::ParseLayoutRecord(rz::FormatLayoutRecord(*normal)) != normal) {
        std::fprintf(stderr, "fuzz_layout_record: the written record does not read back\n");
        std::abort();
    }
    return 0;
}

#ifndef RZ_LIBFUZZER
#include "tests/fuzz/text_fuzz_driver.h"

int main(int argc, char** argv)
{
    return rz::fuzz::runSweep("fuzz_layout_record",
                              {"@DR;21;1,10,20,810,620;37;3,4;10,2,0;3;2;2;0",
                               "@DR;21;3,0,0,1600,1000;-1;5,24;11,176,7;8;10;0;2;"
                               "0,1,0,0,640,480,24;3,1,5,5,400,300,0",
                               "@DR;21;;;;;;;99999999999;1,2,3,4,5,6,7",
                               "@DR;21;1,-2147483648,2147483647,0,0;2147483647;666,0;333,0,0"},
                              argc, argv);
}
#endif
