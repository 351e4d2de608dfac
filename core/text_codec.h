#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// Song texts are bytes, kept exactly as read. These turn them into UTF-8 for
// display and typed text back into bytes.

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool isValidUtf8(std::span<const uint8_t> bytes);
bool isValidUtf8(std::string_view bytes);

// The text as UTF-8: the bytes themselves when they are valid UTF-8, otherwise
// every byte decoded as Windows-1252 (its five unassigned bytes 0x81, 0x8D,
// 0x8F, 0x90 and 0x9D become U+0081 and so on, so no byte is lost).
std::string decodeText(std::span<const uint8_t> bytes);
std::string decodeText(std::string_view bytes);

// Typed text to stored bytes: the program writes UTF-8.
std::vector<uint8_t> encodeText(std::string_view utf8);

// Typed text in the legacy encoding, for callers that must write it. Nothing
// when the input is not valid UTF-8 or a character has no Windows-1252 byte.
std::optional<std::vector<uint8_t>> encodeWindows1252(std::string_view utf8);

} // namespace rz
