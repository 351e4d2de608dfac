#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace rz {

// A single-producer, single-consumer ring of plain values. Neither side ever
// waits: a push into a full ring is refused and counted. One thread pushes,
// one thread pops; the counts may be read from anywhere.
template <class T, size_t Capacity>
class SpscRing {
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "a power of two");

public:
    // Producer side.
    bool push(const T& value)
    {
        const size_t head = m_head.load(std::memory_order_relaxed);
        if (head - m_tail.load(std::memory_order_acquire) == Capacity) {
            m_dropped.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        m_slots[head & (Capacity - 1)] = value;
        m_head.store(head + 1, std::memory_order_release);
        return true;
    }
    // Producer side: room for `count` more values.
    bool hasRoomFor(size_t count) const
    {
        return Capacity - (m_head.load(std::memory_order_relaxed) -
                           m_tail.load(std::memory_order_acquire)) >= count;
    }
    // Producer side: counts a value it gave up on without trying to push.
    void countDropped() { m_dropped.fetch_add(1, std::memory_order_relaxed); }

    // Consumer side: the oldest value, or null when empty. Valid until pop().
    const T* front() const
    {
        const size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail == m_head.load(std::memory_order_acquire))
            return nullptr;
        return &m_slots[tail & (Capacity - 1)];
    }
    // Consumer side.
    void pop() { m_tail.store(m_tail.load(std::memory_order_relaxed) + 1, std::memory_order_release); }
    // Consumer side: forgets everything pushed so far.
    void drain() { m_tail.store(m_head.load(std::memory_order_acquire), std::memory_order_release); }

    uint64_t droppedCount() const { return m_dropped.load(std::memory_order_relaxed); }

private:
    std::array<T, Capacity> m_slots{};
    alignas(64) std::atomic<size_t> m_head{0}; // next slot to write
    alignas(64) std::atomic<size_t> m_tail{0}; // next slot to read
    std::atomic<uint64_t> m_dropped{0};
};

} // namespace rz
