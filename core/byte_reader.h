#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace rz {

struct ByteChunk;

// Bounds-checked reading of file bytes; every file reader goes through it.
// A read either succeeds and moves past what it read, or returns nothing,
// leaves the position where it was and remembers where it failed. It never
// touches a byte outside its span and never allocates.
//
// Offsets are file offsets: a chunk's reader keeps counting from the start of
// the file it was cut from, so a caller can say "event at 0x1A2F runs past the
// chunk (0x1A40)" with offset() and endOffset().
class ByteReader {
public:
    // A VLQ longer than this is refused (a 5th continuation byte).
    static constexpr size_t kMaxVarLenBytes = 4;

    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> bytes, size_t fileOffset = 0)
        : m_bytes(bytes), m_base(fileOffset)
    {
    }

    // Positions inside this reader's bytes.
    size_t position() const { return m_pos; }
    size_t size() const { return m_bytes.size(); }
    size_t remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos == m_bytes.size(); }

    // File offsets of the next read and of the end of this reader's bytes.
    size_t offset() const { return m_base + m_pos; }
    size_t endOffset() const { return m_base + m_bytes.size(); }

    // File offset of the first read that failed, if one did. Reads after a
    // failure still work; the first failure is the one worth reporting.
    std::optional<size_t> failureOffset() const { return m_failure; }

    // Moves to a position in 0..size(); false (and no move) beyond the end.
    bool seek(size_t position)
    {
        if (position > m_bytes.size())
            return fail();
        m_pos = position;
        return true;
    }

    bool skip(size_t count)
    {
        if (count > remaining())
            return fail();
        m_pos += count;
        return true;
    }

    std::optional<uint8_t> peekU8()
    {
        if (atEnd())
            return failed<uint8_t>();
        return m_bytes[m_pos];
    }

    std::optional<uint8_t> u8()
    {
        if (atEnd())
            return failed<uint8_t>();
        return m_bytes[m_pos++];
    }

    std::optional<uint16_t> u16be() { return readBigEndian<uint16_t, 2>(); }
    std::optional<uint32_t> u24be() { return readBigEndian<uint32_t, 3>(); }
    std::optional<uint32_t> u32be() { return readBigEndian<uint32_t, 4>(); }
    std::optional<uint16_t> u16le() { return readLittleEndian<uint16_t, 2>(); }
    std::optional<uint32_t> u32le() { return readLittleEndian<uint32_t, 4>(); }

    // The next count bytes, as a view into the input (valid while it is).
    std::optional<std::span<const uint8_t>> bytes(size_t count)
    {
        if (count > remaining())
            return failed<std::span<const uint8_t>>();
        const auto block = m_bytes.subspan(m_pos, count);
        m_pos += count;
        return block;
    }

    // A MIDI variable-length quantity: seven bits a byte, most significant
    // first, the top bit set on all but the last byte. At most four bytes, so
    // the value stays below 2^28.
    std::optional<uint32_t> varLen()
    {
        const size_t left = remaining();
        uint64_t value = 0;
        for (size_t i = 0; i < kMaxVarLenBytes; ++i) {
            if (i >= left)
                return failed<uint32_t>();
            const uint8_t byte = m_bytes[m_pos + i];
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) {
                m_pos += i + 1;
                return uint32_t(value);
            }
        }
        return failed<uint32_t>();
    }

    // A chunk header (4-byte id, 32-bit length) and a reader over exactly its
    // body; the reader moves past the body. Standard MIDI Files store the
    // length big-endian, RIFF little-endian. Fails, without moving, when the
    // length exceeds the bytes left. RIFF pad bytes after odd bodies are left
    // to the caller: not every writer puts them there.
    std::optional<ByteChunk> smfChunk();
    std::optional<ByteChunk> riffChunk();

private:
    bool fail()
    {
        if (!m_failure)
            m_failure = offset();
        return false;
    }

    template <typename T>
    std::optional<T> failed()
    {
        fail();
        return std::nullopt;
    }

    template <typename T, size_t N>
    std::optional<T> readBigEndian()
    {
        if (N > remaining())
            return failed<T>();
        T value = 0;
        for (size_t i = 0; i < N; ++i)
            value = T((value << 8) | m_bytes[m_pos + i]);
        m_pos += N;
        return value;
    }

    template <typename T, size_t N>
    std::optional<T> readLittleEndian()
    {
        if (N > remaining())
            return failed<T>();
        T value = 0;
        for (size_t i = N; i-- > 0;)
            value = T((value << 8) | m_bytes[m_pos + i]);
        m_pos += N;
        return value;
    }

    std::optional<ByteChunk> chunk(bool bigEndian);

    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
    size_t m_base = 0;
    std::optional<size_t> m_failure;
};

struct ByteChunk {
    std::array<char, 4> id{};
    ByteReader body;

    bool idIs(std::string_view name) const
    {
        return name.size() == id.size() && name == std::string_view(id.data(), id.size());
    }
};

} // namespace rz
