#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/audio/audio_clip_samples.h"

namespace rz {

// Queues the buffers a capture delivers in a ring of 24 slots, from which a
// consumer takes them on its own thread. One producer (the capture thread)
// calls BufferCB; one consumer calls GetNext and Reset. The mutex is held
// only to read or move the indices and sizes, never while either side waits
// or copies: the slot being filled is the producer's alone, the slot handed
// out by GetNext the consumer's until it drops it.
class CSampleGrabberCB {
public:
    static constexpr size_t kSlots = 24;

    CSampleGrabberCB() = default;
    ~CSampleGrabberCB() { Reset(nullptr); }
    CSampleGrabberCB(const CSampleGrabberCB&) = delete;
    CSampleGrabberCB& operator=(const CSampleGrabberCB&) = delete;

    // Producer: queues a copy of the buffer with its arrival time. A full ring
    // drops the buffer at once and counts it; waiting would only lose more
    // while the device overruns. Buffers arriving while inactive are ignored.
    // Always answers 0. Runs on the capture thread; never waits on the consumer.
    int32_t BufferCB(double sampleTime, const uint8_t* buffer, size_t size);

    // Consumer: the oldest buffer, its size and its arrival time in ms since
    // the first buffer, through the non-null pointers, and true; the ring is
    // unchanged, so a second call reports the same slot. Called without
    // `data` it drops the oldest buffer instead. False when empty.
    bool GetNext(const uint8_t** data, size_t* size, uint32_t* timeMs);

    // Consumer: empties the ring, zeroes the counts and frees the slots; with
    // a format, stores it and accepts buffers, without one stops accepting.
    void Reset(const WaveFormat* format);

    bool active() const;
    WaveFormat format() const;
    // Buffers delivered (stored or dropped), their bytes, and those dropped.
    uint64_t receivedCount() const;
    uint64_t receivedBytes() const;
    uint64_t droppedCount() const;

private:
    struct Slot {
        std::vector<uint8_t> bytes; // grows to the largest buffer, never shrinks
        size_t size = 0;
        uint32_t timeMs = 0;
    };

    mutable std::mutex m_mutex;
    std::array<Slot, kSlots> m_slots;
    size_t m_read = 0;  // equal indices: empty; one slot always stays free
    size_t m_write = 0;
    bool m_active = false;
    WaveFormat m_format;
    uint32_t m_firstTimeMs = 0;
    uint64_t m_received = 0;
    uint64_t m_receivedBytes = 0;
    uint64_t m_dropped = 0;
    // Reset while the producer fills a slot: that slot is left alone and the
    // buffer is discarded when the producer comes back.
    uint64_t m_generation = 0;
    std::optional<size_t> m_filling;
};

} // namespace rz
