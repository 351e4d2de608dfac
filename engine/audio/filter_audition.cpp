#include "engine/audio/filter_audition.h"

#include "engine/audio/audio_filter.h"
#include "engine/audio/filter_apply.h"
#include "engine/audio/wave_file.h"

#include <chrono>
#include <string>
#include <vector>

namespace rz {

namespace {

constexpr uint32_t kChunkFrames = 1024;
constexpr auto kRingPoll = std::chrono::milliseconds(5);

// The file filtered a chunk at a time, ahead of the ring.
class Feed {
public:
    Feed(const AudioClipSamples& wave, LadspaFilter& filter) : m_wave(wave), m_filter(filter) {}

    // Filters the next chunk when none waits, and moves what fits into the
    // ring; false when nothing moved.
    bool pushInto(AuditionRing& ring)
    {
        if (m_pending == 0 && !filterNext())
            return false;
        const uint32_t taken = ring.push(m_left.data() + m_offset, m_right.data() + m_offset, m_pending);
        m_pending -= taken;
        m_offset += taken;
        return taken > 0;
    }
    bool finished() const { return m_pending == 0 && m_filtered >= m_wave.frameCount(); }

private:
    bool filterNext()
    {
        const int64_t left = m_wave.frameCount() - m_filtered;
        if (left <= 0)
            return false;
        m_pending = uint32_t(std::min<int64_t>(left, kChunkFrames));
        const int16_t* samples = m_wave.samples.data() + 2 * m_filtered;
        for (uint32_t i = 0; i < m_pending; ++i) {
            m_left[i] = float(samples[2 * i]) / 32768.0f;
            m_right[i] = float(samples[2 * i + 1]) / 32768.0f;
        }
        m_filter.process(m_left.data(), m_right.data(), m_pending);
        m_filtered += m_pending;
        m_offset = 0;
        return true;
    }

    const AudioClipSamples& m_wave;
    LadspaFilter& m_filter;
    std::vector<float> m_left = std::vector<float>(kChunkFrames);
    std::vector<float> m_right = std::vector<float>(kChunkFrames);
    int64_t m_filtered = 0;
    uint32_t m_pending = 0; // filtered frames not yet in the ring
    uint32_t m_offset = 0;
};

} // namespace

AuditionRun::AuditionRun(LadspaFilter& filter, AudioPreviewSlot* slot, std::filesystem::path file)
    : m_filter(filter), m_slot(slot), m_file(std::move(file))
{
}

AuditionRun::~AuditionRun()
{
    stop();
    wait();
}

void AuditionRun::start()
{
    wait();
    m_stop.store(false, std::memory_order_relaxed);
    m_done.store(false, std::memory_order_release);
    m_worker = std::thread([this] {
        lowerThreadPriority();
        m_error.store(play(), std::memory_order_release);
        m_done.store(true, std::memory_order_release);
    });
}

int32_t AuditionRun::wait()
{
    if (m_worker.joinable())
        m_worker.join();
    return error();
}

int64_t AuditionRun::playedMs() const
{
    const uint32_t rate = m_filter.rate();
    return rate == 0 ? 0 : int64_t(m_played.load(std::memory_order_relaxed) * 1000 / rate);
}

void AuditionRun::mixInto(float* left, float* right, uint32_t frames)
{
    m_played.fetch_add(m_ring.popAdding(left, right, frames), std::memory_order_relaxed);
}

// Filters ahead of the render as far as the ring allows, then waits for the
// render to drain it.
int32_t AuditionRun::play()
{
    if (!m_slot)
        return kFilterNoEngine;
    if (!canOpenFile(m_file))
        return kFilterInputUnreadable;
    std::string reason;
    const auto wave = ReadWaveFile(m_file, m_filter.rate(), reason);
    if (!wave || wave->format.channels != 2)
        return kFilterInputFormat;
    if (!m_filter.start())
        return kFilterNoInstance;
    m_ring.clear();
    m_played.store(0, std::memory_order_relaxed);
    Feed feed{*wave, m_filter};
    // The ring is filled before the render sees it, so playing starts whole.
    while (feed.pushInto(m_ring)) {
    }
    m_slot->set(this);
    while (!m_stop.load(std::memory_order_relaxed)) {
        if (feed.pushInto(m_ring))
            continue;
        if (feed.finished() && m_ring.size() == 0)
            break; // all of it played
        std::this_thread::sleep_for(kRingPoll);
    }
    m_slot->set(nullptr);
    m_filter.stop();
    return m_stop.load(std::memory_order_relaxed) ? kFilterCancelled : 0;
}

} // namespace rz
