#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace rz {

// Reads a synthesizer's reset message as the user typed it: bytes of two
// upper-case hexadecimal digits separated by spaces or line breaks, each below
// 0x80 except F0 as the first byte and F7 as the last. Any other token, or
// no token at all, gives nothing: the message is rejected whole.
std::optional<std::vector<uint8_t>> ParseResetSysex(std::string_view text);

} // namespace rz
