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
    int32_t number = 0;    // times the samples play back to back
    bool loaded = false;   // samples are in memory
    int64_t length = 0;    // one pass, 100-ns units
    // Where the engine plays: frames from the clip's start, counted across
    // repeats, and the pass it is in. Changed under the AudioMutex.
    int64_t position = 0;
    int32_t repeatIndex = 0;
    // Immutable once filled, so copies of a clip may share it.
    std::shared_ptr<const AudioClipSamples> samples;

    // The part of the file name after its last backslash or slash.
    std::string baseName() const;
};

} // namespace rz
