#pragma once

namespace rz {

struct CAudioClip;

// Loads and frees the samples of audio clips; the audio engine implements it.
// GUI thread.
class IClipLoader {
public:
    virtual ~IClipLoader() = default;

    // Reads the clip's file into memory; false when it cannot be read, and the
    // clip then stays silent.
    virtual bool loadSamples(CAudioClip& clip) = 0;
    // Frees the clip's samples; the clip keeps its file name and length.
    virtual void releaseSamples(CAudioClip& clip) = 0;
};

} // namespace rz
