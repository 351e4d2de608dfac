#include "engine/audio/wave_disk_writer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

namespace rz {
namespace {

constexpr size_t kFrameBytes = 4; // 16-bit stereo
// Frames converted on the stack before they go into the ring.
constexpr size_t kConvertFrames = 256;

std::array<uint8_t, CWaveDiskWriter::kHeaderBytes> headerBytes(uint32_t sampleRate)
{
    WaveFormat format;
    format.sampleRate = sampleRate;
    format.bytesPerSecond = sampleRate * format.blockAlign;
    std::array<uint8_t, CWaveDiskWriter::kHeaderBytes> bytes{};
    std::memcpy(bytes.data(), "RIFF", 4);
    std::memcpy(bytes.data() + 8, "WAVEfmt ", 8);
    PutLe32(bytes.data() + 16, 16);
    const std::array<uint8_t, 16> fmt = FormatChunkBytes(format);
    std::memcpy(bytes.data() + 20, fmt.data(), fmt.size());
    std::memcpy(bytes.data() + 36, "data", 4);
    return bytes; // both sizes stay 0 until Close
}

// JACK input may exceed full scale; a sample past it would overflow 16 bits.
int16_t toSample(float x)
{
    const float clamped = x > -1.0f && x < 1.0f ? x : (x >= 1.0f ? 1.0f : (x <= -1.0f ? -1.0f : 0.0f));
    return int16_t(clamped * 32767.0f);
}

} // namespace

std::array<uint8_t, CWaveDiskWriter::kHeaderBytes> engineWaveHeader(uint32_t sampleRate)
{
    return headerBytes(sampleRate);
}

CWaveDiskWriter::CWaveDiskWriter(uint64_t dataLimit)
    : m_ring(new (std::nothrow) uint8_t[kRingBytes]),
      m_ringSize(m_ring ? kRingBytes : 0),
      m_dataLimit(std::min(dataLimit, kWaveDataLimit))
{
    sem_init(&m_wake, 0, 0);
}

CWaveDiskWriter::~CWaveDiskWriter()
{
    std::string ignored;
    Close(ignored);
    sem_destroy(&m_wake);
}

bool CWaveDiskWriter::Open(const std::filesystem::path& path, uint32_t sampleRate, std::string& reason)
{
    std::string ignored;
    Close(ignored);
    if (m_ringSize == 0) {
        reason = "no memory for the recording buffer";
        return false;
    }
    if (!m_file.create(path, reason))
        return false;
    if (!m_file.write(headerBytes(sampleRate), reason)) {
        m_file.discard();
        return false;
    }
    m_dataBytes = 0;
    m_droppedBytes = 0;
    m_writeError.clear();
    m_stop.store(false, std::memory_order_relaxed);
    try {
        m_thread = std::thread([this] { ThreadProc(); });
    } catch (const std::system_error& error) {
        reason = "cannot start the wave writer thread: " + std::string(error.what());
        m_file.discard();
        return false;
    }
    return true;
}

bool CWaveDiskWriter::Close(std::string& reason)
{
    stopThread();
    const bool closed = !m_file.isOpen() || finishFile(reason);
    m_readOffset.store(0, std::memory_order_relaxed);
    m_writeOffset.store(0, std::memory_order_relaxed);
    return closed;
}

void CWaveDiskWriter::stopThread()
{
    if (!m_thread.joinable())
        return;
    m_stop.store(true, std::memory_order_release);
    sem_post(&m_wake);
    m_thread.join();
    // Wake-ups the thread never took would only wake the next one early.
    while (sem_trywait(&m_wake) == 0) {
    }
}

// Patches L - 8 and L - 44 into the header, after a pad byte when the data
// is odd-sized.
bool CWaveDiskWriter::finishFile(std::string& reason)
{
    const bool pad = m_dataBytes % 2 == 1;
    std::array<uint8_t, 4> riffSize{};
    std::array<uint8_t, 4> dataSize{};
    PutLe32(riffSize.data(), uint32_t(kHeaderBytes - 8 + m_dataBytes + (pad ? 1 : 0)));
    PutLe32(dataSize.data(), uint32_t(m_dataBytes));
    static constexpr uint8_t kPad[1] = {0};
    std::string error;
    // Sizes are patched even after a write error, so what did reach the disk
    // still plays.
    const bool written = (!pad || m_file.write(kPad, error))
                         && m_file.writeAt(kRiffSizeOffset, riffSize, error)
                         && m_file.writeAt(CWaveDiskWriter::kDataSizeOffset, dataSize, error);
    std::string closeError;
    const bool closed = m_file.close(closeError);
    if (!m_writeError.empty())
        reason = m_writeError;
    else if (!written)
        reason = error;
    else if (!closed)
        reason = closeError;
    return m_writeError.empty() && written && closed;
}

void CWaveDiskWriter::ThreadProc()
{
    for (;;) {
        while (sem_wait(&m_wake) != 0 && errno == EINTR) {
        }
        const bool stopping = m_stop.load(std::memory_order_acquire);
        drainToFile();
        if (stopping)
            return;
    }
}

void CWaveDiskWriter::drainToFile()
{
    size_t read = m_readOffset.load(std::memory_order_relaxed);
    for (;;) {
        const size_t write = m_writeOffset.load(std::memory_order_acquire);
        if (read == write)
            return;
        const size_t end = read < write ? write : m_ringSize;
        WriteBlock(m_ring.get() + read, end - read);
        read = end == m_ringSize ? 0 : end;
        m_readOffset.store(read, std::memory_order_release);
    }
}

// Writer thread: after a write error, or at the size limit, the rest is
// dropped and counted; the ring keeps draining so the producer goes on.
void CWaveDiskWriter::WriteBlock(const uint8_t* bytes, size_t length)
{
    const size_t taken = m_writeError.empty()
                             ? size_t(std::min<uint64_t>(length, m_dataLimit - m_dataBytes))
                             : 0;
    if (taken > 0 && !m_file.write({bytes, taken}, m_writeError)) {
        m_droppedBytes += length;
        return;
    }
    m_dataBytes += taken;
    m_droppedBytes += length - taken;
}

size_t CWaveDiskWriter::writableBytes() const
{
    if (m_ringSize == 0)
        return 0;
    const size_t write = m_writeOffset.load(std::memory_order_relaxed);
    const size_t read = m_readOffset.load(std::memory_order_acquire);
    return (read + m_ringSize - write - 1) % m_ringSize;
}

// Producer: copies into the ring, wrapping at its end, and publishes.
bool CWaveDiskWriter::copyIn(const uint8_t* bytes, size_t length)
{
    const size_t write = m_writeOffset.load(std::memory_order_relaxed);
    const size_t first = std::min(length, m_ringSize - write);
    std::memcpy(m_ring.get() + write, bytes, first);
    std::memcpy(m_ring.get(), bytes + first, length - first);
    m_writeOffset.store((write + length) % m_ringSize, std::memory_order_release);
    return true;
}

bool CWaveDiskWriter::Append(const void* bytes, size_t length)
{
    if (length == 0)
        return true;
    if (length > writableBytes()) {
        m_overruns.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    copyIn(static_cast<const uint8_t*>(bytes), length);
    sem_post(&m_wake);
    return true;
}

bool CWaveDiskWriter::AppendFloat(const float* left, const float* right, uint32_t frames,
                                  uint32_t channels)
{
    if (channels == 0 || size_t(frames) * kFrameBytes > writableBytes()) {
        m_overruns.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    if (channels < 2)
        right = left;
    std::array<int16_t, kConvertFrames * 2> block;
    for (uint32_t done = 0; done < frames;) {
        const uint32_t count = std::min<uint32_t>(frames - done, kConvertFrames);
        for (uint32_t i = 0; i < count; ++i) {
            block[2 * i] = toSample(left[done + i]);
            block[2 * i + 1] = toSample(right[done + i]);
        }
        copyIn(reinterpret_cast<const uint8_t*>(block.data()), count * kFrameBytes);
        done += count;
    }
    sem_post(&m_wake);
    return true;
}

size_t CWaveDiskWriter::Read(void* buffer, size_t length)
{
    if (m_thread.joinable())
        return 0; // the writer thread is the one consumer while a file is open
    auto* out = static_cast<uint8_t*>(buffer);
    size_t copied = 0;
    size_t read = m_readOffset.load(std::memory_order_relaxed);
    while (copied < length) {
        const size_t write = m_writeOffset.load(std::memory_order_acquire);
        if (read == write)
            break;
        const size_t end = read < write ? write : m_ringSize;
        const size_t count = std::min(length - copied, end - read);
        std::memcpy(out + copied, m_ring.get() + read, count);
        copied += count;
        read = (read + count) % m_ringSize;
        m_readOffset.store(read, std::memory_order_release);
    }
    return copied;
}

} // namespace rz
