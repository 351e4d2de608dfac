// Fuzz target of the bytes a second copy of the program hands over: any
// bytes split into messages without harm, each command is lower-case
// without NUL, and nothing beyond the byte limit is looked at.
#include "core/hand_over.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    for (const rz::HandOverMessage& message : rz::splitHandOverMessages(bytes)) {
        for (char c : message.command)
            if (c == '\0' || (c >= 'A' && c <= 'Z') || c == ':')
                std::abort();
        if (message.path.find('\0') != std::string::npos)
            std::abort();
        total += message.command.size() + message.path.size();
    }
    if (total > rz::kMaxHandOverBytes) {
        std::fprintf(stderr, "fuzz_hand_over: more bytes came out than the limit lets in\n");
        std::abort();
    }
    return 0;
}

#ifndef RZ_LIBFUZZER
#include "tests/fuzz/text_fuzz_driver.h"

int main(int argc, char** argv)
{
    std::string huge = "restore:" + std::string(70000, 'x');
    return rz::fuzz::runSweep("fuzz_hand_over",
                              {std::string("restore:/home/a/b.mid\0", 22), "RESTORE:/A/b.MID",
                               std::string("restore:\0restore:/x.kar\0\0", 26), "no colon here",
                               huge},
                              argc, argv);
}
#endif
