#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace rz {

class DecoderEngine;

// Decodes the best audio stream of any file FFmpeg reads into 16-bit
// interleaved stereo at one rate, whatever the source holds. Failures are
// negative AVERROR codes. One thread at a time; never on a realtime thread.
// FFmpeg itself is loaded on the first open (platform/codec_module.h).
class AudioDecoder {
public:
    // Receives decoded frames: `frames` stereo frames of interleaved samples.
    using Sink = std::function<void(const int16_t* samples, size_t frames)>;

    enum class Status { More, End, Failed };

    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens the file, finds its audio stream and decoder and sets up the
    // resampler to `outputRate`. 0, or the negative code of the step that failed.
    int open(const std::filesystem::path& path, uint32_t outputRate);
    // The same on bytes in memory, which must outlive the decoder.
    int openMemory(std::span<const uint8_t> bytes, uint32_t outputRate);

    // The source's length in 100-ns units from the container or the stream;
    // 0 when neither says.
    int64_t durationHns() const;

    // Decodes one packet and hands what it gives to `sink`. At the end of the
    // input it flushes the decoder and the resampler and answers End. A
    // corrupt packet is skipped; any other read or decode error answers
    // Failed with the code in lastError().
    Status decodeNext(const Sink& sink);
    int lastError() const { return m_lastError; }

    void close();

private:
    bool makeEngine();

    std::unique_ptr<DecoderEngine> m_engine;
    int m_lastError = 0;
};

// The text of a negative FFmpeg code, for messages and logs.
std::string audioErrorText(int code);

} // namespace rz
