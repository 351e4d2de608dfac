#pragma once

#include <cstdint>

namespace rz {

// What an audio device plays: the device hands over two float channel
// buffers of one block, full scale ±1.0, holding `inputChannels` channels of
// captured input (0, 1 or 2; the rest undefined), and plays what they hold on
// return.
class IAudioRenderer {
public:
    virtual ~IAudioRenderer() = default;
    // Audio thread; never waits, never allocates.
    virtual void renderAudio(float* left, float* right, uint32_t frames, uint32_t inputChannels) = 0;
    // The device's blocks are `frames` frames from now on (a server changed
    // its period). A device thread; never waits, never allocates.
    virtual void blockFramesChanged(uint32_t frames) { (void)frames; }
};

} // namespace rz
