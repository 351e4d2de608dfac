#include "core/archive_string.h"

#include "core/byte_reader.h"

namespace rz {
namespace {

constexpr uint8_t kLongerLength = 0xFF;
constexpr uint16_t kWideMarker = 0xFFFE;
constexpr uint16_t kLongestLength = 0xFFFF;

void appendLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// The length from its prefix; nothing when the prefix is cut off or marks a
// wide-character string.
std::optional<uint32_t> readLength(ByteReader& reader, std::string& reason)
{
    const std::optional<uint8_t> first = reader.u8();
    if (first && *first != kLongerLength)
        return *first;
    const std::optional<uint16_t> second = first ? reader.u16le() : std::nullopt;
    if (second && *second == kWideMarker) {
        reason = "holds wide characters";
        return std::nullopt;
    }
    if (second && *second != kLongestLength)
        return *second;
    const std::optional<uint32_t> third = second ? reader.u32le() : std::nullopt;
    if (!third)
        reason = "length runs past the end";
    return third;
}

} // namespace

std::optional<std::span<const uint8_t>> readArchiveString(ByteReader& reader, std::string& reason)
{
    const size_t start = reader.position();
    const std::optional<uint32_t> length = readLength(reader, reason);
    if (length && *length > reader.remaining())
        reason = "length " + std::to_string(*length) + " exceeds the "
                 + std::to_string(reader.remaining()) + " bytes left";
    const auto text = length && *length <= reader.remaining() ? reader.bytes(*length) : std::nullopt;
    if (!text)
        reader.seek(start);
    return text;
}

void writeArchiveString(std::vector<uint8_t>& out, std::span<const uint8_t> text)
{
    const size_t length = text.size();
    if (length < kLongerLength) {
        out.push_back(uint8_t(length));
    } else {
        out.push_back(kLongerLength);
        if (length < kWideMarker) {
            appendLittleEndian(out, uint32_t(length), 2);
        } else {
            appendLittleEndian(out, kLongestLength, 2);
            appendLittleEndian(out, uint32_t(length), 4);
        }
    }
    out.insert(out.end(), text.begin(), text.end());
}

void writeArchiveString(std::vector<uint8_t>& out, std::string_view text)
{
    writeArchiveString(out, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

} // namespace rz
