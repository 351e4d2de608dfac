#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include <semaphore.h>

#include "engine/audio/wave_file.h"

namespace rz {

// Records the engine's 16-bit stereo audio to a wave file. One producer (a
// JACK callback or a capture thread) appends to a lock-free ring; a writer
// thread of its own drains the ring to the file. Without a file, a caller
// drains the ring itself with Read.
//
// Producer side: AppendFloat, Append, writableBytes. They never wait, lock
// or allocate: a block that does not fit is dropped at once and counted.
// Consumer side: the writer thread while a file is open, else Read.
// Open and Close: the owner's thread, while no producer is attached.
class CWaveDiskWriter {
public:
    // Five seconds of 44100 Hz 16-bit stereo.
    static constexpr size_t kRingBytes = 882000;
    static constexpr size_t kHeaderBytes = 44;
    // Where that header keeps the size of the "data" chunk.
    static constexpr uint64_t kDataSizeOffset = 40;

    // `dataLimit` is for tests; the default is the RIFF limit.
    explicit CWaveDiskWriter(uint64_t dataLimit = kWaveDataLimit);
    ~CWaveDiskWriter();
    CWaveDiskWriter(const CWaveDiskWriter&) = delete;
    CWaveDiskWriter& operator=(const CWaveDiskWriter&) = delete;

    // Closes any open file, then creates this one with the 44-byte header of
    // 16-bit stereo PCM at `sampleRate` and starts the writer thread. A file
    // that cannot be written whole is removed again.
    bool Open(const std::filesystem::path& path, uint32_t sampleRate, std::string& reason);
    // Stops the writer thread once the ring is drained, patches the sizes and
    // closes the file; fails with the first write error of the recording.
    // Empties the ring. Without a file it only empties the ring.
    bool Close(std::string& reason);
    bool isOpen() const { return m_file.isOpen(); }

    // Producer: stores the frames of the two channel buffers as 16-bit
    // stereo, each sample clamped to ±1.0 and truncated; with one channel,
    // `left` goes to both sides. False, with an overrun counted, when the ring
    // has no room for the whole block.
    bool AppendFloat(const float* left, const float* right, uint32_t frames, uint32_t channels);
    // Producer: stores the bytes as they are; false and an overrun counted
    // when they do not fit.
    bool Append(const void* bytes, size_t length);
    // Producer: bytes the ring can take now.
    size_t writableBytes() const;

    // Consumer without a file: copies up to `length` bytes out of the ring;
    // answers how many.
    size_t Read(void* buffer, size_t length);

    // Blocks dropped because the ring was full. Any thread.
    uint64_t overrunCount() const { return m_overruns.load(std::memory_order_relaxed); }
    // Bytes written to the file so far, and bytes dropped at the size limit
    // or after a write error. Read after Close (or on the owner's thread).
    uint64_t dataBytes() const { return m_dataBytes; }
    uint64_t droppedBytes() const { return m_droppedBytes; }

private:
    void ThreadProc();
    void drainToFile();
    void WriteBlock(const uint8_t* bytes, size_t length);
    bool copyIn(const uint8_t* bytes, size_t length);
    void stopThread();
    bool finishFile(std::string& reason);

    std::unique_ptr<uint8_t[]> m_ring;
    size_t m_ringSize = 0; // 0 when the ring could not be allocated
    alignas(64) std::atomic<size_t> m_readOffset{0};
    alignas(64) std::atomic<size_t> m_writeOffset{0};
    std::atomic<uint64_t> m_overruns{0};

    sem_t m_wake;            // posted by the producer and by Close
    std::atomic<bool> m_stop{false};
    std::thread m_thread;

    // The file side: the writer thread's while it runs, the owner's otherwise.
    WaveOutputFile m_file;
    uint64_t m_dataLimit;
    uint64_t m_dataBytes = 0;
    uint64_t m_droppedBytes = 0;
    std::string m_writeError;
};

// The 44-byte header the writer starts a file with: 16-bit stereo PCM at
// `sampleRate`, both sizes 0 until the file is closed.
std::array<uint8_t, CWaveDiskWriter::kHeaderBytes> engineWaveHeader(uint32_t sampleRate);

} // namespace rz
