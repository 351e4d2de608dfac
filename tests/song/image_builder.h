#pragma once

#include <cctype>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace rz::test {

// Bytes from annotated hex: pairs of hex digits separated by spaces; anything
// after "//" on a line is a comment. "00 90 3C 40 // note on" gives 4 bytes.
inline std::vector<uint8_t> hexBytes(std::string_view text)
{
    std::vector<uint8_t> bytes;
    int pending = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n')
                ++i;
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            continue;
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                      : std::toupper(c) - 'A' + 10;
        if (pending < 0) {
            pending = digit;
        } else {
            bytes.push_back(uint8_t(pending << 4 | digit));
            pending = -1;
        }
    }
    if (pending >= 0)
        throw std::invalid_argument("odd number of hex digits");
    return bytes;
}

// Appends a variable-length quantity (up to 28 bits).
inline void appendVarLen(std::vector<uint8_t>& bytes, uint32_t value)
{
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < 4);
    while (count-- > 0)
        bytes.push_back(uint8_t(groups[count] | (count > 0 ? 0x80 : 0)));
}

} // namespace rz::test
