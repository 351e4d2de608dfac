#pragma once

#include <cstdint>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// Reads a synthesizer's reset message as the user typed it: bytes of two
// upper-case hexadecimal digits separated by spaces or line breaks, each below
// 0x80 except F0 as the first byte and F7 as the last. Any other token, or
// no token at all, gives nothing: the message is rejected whole.
std::optional<std::vector<uint8_t>> ParseResetSysex(std::string_view text);

// The first token of a reset message that ParseResetSysex would refuse, by
// the same rules, so that the editor can select it and name it. Nothing when
// every token is good; an empty message has no bad token.
struct BadResetToken {
    size_t offset = 0; // in the text as given
    std::string token;
};
std::optional<BadResetToken> FindBadResetToken(std::string_view text);
// "<token> is not a valid hex byte (00-7F).  Enter data like ..."
std::string BadResetTokenMessage(std::string_view token);

} // namespace rz
