#include "song/peak_buffer.h"

#include <algorithm>
#include <cmath>

namespace rz {

PeakBuffer::PeakBuffer(int64_t length)
    : m_entries(EntriesFor(length), 0),
      m_blockCount((m_entries.size() + kEntriesPerBlock - 1) / kEntriesPerBlock),
      m_states(std::make_unique<std::atomic<uint8_t>[]>(m_blockCount))
{
    for (size_t b = 0; b < m_blockCount; ++b)
        m_states[b].store(kNone, std::memory_order_relaxed);
}

size_t PeakBuffer::EntriesFor(int64_t length)
{
    return size_t(std::max<int64_t>(length, 0) / kUnitsPerEntry) + 1;
}

size_t PeakBuffer::blockEntries(size_t block) const
{
    return std::min(kEntriesPerBlock, m_entries.size() - block * kEntriesPerBlock);
}

bool PeakBuffer::request(size_t block)
{
    uint8_t expected = kNone;
    return m_states[block].compare_exchange_strong(expected, kRequested, std::memory_order_acq_rel);
}

uint16_t PeakBuffer::entry(size_t index) const
{
    return computed(index / kEntriesPerBlock) ? m_entries[index] : 0;
}

namespace {

int scaled(float sample)
{
    // Out-of-range samples would spill into the neighbouring bits.
    return std::clamp(int(std::floor(double(sample) * 127.0)), -127, 127);
}

} // namespace

void ComputePeaks(const float* left, const float* right, size_t framesPerEntry, size_t entries,
                  uint16_t* out)
{
    for (size_t e = 0; e < entries; ++e) {
        int high = 0;
        int low = 0;
        const size_t first = e * framesPerEntry;
        for (size_t f = first; f < first + framesPerEntry; ++f) {
            const int l = scaled(left[f]);
            const int r = scaled(right[f]);
            high = std::max({high, l, r});
            low = std::min({low, l, r});
        }
        out[e] = uint16_t(high * 128 - low);
    }
}

} // namespace rz
