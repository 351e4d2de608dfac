#pragma once

// Wave file bytes built chunk by chunk, so a test shows the fault it plants.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

namespace rz::test {

using Bytes = std::vector<uint8_t>;

inline void putU16(Bytes& bytes, uint32_t value)
{
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
}

inline void putU32(Bytes& bytes, uint32_t value)
{
    putU16(bytes, value & 0xFFFF);
    putU16(bytes, value >> 16);
}

inline uint32_t u32At(const Bytes& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16
           | uint32_t(bytes[at + 3]) << 24;
}

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A chunk with its pad byte; `statedSize` writes a size other than the body's.
inline Bytes chunk(std::string_view id, const Bytes& body, std::optional<uint32_t> statedSize = {})
{
    Bytes bytes(id.begin(), id.end());
    putU32(bytes, statedSize.value_or(uint32_t(body.size())));
    bytes = bytes + body;
    if (body.size() % 2 == 1 && !statedSize)
        bytes.push_back(0);
    return bytes;
}

// A "fmt " body of `size` bytes (16, 18 or 40); an extensible one gets the
// given sub-format tag.
inline Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t size = 16,
                     uint16_t subFormat = 1)
{
    const uint16_t blockAlign = uint16_t(channels * bits / 8);
    Bytes bytes;
    putU16(bytes, tag);
    putU16(bytes, channels);
    putU32(bytes, rate);
    putU32(bytes, rate * blockAlign);
    putU16(bytes, blockAlign);
    putU16(bytes, bits);
    if (size >= 18)
        putU16(bytes, uint32_t(size - 18));
    if (size >= 40) {
        putU16(bytes, bits);         // valid bits
        putU32(bytes, 3);            // front left and right
        putU16(bytes, subFormat);
        const Bytes tail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        bytes = bytes + tail;
    }
    bytes.resize(size, 0);
    return bytes;
}

inline Bytes pcmFmt(uint32_t rate = 44100)
{
    return chunk("fmt ", fmtBody(1, 2, rate, 16));
}

inline Bytes samples(std::initializer_list<int16_t> values)
{
    Bytes bytes;
    for (int16_t value : values)
        putU16(bytes, uint16_t(value));
    return bytes;
}

inline Bytes riff(const Bytes& chunks)
{
    Bytes bytes = {'R', 'I', 'F', 'F'};
    putU32(bytes, uint32_t(chunks.size() + 4));
    return bytes + Bytes{'W', 'A', 'V', 'E'} + chunks;
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace rz::test
