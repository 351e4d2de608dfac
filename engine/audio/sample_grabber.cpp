#include "engine/audio/sample_grabber.h"

#include <cstring>
#include <new>

#include "core/ms_clock.h"

namespace rz {

int32_t CSampleGrabberCB::BufferCB(double, const uint8_t* buffer, size_t size)
{
    size_t slotIndex = 0;
    uint64_t generation = 0;
    uint32_t timeMs = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_active)
            return 0;
        const uint32_t now = timeGetTime();
        if (m_received == 0)
            m_firstTimeMs = now;
        timeMs = now - m_firstTimeMs;
        ++m_received;
        m_receivedBytes += size;
        if ((m_write + 1) % kSlots == m_read || m_filling) {
            ++m_dropped;
            return 0;
        }
        slotIndex = m_write;
        generation = m_generation;
        m_filling = slotIndex;
    }
    Slot& slot = m_slots[slotIndex];
    bool stored = true;
    try {
        if (slot.bytes.size() < size)
            slot.bytes.resize(size);
        if (size > 0)
            std::memcpy(slot.bytes.data(), buffer, size);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    std::lock_guard lock(m_mutex);
    m_filling.reset();
    if (!stored || generation != m_generation || !m_active) {
        ++m_dropped;
        return 0;
    }
    slot.size = size;
    slot.timeMs = timeMs;
    m_write = (m_write + 1) % kSlots;
    return 0;
}

bool CSampleGrabberCB::GetNext(const uint8_t** data, size_t* size, uint32_t* timeMs)
{
    std::lock_guard lock(m_mutex);
    if (m_read == m_write)
        return false;
    const Slot& slot = m_slots[m_read];
    if (size)
        *size = slot.size;
    if (timeMs)
        *timeMs = slot.timeMs;
    if (data)
        *data = slot.bytes.data();
    else
        m_read = (m_read + 1) % kSlots;
    return true;
}

void CSampleGrabberCB::Reset(const WaveFormat* format)
{
    std::lock_guard lock(m_mutex);
    m_active = false;
    m_read = 0;
    m_write = 0;
    m_received = 0;
    m_receivedBytes = 0;
    m_dropped = 0;
    ++m_generation;
    for (size_t i = 0; i < kSlots; ++i) {
        if (m_filling == i)
            continue;
        m_slots[i].bytes = {};
        m_slots[i].size = 0;
    }
    if (format) {
        m_format = *format;
        m_active = true;
    }
}

bool CSampleGrabberCB::active() const
{
    std::lock_guard lock(m_mutex);
    return m_active;
}

WaveFormat CSampleGrabberCB::format() const
{
    std::lock_guard lock(m_mutex);
    return m_format;
}

uint64_t CSampleGrabberCB::receivedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

uint64_t CSampleGrabberCB::receivedBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_receivedBytes;
}

uint64_t CSampleGrabberCB::droppedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

} // namespace rz
