#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "engine/audio/audio_clip_samples.h"
#include "engine/audio/wave_output_file.h"

namespace rz {

// The most sample bytes a RIFF file can hold: every size field is 32 bits.
// Whole 16-bit stereo frames, with room left for the headers and a pad byte.
inline constexpr uint64_t kWaveDataLimit = 0xFFFFFFC0;

// Reads a wave file's samples for the engine: 16-bit PCM (or the PCM
// extensible form), stereo, at `engineRate`. Anything else, and any damaged
// header, answers null with a reason starting with the file's name. A "data"
// chunk is bounded by the file's end, and one sized 0 or 0xFFFFFFFF (a
// recording whose sizes were never written) runs to the end. Nothing is
// allocated from a size before it is checked against the bytes there. Any
// thread but an audio one.
std::shared_ptr<const AudioClipSamples> ReadWaveFile(const std::filesystem::path& path,
                                                     uint32_t engineRate, std::string& reason);
// The same on bytes in memory.
std::shared_ptr<const AudioClipSamples> ReadWaveBytes(std::span<const uint8_t> bytes,
                                                      uint32_t engineRate, std::string& reason);

class WaveSource;

// ReadWaveFile in parts, so a long load can show its progress and stop
// between them. The samples are read in blocks straight into their place,
// each block's memory first touched as it is read. Any thread but an audio
// one; one thread at a time.
class WaveFileLoad {
public:
    // Bytes per read: few calls, and a block still in the cache when its
    // pages are first written and then read into.
    static constexpr size_t kBlockBytes = 4u << 20;

    // Opens the file and reads its headers; null, with the reason starting
    // with the file's name, when ReadWaveFile would refuse it.
    static std::unique_ptr<WaveFileLoad> start(const std::filesystem::path& path, uint32_t engineRate,
                                               std::string& reason);
    ~WaveFileLoad();
    WaveFileLoad(const WaveFileLoad&) = delete;
    WaveFileLoad& operator=(const WaveFileLoad&) = delete;

    // Reads blocks until every sample is in or `until` has passed (at least
    // one block); false, with the reason, when a read failed.
    bool readUntil(std::chrono::steady_clock::time_point until, std::string& reason);
    bool done() const { return m_doneBytes == m_dataBytes; }
    // The share of the samples read, 0..1.
    double fraction() const;
    // Null until done().
    std::shared_ptr<const AudioClipSamples> samples() const;

private:
    friend std::shared_ptr<const AudioClipSamples> ReadWaveBytes(std::span<const uint8_t>, uint32_t,
                                                                 std::string&);
    WaveFileLoad(std::unique_ptr<WaveSource> source, std::string name);
    static std::unique_ptr<WaveFileLoad> begin(std::unique_ptr<WaveSource> source, std::string name,
                                               uint32_t engineRate, std::string& reason);

    std::unique_ptr<WaveSource> m_source;
    std::string m_name; // "<file>: " in front of reasons; empty for bytes
    std::shared_ptr<AudioClipSamples> m_samples;
    uint64_t m_dataOffset = 0;
    uint64_t m_dataBytes = 0;
    uint64_t m_doneBytes = 0;
};

// The engine's PCM formats by index: rate 11025, 22050 or 44100 Hz for
// index / 4 = 0, 1, 2 (an index of 12 or more leaves the rate as it was);
// index % 4 gives 8-bit mono, 8-bit stereo, 16-bit mono, 16-bit stereo. The
// caller sets the format tag.
void WaveFormatFromIndex(uint32_t index, WaveFormat& format);

// The 16 little-endian bytes of a "fmt " chunk body.
std::array<uint8_t, 16> FormatChunkBytes(const WaveFormat& format);

// Writes `value` little-endian, as every RIFF size and field is stored.
void PutLe32(uint8_t* at, uint32_t value);

// Where the RIFF chunk's size sits in every wave file.
inline constexpr uint64_t kRiffSizeOffset = 4;

// Writes a RIFF "WAVE" file: "fmt ", "fact" (the frame count, patched at
// close) and "data". One thread at a time.
class CWaveWriter {
public:
    // `dataLimit` is for tests; the default is the RIFF limit.
    explicit CWaveWriter(uint64_t dataLimit = kWaveDataLimit);
    ~CWaveWriter();
    CWaveWriter(const CWaveWriter&) = delete;
    CWaveWriter& operator=(const CWaveWriter&) = delete;

    // Creates the file with its headers; fails when one is already open. A
    // file that cannot be written whole is removed again.
    bool Create(const std::filesystem::path& path, const WaveFormat& format, std::string& reason);
    // Appends sample bytes. Bytes past the data limit are dropped and
    // counted, the file stays valid, and the call fails with that reason.
    bool Write(std::span<const uint8_t> bytes, std::string& reason);
    // Patches the sizes and the frame count and closes; nothing when none is
    // open.
    bool Close(std::string& reason);

    bool isOpen() const { return m_file.isOpen(); }
    // The frame count "fact" gets; without one, the frames written.
    void setFrameCount(uint32_t frames) { m_frameCount = frames; }
    uint64_t dataBytes() const { return m_dataBytes; }
    uint64_t droppedBytes() const { return m_droppedBytes; }

private:
    WaveOutputFile m_file;
    WaveFormat m_format;
    uint64_t m_dataLimit;
    uint64_t m_dataBytes = 0;
    uint64_t m_droppedBytes = 0;
    std::optional<uint32_t> m_frameCount;
};

// Receives the format of a stream about to be delivered.
class CWaveFormatSink {
public:
    int32_t SetFormat(const WaveFormat& format)
    {
        m_format = format;
        return 0;
    }
    const WaveFormat& format() const { return m_format; }

private:
    WaveFormat m_format;
};

} // namespace rz
