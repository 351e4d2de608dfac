#include "core/byte_reader.h"

namespace rz {

std::optional<ByteChunk> ByteReader::smfChunk()
{
    return chunk(true);
}

std::optional<ByteChunk> ByteReader::riffChunk()
{
    return chunk(false);
}

std::optional<ByteChunk> ByteReader::chunk(bool bigEndian)
{
    constexpr size_t kHeaderBytes = 8;
    // A short header or a length past the bytes left both fail at the header.
    if (kHeaderBytes > remaining())
        return failed<ByteChunk>();
    const size_t start = m_pos;
    ByteChunk result;
    for (char& c : result.id)
        c = char(m_bytes[m_pos++]);
    const uint32_t length = bigEndian ? *u32be() : *u32le();
    if (length > remaining()) {
        m_pos = start;
        return failed<ByteChunk>();
    }
    result.body = ByteReader(m_bytes.subspan(m_pos, length), offset());
    m_pos += length;
    return result;
}

} // namespace rz
