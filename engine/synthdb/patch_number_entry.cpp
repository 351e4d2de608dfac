#include "engine/synthdb/patch_number_entry.h"

#include "core/midi_bytes.h"
#include "engine/synthdb/synth_labels.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace rz {

namespace {

constexpr int kDrumsetBound = 16384; // a bound this high means bank x 128 + program
constexpr int kFourteenBitBound = 129;

int64_t saturated(int64_t value)
{
    constexpr int64_t kLimit = std::numeric_limits<int>::max();
    return std::clamp<int64_t>(value, -kLimit, kLimit);
}

int64_t integerAfter(std::string_view text, char mark)
{
    const size_t at = text.find(mark);
    return at == std::string_view::npos ? 0 : leadingInteger(text.substr(at + 1));
}

} // namespace

std::string formatEditNumber(int number, int upperBound)
{
    if (number < 0)
        return {};
    if (upperBound >= kDrumsetBound) {
        const int bank = number / kMsbFactor;
        return std::to_string(bank) + " (" + std::to_string(bank / kMsbFactor) + "/"
               + std::to_string(bank % kMsbFactor) + "), " + std::to_string(number % kMsbFactor + 1);
    }
    if (upperBound >= kFourteenBitBound) {
        return std::to_string(number) + " (" + std::to_string(number / kMsbFactor) + "/"
               + std::to_string(number % kMsbFactor) + ")";
    }
    return std::to_string(number);
}

int parseEditNumber(std::string_view text, int lowerBound, int upperBound)
{
    if (text.empty())
        return -1;
    int64_t number = leadingInteger(text);
    const bool hasSlash = text.find('/') != std::string_view::npos;
    if (hasSlash && text.find('(') == std::string_view::npos)
        number = saturated(number * kMsbFactor + integerAfter(text, '/'));
    if (upperBound >= kDrumsetBound && text.find(',') != std::string_view::npos) {
        const int64_t program = std::max<int64_t>(integerAfter(text, ',') - 1, 0);
        number = saturated(number * kMsbFactor + program);
    }
    return static_cast<int>(std::clamp<int64_t>(number, lowerBound, upperBound));
}

} // namespace rz
