// The plain driver of the text fuzz targets: runs the built-in seeds, then a
// seeded sweep of mutations of them through LLVMFuzzerTestOneInput. A case
// that crashes, trips a sanitizer or aborts fails the run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace rz::fuzz {

inline void runText(const std::string& text)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// One to eight edits: characters the parser splits or reads at ("@;,-:0\0"),
// random bytes, ranges cut or repeated, and long runs of digits.
inline std::string mutate(std::string text, std::mt19937& random)
{
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    static constexpr char kSpecial[] = {';', ',', '-', ':', '0', '9', '\0', '@', 'R', '\xFF'};
    for (size_t edits = 1 + pick(8); edits-- > 0;) {
        const size_t at = text.empty() ? 0 : pick(text.size());
        switch (pick(5)) {
        case 0:
            if (!text.empty())
                text[at] = kSpecial[pick(sizeof kSpecial)];
            break;
        case 1:
            if (!text.empty())
                text[at] = char(random());
            break;
        case 2:
            if (!text.empty())
                text.erase(at, 1 + pick(12));
            break;
        case 3:
            text.insert(at, text.substr(at, 1 + pick(40)));
            break;
        default:
            text.insert(at, std::string(1 + pick(24), char('0' + pick(10))));
            break;
        }
    }
    return text;
}

inline int runSweep(const char* name, const std::vector<std::string>& seeds, int argc, char** argv)
{
    const int cases = argc > 1 ? std::atoi(argv[1]) : 50000;
    for (const std::string& seed : seeds)
        runText(seed);
    std::mt19937 random(20240611);
    for (int i = 0; i < cases; ++i)
        runText(mutate(seeds[random() % seeds.size()], random));
    std::printf("%s: %zu seeds and %d mutated cases passed\n", name, seeds.size(), cases);
    return 0;
}

} // namespace rz::fuzz
