#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "engine/audio/wave_file.h"
#include "engine/audio/wave_output_file.h"
#include "platform/audio_decoder.h"

namespace rz {

// The importer's message for a conversion that could not start; `code` is
// the negative code BuildGraph answered.
std::string WaveConvertorMessage(int32_t code);

// False only for a wave file the engine loads as it is (16-bit stereo at
// `engineRate`); everything else goes through CWaveGrabber.
bool NeedsConversion(const std::filesystem::path& path, uint32_t engineRate);

// Converts any audio file FFmpeg reads into an engine-format wave file
// (16-bit stereo at the engine rate), in steps the importer's progress dialog
// drives. One thread at a time.
class CWaveGrabber {
public:
    // `dataLimit` is for tests; the default is the RIFF limit.
    CWaveGrabber(std::filesystem::path sourcePath, std::filesystem::path targetPath,
                 uint32_t engineRate = 44100, uint64_t dataLimit = kWaveDataLimit);
    // A source in memory, which must outlive the grabber.
    CWaveGrabber(std::span<const uint8_t> sourceBytes, std::filesystem::path targetPath,
                 uint32_t engineRate = 44100, uint64_t dataLimit = kWaveDataLimit);
    ~CWaveGrabber();
    CWaveGrabber(const CWaveGrabber&) = delete;
    CWaveGrabber& operator=(const CWaveGrabber&) = delete;

    // Opens the source and creates the target with its header. 0, or the
    // negative code of the failing step; a failure leaves no target.
    int32_t BuildGraph();
    // Converts for about 50 ms, at most a second of audio. 1 while the conversion runs, with
    // the fraction done (0..1) in *progress; 0 once it has ended.
    int Step(double* progress);
    // Patches the header's sizes and closes the target. The target is
    // complete only after this.
    void Release();

    // The source's length: 1000 ms and 10,000,000 until known.
    uint32_t durationMs() const { return m_durationMs; }
    int64_t durationHns() const { return m_durationHns; }
    uint64_t framesWritten() const { return m_dataBytes / kFrameBytes; }
    // Why the conversion ended before the source did (a decode or write
    // error, the size limit); empty when it ran to the end.
    const std::string& endReason() const { return m_endReason; }

private:
    static constexpr uint64_t kFrameBytes = 4;

    void append(const int16_t* samples, size_t frames);
    void end(std::string reason);
    bool finishTarget(std::string& reason);

    std::filesystem::path m_sourcePath;
    std::span<const uint8_t> m_sourceBytes;
    bool m_fromMemory = false;
    std::filesystem::path m_targetPath;
    uint32_t m_engineRate;
    uint64_t m_dataLimit;

    AudioDecoder m_decoder;
    WaveOutputFile m_target;
    uint64_t m_dataBytes = 0;
    bool m_running = false;
    bool m_stopped = false; // the target takes no more bytes
    std::string m_endReason;
    uint32_t m_durationMs = 1000;
    int64_t m_durationHns = 10'000'000;
};

} // namespace rz
