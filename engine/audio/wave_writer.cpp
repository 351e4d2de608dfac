// CWaveWriter: a RIFF "WAVE" file with "fmt ", "fact" and "data" chunks.
#include "engine/audio/wave_file.h"

#include <cstring>
#include <vector>

namespace rz {
namespace {

// RIFF header, "fmt " (16 bytes), "fact" (4 bytes), "data" header.
constexpr size_t kHeaderBytes = 12 + 8 + 16 + 8 + 4 + 8;
constexpr uint64_t kFactOffset = 12 + 8 + 16 + 8;
constexpr uint64_t kDataSizeOffset = kHeaderBytes - 4;
constexpr uint32_t kFactUnknown = 0xFFFFFFFF;

std::array<uint8_t, 4> u32Bytes(uint32_t value)
{
    std::array<uint8_t, 4> bytes{};
    PutLe32(bytes.data(), value);
    return bytes;
}

std::vector<uint8_t> headerBytes(const WaveFormat& format)
{
    std::vector<uint8_t> bytes(kHeaderBytes);
    uint8_t* at = bytes.data();
    std::memcpy(at, "RIFF", 4);
    PutLe32(at + 4, uint32_t(kHeaderBytes - 8));
    std::memcpy(at + 8, "WAVEfmt ", 8);
    PutLe32(at + 16, 16);
    const std::array<uint8_t, 16> fmt = FormatChunkBytes(format);
    std::memcpy(at + 20, fmt.data(), fmt.size());
    std::memcpy(at + 36, "fact", 4);
    PutLe32(at + 40, 4);
    PutLe32(at + 44, kFactUnknown);
    std::memcpy(at + 48, "data", 4);
    PutLe32(at + 52, 0);
    return bytes;
}

} // namespace

CWaveWriter::CWaveWriter(uint64_t dataLimit) : m_dataLimit(std::min(dataLimit, kWaveDataLimit))
{
}

CWaveWriter::~CWaveWriter()
{
    std::string ignored;
    Close(ignored);
}

bool CWaveWriter::Create(const std::filesystem::path& path, const WaveFormat& format,
                         std::string& reason)
{
    if (m_file.isOpen()) {
        reason = "a wave file is already being written: " + m_file.path().string();
        return false;
    }
    if (!m_file.create(path, reason))
        return false;
    if (!m_file.write(headerBytes(format), reason)) {
        m_file.discard();
        return false;
    }
    m_format = format;
    m_dataBytes = 0;
    m_droppedBytes = 0;
    return true;
}

bool CWaveWriter::Write(std::span<const uint8_t> bytes, std::string& reason)
{
    if (!m_file.isOpen()) {
        reason = "no wave file is open";
        return false;
    }
    const uint64_t room = m_dataLimit - m_dataBytes;
    const std::span<const uint8_t> taken = bytes.first(size_t(std::min<uint64_t>(room, bytes.size())));
    if (!m_file.write(taken, reason))
        return false;
    m_dataBytes += taken.size();
    if (taken.size() == bytes.size())
        return true;
    m_droppedBytes += bytes.size() - taken.size();
    reason = m_file.path().string() + " is full: a wave file holds at most 4 GiB; "
             + std::to_string(m_droppedBytes) + " bytes dropped";
    return false;
}

bool CWaveWriter::Close(std::string& reason)
{
    if (!m_file.isOpen())
        return true;
    const bool pad = m_dataBytes % 2 == 1;
    const uint32_t riffSize = uint32_t(kHeaderBytes - 8 + m_dataBytes + (pad ? 1 : 0));
    const uint16_t blockAlign = m_format.blockAlign == 0 ? 1 : m_format.blockAlign;
    const uint32_t frames = m_frameCount.value_or(uint32_t(m_dataBytes / blockAlign));
    static constexpr uint8_t kPad[1] = {0};
    const bool written = (!pad || m_file.write(kPad, reason))
                         && m_file.writeAt(kRiffSizeOffset, u32Bytes(riffSize), reason)
                         && m_file.writeAt(kFactOffset, u32Bytes(frames), reason)
                         && m_file.writeAt(kDataSizeOffset, u32Bytes(uint32_t(m_dataBytes)), reason);
    std::string closeReason;
    const bool closed = m_file.close(closeReason);
    if (written && !closed)
        reason = closeReason;
    m_frameCount.reset();
    return written && closed;
}

} // namespace rz
