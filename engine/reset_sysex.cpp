#include "engine/reset_sysex.h"
#include "core/midi_bytes.h"

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

// The byte of token `index` of `count`, or nothing when it is not allowed there.
std::optional<uint8_t> allowedByte(std::string_view token, size_t index, size_t count)
{
    const std::optional<uint8_t> byte = tokenByte(token);
    if (!byte)
        return std::nullopt;
    const bool statusAllowed =
        (index == 0 && *byte == midi::kSysEx) || (index + 1 == count && *byte == midi::kEndOfSysEx);
    if (midi::isStatusByte(*byte) && !statusAllowed)
        return std::nullopt;
    return byte;
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
        const std::optional<uint8_t> byte = allowedByte(words[i], i, words.size());
        if (!byte)
            return std::nullopt;
        bytes.push_back(*byte);
    }
    return bytes;
}

std::optional<BadResetToken> FindBadResetToken(std::string_view text)
{
    const std::vector<std::string_view> words = tokens(text);
    for (size_t i = 0; i < words.size(); ++i) {
        if (!allowedByte(words[i], i, words.size()))
            return BadResetToken{static_cast<size_t>(words[i].data() - text.data()), std::string(words[i])};
    }
    return std::nullopt;
}

std::string BadResetTokenMessage(std::string_view token)
{
    return std::string(token) + " is not a valid hex byte (00-7F).  Enter data like 00 4F 22... etc.";
}

} // namespace rz
