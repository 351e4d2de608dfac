#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace rz {

// A source the render adds to its mix in any transport state: the audition
// of an audio effect.
class IAudioPreview {
public:
    virtual ~IAudioPreview() = default;
    // Adds up to `frames` frames to the buffers. Audio thread; never waits.
    virtual void mixInto(float* left, float* right, uint32_t frames) = 0;
};

// Where the render finds the preview source. The audio thread marks its use
// around each mix, so once set() has returned no mix reads the old source.
class AudioPreviewSlot {
public:
    // Audio thread; never waits.
    void mix(float* left, float* right, uint32_t frames)
    {
        m_inUse.store(true, std::memory_order_seq_cst);
        if (IAudioPreview* source = m_source.load(std::memory_order_seq_cst))
            source->mixInto(left, right, frames);
        m_inUse.store(false, std::memory_order_release);
    }
    // Any thread but the audio one; null takes the source away.
    void set(IAudioPreview* source);

private:
    std::atomic<IAudioPreview*> m_source{nullptr};
    std::atomic<bool> m_inUse{false};
};

// Stereo frames from one producer thread to the audio thread, lock-free.
// Full: push takes fewer; empty: pop gives fewer. Never allocates.
class AuditionRing {
public:
    static constexpr uint32_t kFrames = 1u << 15; // about 0.7 s at 44100 Hz
    static_assert((kFrames & (kFrames - 1)) == 0, "indices wrap by masking");

    // Producer: how many frames it took.
    uint32_t push(const float* left, const float* right, uint32_t frames);
    // Consumer: adds up to `frames` frames to the buffers; how many it added.
    uint32_t popAdding(float* left, float* right, uint32_t frames);
    uint32_t size() const;
    // Either side, while the other is idle.
    void clear();

private:
    struct Frame {
        float left;
        float right;
    };
    std::array<Frame, kFrames> m_frames{};
    std::atomic<uint32_t> m_read{0};  // free-running; masked on use
    std::atomic<uint32_t> m_write{0};
};

} // namespace rz
