#include "engine/audio/audio_preview.h"

#include <algorithm>
#include <thread>

namespace rz {

void AudioPreviewSlot::set(IAudioPreview* source)
{
    const IAudioPreview* old = m_source.exchange(source, std::memory_order_seq_cst);
    if (old == nullptr || old == source)
        return;
    while (m_inUse.load(std::memory_order_seq_cst))
        std::this_thread::yield();
}

uint32_t AuditionRing::push(const float* left, const float* right, uint32_t frames)
{
    const uint32_t write = m_write.load(std::memory_order_relaxed);
    const uint32_t read = m_read.load(std::memory_order_acquire);
    const uint32_t count = std::min(frames, kFrames - (write - read));
    for (uint32_t i = 0; i < count; ++i)
        m_frames[(write + i) & (kFrames - 1)] = {left[i], right[i]};
    m_write.store(write + count, std::memory_order_release);
    return count;
}

uint32_t AuditionRing::popAdding(float* left, float* right, uint32_t frames)
{
    const uint32_t read = m_read.load(std::memory_order_relaxed);
    const uint32_t write = m_write.load(std::memory_order_acquire);
    const uint32_t count = std::min(frames, write - read);
    for (uint32_t i = 0; i < count; ++i) {
        const Frame& frame = m_frames[(read + i) & (kFrames - 1)];
        left[i] += frame.left;
        right[i] += frame.right;
    }
    m_read.store(read + count, std::memory_order_release);
    return count;
}

uint32_t AuditionRing::size() const
{
    return m_write.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
}

void AuditionRing::clear()
{
    m_read.store(m_write.load(std::memory_order_acquire), std::memory_order_release);
}

} // namespace rz
