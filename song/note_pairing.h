#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace rz {

// Notes waiting for their note-off while a chunk is read, as event indices.
// A note-off goes to the oldest waiting note of its channel and key, so each
// (channel, key) is a queue of its own; matching never scans other notes.
// Notes an All Notes Off or All Sound Off has silenced wait in a second
// queue: a note-off takes one of them only when no note sounds on its key.
class NotePairing {
public:
    NotePairing()
    {
        for (Queues* queues : {&m_sounding, &m_silenced}) {
            queues->head.fill(kNone);
            queues->tail.fill(kNone);
        }
    }

    // Room for the links of events up to `events`, so they are never copied.
    void reserve(size_t events)
    {
        if (events > m_links)
            grow(events);
    }

    void add(uint8_t channel, uint8_t key, uint32_t eventIndex)
    {
        if (m_links <= eventIndex)
            grow(size_t(eventIndex) + 1 + m_links / 2);
        append(m_sounding, slotOf(channel, key), eventIndex, eventIndex);
    }

    // Removes and returns the oldest sounding note of the channel and key,
    // else the oldest silenced one; kNone when there is neither.
    uint32_t take(uint8_t channel, uint8_t key)
    {
        const size_t slot = slotOf(channel, key);
        const uint32_t index = takeFirst(m_sounding, slot);
        return index != kNone ? index : takeFirst(m_silenced, slot);
    }

    // Moves every sounding note of the channel to the silenced ones, handing
    // each index to `silenced` on the way.
    template <typename Silenced>
    void silence(uint8_t channel, Silenced&& silenced)
    {
        const size_t first = slotOf(channel, 0);
        for (size_t slot = first; slot < first + 128; ++slot) {
            const uint32_t head = m_sounding.head[slot];
            if (head == kNone)
                continue;
            for (uint32_t index = head; index != kNone; index = m_next[index])
                silenced(index);
            append(m_silenced, slot, head, m_sounding.tail[slot]);
            m_sounding.head[slot] = m_sounding.tail[slot] = kNone;
        }
    }

    // Hands every note still sounding (never ended nor silenced) to `end`.
    template <typename End>
    void endSounding(End&& end) const
    {
        for (uint32_t head : m_sounding.head)
            for (uint32_t index = head; index != kNone; index = m_next[index])
                end(index);
    }

    static constexpr uint32_t kNone = 0xFFFFFFFF;

private:
    struct Queues {
        std::array<uint32_t, 16 * 128> head;
        std::array<uint32_t, 16 * 128> tail;
    };

    static size_t slotOf(uint8_t channel, uint8_t key) { return size_t(channel & 15) * 128 + (key & 127); }

    // A link is written when its note is added, before anything reads it, so
    // new room is left unfilled.
    void grow(size_t links)
    {
        auto next = std::make_unique_for_overwrite<uint32_t[]>(links);
        if (m_links > 0)
            std::memcpy(next.get(), m_next.get(), m_links * sizeof(uint32_t));
        m_next = std::move(next);
        m_links = links;
    }

    // Appends the chain first..last (already linked through m_next).
    void append(Queues& queues, size_t slot, uint32_t first, uint32_t last)
    {
        m_next[last] = kNone;
        if (queues.tail[slot] == kNone)
            queues.head[slot] = first;
        else
            m_next[queues.tail[slot]] = first;
        queues.tail[slot] = last;
    }

    uint32_t takeFirst(Queues& queues, size_t slot)
    {
        const uint32_t index = queues.head[slot];
        if (index == kNone)
            return kNone;
        queues.head[slot] = m_next[index];
        if (queues.head[slot] == kNone)
            queues.tail[slot] = kNone;
        return index;
    }

    Queues m_sounding;
    Queues m_silenced;
    std::unique_ptr<uint32_t[]> m_next; // by event index: the next note of the same queue
    size_t m_links = 0;                 // room in m_next
};

} // namespace rz
