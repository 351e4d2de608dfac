#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "engine/audio/audio_clip_samples.h"

namespace rz {

// The file formats the recorder and the mixer write.
enum class AudioFileFormat : int32_t {
    Wav = 0, // "WAV (uncompressed)"
    Wma = 1, // Windows Media Audio
};

// The result code of a refusal of our own.
inline constexpr int32_t kAudioWriteFailed = int32_t(0x80004005);

// One audio file being written from 16-bit PCM. One thread at a time.
class IAudioFileWriter {
public:
    virtual ~IAudioFileWriter() = default;

    // Creates the file in `format` (codec and format index choose the
    // compressed kind); 0, or a negative code.
    virtual int32_t begin(const std::filesystem::path& path, const WaveFormat& format, int codec,
                          int formatIndex) = 0;
    // Appends `frames` frames of interleaved samples; false with a reason.
    virtual bool write(std::span<const uint8_t> bytes, uint32_t frames, std::string& reason) = 0;
    // Finishes and closes the file; false with a reason.
    virtual bool end(std::string& reason) = 0;
    // Closes without finishing and removes the file.
    virtual void discard() = 0;
    virtual bool isOpen() const = 0;
    // Bytes in the file so far.
    virtual uint64_t fileBytes() const = 0;
    // Why the last begin failed.
    virtual const std::string& beginError() const = 0;
};

std::unique_ptr<IAudioFileWriter> makeAudioFileWriter(AudioFileFormat format);

// ".wma" or ".wav".
const char* audioFileExtension(AudioFileFormat format);

// The engine's output: 16-bit stereo PCM at `sampleRate`.
WaveFormat engineWaveFormat(uint32_t sampleRate);

} // namespace rz
