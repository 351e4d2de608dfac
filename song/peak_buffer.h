#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace rz {

// The waveform picture of one audio clip: one entry per 10 ms, bits 7-13 the
// largest sample and bits 0-6 the magnitude of the smallest, on a scale of
// 127. Entries come in blocks of 1000 (10 s), each with a state of its own.
//
// Threads: the GUI requests blocks and reads entries of computed blocks; the
// overview worker writes the entries of requested blocks, then publishes the
// block with a release store, so a reader that sees "computed" through an
// acquire load sees the entries too.
class PeakBuffer {
public:
    static constexpr size_t kEntriesPerBlock = 1000;
    static constexpr int64_t kUnitsPerEntry = 100000; // 10 ms in 100-ns units
    enum State : uint8_t { kNone = 0, kRequested = 1, kComputed = 2 };

    // For a clip `length` 100-ns units long; a length of 0 still has 1 entry.
    explicit PeakBuffer(int64_t length);

    static size_t EntriesFor(int64_t length);

    size_t entries() const { return m_entries.size(); }
    size_t blocks() const { return m_blockCount; }
    // Entries of block `block`: 1000, the last one fewer.
    size_t blockEntries(size_t block) const;

    State state(size_t block) const { return State(m_states[block].load(std::memory_order_acquire)); }
    bool computed(size_t block) const { return state(block) == kComputed; }
    // Marks a block not yet asked for as requested; true when it was.
    bool request(size_t block);

    // An entry of a computed block; 0 for any other.
    uint16_t entry(size_t index) const;

    // Worker side: the entries of a block being computed, then its release.
    uint16_t* blockData(size_t block) { return m_entries.data() + block * kEntriesPerBlock; }
    void publish(size_t block) { m_states[block].store(kComputed, std::memory_order_release); }

private:
    std::vector<uint16_t> m_entries;
    size_t m_blockCount = 0;
    std::unique_ptr<std::atomic<uint8_t>[]> m_states;
};

// One entry per `framesPerEntry` frames of both channels into `out`: the
// largest and smallest floor(sample x 127), each clamped to -127..127 and
// starting at 0; max in bits 7-13, -min in bits 0-6.
void ComputePeaks(const float* left, const float* right, size_t framesPerEntry, size_t entries,
                  uint16_t* out);

} // namespace rz
