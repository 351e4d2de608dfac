#include "engine/reset_sysex.h"

#include <cstddef>

namespace rz {
namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '\n' || c == '\r';
}

int upperHexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<uint8_t> tokenByte(std::string_view token)
{
    if (token.size() != 2)
        return std::nullopt;
    const int high = upperHexDigit(token[0]);
    const int low = upperHexDigit(token[1]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return uint8_t(high * 16 + low);
}

// Line breaks separate bytes like spaces do: the editor stores a message
// typed over several lines as it was typed.
std::vector<std::string_view> tokens(std::string_view text)
{
    std::vector<std::string_view> result;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isSeparator(text[pos]))
            ++pos;
        const size_t start = pos;
        while (pos < text.size() && !isSeparator(text[pos]))
            ++pos;
        if (pos > start)
            result.push_back(text.substr(start, pos - start));
    }
    return result;
}

} // namespace

std::optional<std::vector<uint8_t>> ParseResetSysex(std::string_view text)
{
    const std::vector<std::string_view> words = tokens(text);
    if (words.empty())
        return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        const std::optional<uint8_t> byte = tokenByte(words[i]);
        if (!byte)
            return std::nullopt;
        const bool statusAllowed = (i == 0 && *byte == 0xF0)
                                   || (i + 1 == words.size() && *byte == 0xF7);
        if (*byte >= 0x80 && !statusAllowed)
            return std::nullopt;
        bytes.push_back(*byte);
    }
    return bytes;
}

} // namespace rz
