#pragma once

#include "engine/audio/audio_preview.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <thread>

namespace rz {

class LadspaFilter;

// Plays one wave file through a filter: a worker below normal priority
// filters it into a ring that the render mixes in as its preview source, in
// real time, whatever the transport does.
class AuditionRun : private IAudioPreview {
public:
    // `slot` is the running render's preview slot; null when no audio engine
    // runs.
    AuditionRun(LadspaFilter& filter, AudioPreviewSlot* slot, std::filesystem::path file);
    ~AuditionRun() override;
    AuditionRun(const AuditionRun&) = delete;
    AuditionRun& operator=(const AuditionRun&) = delete;

    void start();
    // Any thread: the worker ends soon after, with kFilterCancelled.
    void stop() { m_stop.store(true, std::memory_order_relaxed); }
    bool done() const { return m_done.load(std::memory_order_acquire); }
    // Waits for the worker: 0 when the file played to its end, else the code.
    int32_t wait();
    int32_t error() const { return m_error.load(std::memory_order_acquire); }
    // Milliseconds the render has played so far. Any thread.
    int64_t playedMs() const;

private:
    void mixInto(float* left, float* right, uint32_t frames) override;
    int32_t play();

    LadspaFilter& m_filter;
    AudioPreviewSlot* m_slot;
    std::filesystem::path m_file;
    AuditionRing m_ring;
    std::atomic<uint64_t> m_played{0}; // frames the render took
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{true};
    std::atomic<int32_t> m_error{0};
    std::thread m_worker;
};

} // namespace rz
