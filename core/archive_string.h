#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class ByteReader;

// Strings as archives store them: a length prefix, then the bytes with no
// terminator. The prefix is one byte for lengths below 0xFF; else the byte
// 0xFF and a little-endian 16-bit length below 0xFFFE; else 0xFF, 0xFFFF and
// a 32-bit length. A 16-bit 0xFFFE marks a wide-character string, which is
// not read.

// One string as a view into the reader's bytes. On failure the reader stays
// where it was and `reason` says why: "length 70000 exceeds the 31 bytes
// left", "length runs past the end", "holds wide characters".
std::optional<std::span<const uint8_t>> readArchiveString(ByteReader& reader, std::string& reason);

// Appends the string in the shortest of the three forms.
void writeArchiveString(std::vector<uint8_t>& out, std::span<const uint8_t> text);
void writeArchiveString(std::vector<uint8_t>& out, std::string_view text);

} // namespace rz
