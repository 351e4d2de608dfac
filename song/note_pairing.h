#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace rz {

// Notes waiting for their note-off while a chunk is read, as event indices.
// A note-off goes to the oldest waiting note of its channel and key, so each
// (channel, key) is a queue of its own; matching never scans other notes.
class NotePairing {
public:
    NotePairing() { m_head.fill(kNone); m_tail.fill(kNone); }

    void add(uint8_t channel, uint8_t key, uint32_t eventIndex)
    {
        if (m_next.size() <= eventIndex)
            m_next.resize(size_t(eventIndex) + 1 + m_next.size() / 2, kNone);
        m_next[eventIndex] = kNone;
        const size_t slot = slotOf(channel, key);
        if (m_tail[slot] == kNone)
            m_head[slot] = eventIndex;
        else
            m_next[m_tail[slot]] = eventIndex;
        m_tail[slot] = eventIndex;
    }

    // Removes and returns the oldest waiting note of the channel and key;
    // kNone when there is none.
    uint32_t take(uint8_t channel, uint8_t key)
    {
        const size_t slot = slotOf(channel, key);
        const uint32_t index = m_head[slot];
        if (index == kNone)
            return kNone;
        m_head[slot] = m_next[index];
        if (m_head[slot] == kNone)
            m_tail[slot] = kNone;
        return index;
    }

    static constexpr uint32_t kNone = 0xFFFFFFFF;

private:
    static size_t slotOf(uint8_t channel, uint8_t key) { return size_t(channel & 15) * 128 + (key & 127); }

    std::array<uint32_t, 16 * 128> m_head;
    std::array<uint32_t, 16 * 128> m_tail;
    std::vector<uint32_t> m_next; // by event index: the next waiting note of the same slot
};

} // namespace rz
