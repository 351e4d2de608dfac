#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace rz {

// Decoded samples of a clip; defined and filled by the engine.
class AudioClipSamples;

// The song's record of one piece of waveform audio on a waveform track.
struct CAudioClip {
    std::string fileName;  // path bytes exactly as stored in the song
    int32_t number = 0;
    bool loaded = false;   // samples are in memory
    int64_t length = 0;    // 100-ns units
    // Immutable once filled, so copies of a clip may share it.
    std::shared_ptr<const AudioClipSamples> samples;

    // The part of the file name after its last backslash or slash.
    std::string baseName() const;
};

} // namespace rz
