#pragma once

#include "platform/audio_alsa_pcm.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace rz {

// Takes what the capture engine recorded, in the capture format, whole
// chunks at a time (the tail at Stop may be shorter). Capture thread; never
// waits.
class IAudioCaptureSink {
public:
    virtual ~IAudioCaptureSink() = default;
    virtual void Deliver(const uint8_t* bytes, size_t size) = 0;
};

// The PCM format captured: interleaved integer samples.
struct CaptureFormat {
    uint32_t sampleRate = 44100;  // Hz
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;  // 8 or 16
};

// The buffered capture engine over an ALSA PCM: a capture thread of its own
// reads whole chunks (an eighth of a second) and hands each to the sink.
class CRtAudioInput {
public:
    explicit CRtAudioInput(IAudioCaptureSink& sink);
    // Closes first.
    ~CRtAudioInput();
    CRtAudioInput(const CRtAudioInput&) = delete;
    CRtAudioInput& operator=(const CRtAudioInput&) = delete;

    // Opens the device in the format. Empty on success, else why. GUI
    // thread, while not capturing.
    std::string Open(const AlsaPcmTarget& target, const CaptureFormat& format);
    // Starts the capture thread; false when not open or already capturing.
    bool Start();
    // Ends capture and hands over what was read of the last chunk. Answers
    // the error that ended capture early, else empty.
    std::string Stop();
    void Close();

    size_t chunkBytes() const { return m_chunkBytes; }
    bool capturing() const { return m_thread.joinable(); }
    // Overruns mended by snd_pcm_recover. Any thread.
    uint64_t recoveredXruns() const { return m_xruns.load(std::memory_order_relaxed); }

    // Bytes a chunk holds for the format: an eighth of a second, or 1024
    // below 8192 bytes a second, in whole frames.
    static size_t ChunkBytesFor(const CaptureFormat& format);

private:
    void CaptureThreadProc();
    bool readIntoChunk(bool tail);

    IAudioCaptureSink& m_sink;
    snd_pcm_t* m_pcm = nullptr;
    size_t m_frameBytes = 0;
    size_t m_chunkBytes = 0;
    std::vector<uint8_t> m_chunk;
    size_t m_filled = 0;           // bytes of the chunk read so far
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    std::atomic<uint64_t> m_xruns{0};
    std::string m_failure;         // the capture thread's until it ends
};

} // namespace rz
