#pragma once

#include <cstdint>

#include "song/audio_clip.h"

namespace rz {

// The engine's two float channel buffers of one block, full scale ±1.0;
// two separate arrays, never the same one.
struct ChannelBuffers {
    float* left;
    float* right;
};

// A 16-bit sample at full scale: -32768 is exactly -1.0, 32767 exactly +1.0.
inline float SampleToFloat(int16_t sample)
{
    constexpr float kNegative = 1.0f / 32768.0f;
    constexpr float kPositive = 1.0f / 32767.0f;
    return float(sample) * (sample < 0 ? kNegative : kPositive);
}

// The length of `frames` at `rate`, in 100-ns units, truncated; 0 at rate 0.
int64_t WaveDuration(int64_t frames, uint32_t rate);

inline bool IsLoaded(const CAudioClip& clip)
{
    return clip.loaded;
}

// Frames the clip plays over all its repeats; 0 while unloaded.
int64_t TotalFrames(const CAudioClip& clip);

// Sets the play position for a time since the clip's start (µs). A time at
// or past the clip's end, or an unloaded clip, changes nothing. Timer thread,
// under the AudioMutex.
void TimeToSample(CAudioClip& clip, double microseconds);

// Adds `frames` frames from the play position into the buffers at the gains
// (a mono clip feeds both), each sum clamped to ±1.0, and advances the
// position by `frames` whether or not it lies inside the clip. Audio thread,
// under the AudioMutex; never allocates or waits.
void Mix(CAudioClip& clip, ChannelBuffers buffers, uint32_t frames, float gainLeft, float gainRight);

// Offline rendering on the caller's thread: clears the buffers over `frames`
// when asked, then mixes at unity gain what is left of the clip, up to
// `frames`; answers how many frames that was (0 at the end).
uint32_t Fill(CAudioClip& clip, ChannelBuffers buffers, uint32_t frames, bool clear);

// Moves the play position on by `frames`.
void Advance(CAudioClip& clip, int64_t frames);

// For drawing: stores (does not add) the frames at positions start,
// start + 1, ... into the buffers, buffer index 0 for `start`; positions
// outside the clip leave their slots untouched. Answers how many it stored.
uint32_t Render(const CAudioClip& clip, int64_t start, ChannelBuffers buffers, uint32_t frames);

} // namespace rz
