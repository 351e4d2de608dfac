#pragma once

#include <cstdint>

namespace rz {

struct CAudioClip;

// Loads and frees the samples of audio clips; the audio engine implements it.
// GUI thread, except the two drawing calls, which the waveform overview
// worker makes while no edit can change the clip.
class IClipLoader {
public:
    virtual ~IClipLoader() = default;

    // Reads the clip's file into memory; false when it cannot be read, and the
    // clip then stays silent.
    virtual bool loadSamples(CAudioClip& clip) = 0;
    // Frees the clip's samples; the clip keeps its file name and length.
    virtual void releaseSamples(CAudioClip& clip) = 0;

    // One pass of the clip's frames from `firstFrame` into the two channels,
    // full scale +-1.0; slots past the clip's end are zero. Answers the frames
    // read from the clip.
    virtual uint32_t renderForDrawing(const CAudioClip& clip, int64_t firstFrame, float* left, float* right,
                                      uint32_t frames) = 0;
    // The clip's frames per second; 0 while it has no samples.
    virtual uint32_t framesPerSecond(const CAudioClip& clip) = 0;
};

} // namespace rz
