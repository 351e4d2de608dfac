#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace rz {

class CWaveDiskWriter;

// The wave file a take on a waveform track records into. The GUI thread
// owns it; the playback tick hands the writer to the audio input once the
// count-in is over.
struct TakeWave {
    std::unique_ptr<CWaveDiskWriter> writer;
    // The writer for the playback tick; null while there is none.
    std::atomic<CWaveDiskWriter*> attachable{nullptr};
    std::filesystem::path file;
    uint32_t sampleRate = 0;     // Hz
    std::string captureProblem;  // why capture did not start, else empty
};

// What a take's wave file came to when the take ended.
struct TakeWaveResult {
    std::filesystem::path file;  // empty: no wave was recorded
    uint64_t frames = 0;
    uint32_t sampleRate = 0;
    std::string problem;         // audio lost or not captured, else empty
};

} // namespace rz
