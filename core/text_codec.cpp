#include "core/text_codec.h"

#include <array>

namespace rz {
namespace {

// Windows-1252 bytes 0x80..0x9F; the unassigned ones map to the C1 control
// of the same number so that decoding never loses a byte.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Decodes one UTF-8 sequence starting at p (left bytes available, left >= 1).
// Returns its length, or 0 when it is malformed.
size_t decodeUtf8(const uint8_t* p, size_t left, char32_t& codePoint)
{
    const uint8_t lead = p[0];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length;
    uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong below U+0800
        else if (lead == 0xED)
            high = 0x9F; // surrogates U+D800..U+DFFF
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong below U+10000
        else if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0; // continuation byte, overlong C0/C1 lead, or F5..FF
    }
    if (length > left || p[1] < low || p[1] > high)
        return 0;
    char32_t value = lead & (0xFF >> (length + 1));
    for (size_t i = 1; i < length; ++i) {
        if (!isContinuation(p[i]))
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    codePoint = value;
    return length;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::optional<uint8_t> cp1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return uint8_t(cp);
    for (size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == cp)
            return uint8_t(0x80 + i);
    return std::nullopt;
}

std::span<const uint8_t> asBytes(std::string_view text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

} // namespace

bool isValidUtf8(std::span<const uint8_t> bytes)
{
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t ignored;
        const size_t length = decodeUtf8(bytes.data() + i, size - i, ignored);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool isValidUtf8(std::string_view bytes)
{
    return isValidUtf8(asBytes(bytes));
}

std::string decodeText(std::span<const uint8_t> bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes.begin(), bytes.end());
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const uint8_t b : bytes)
        appendUtf8(out, b >= 0x80 && b < 0xA0 ? char32_t(kCp1252High[b - 0x80]) : char32_t(b));
    return out;
}

std::string decodeText(std::string_view bytes)
{
    return decodeText(asBytes(bytes));
}

std::vector<uint8_t> encodeText(std::string_view utf8)
{
    const auto bytes = asBytes(utf8);
    return {bytes.begin(), bytes.end()};
}

std::optional<std::vector<uint8_t>> encodeWindows1252(std::string_view utf8)
{
    const auto bytes = asBytes(utf8);
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp;
        const size_t length = decodeUtf8(bytes.data() + i, bytes.size() - i, cp);
        if (length == 0)
            return std::nullopt;
        const auto b = cp1252Byte(cp);
        if (!b)
            return std::nullopt;
        out.push_back(*b);
        i += length;
    }
    return out;
}

} // namespace rz
