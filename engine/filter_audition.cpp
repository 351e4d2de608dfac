#include "engine/filter_audition.h"

#include "engine/audio_filter.h"
#include "engine/filter_apply.h"
#include "engine/wave_file.h"

#include <chrono>
#include <string>
#include <vector>

namespace rz {

namespace {

constexpr uint32_t kChunkFrames = 1024;
constexpr auto kRingPoll = std::chrono::milliseconds(5);

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
    m_slot->set(this);
    std::vector<float> left(kChunkFrames);
    std::vector<float> right(kChunkFrames);
    const int64_t frames = wave->frameCount();
    int64_t filtered = 0;
    uint32_t pending = 0; // filtered frames not yet in the ring
    uint32_t offset = 0;
    while (!m_stop.load(std::memory_order_relaxed)) {
        if (pending == 0 && filtered < frames) {
            pending = uint32_t(std::min<int64_t>(frames - filtered, kChunkFrames));
            for (uint32_t i = 0; i < pending; ++i) {
                left[i] = float(wave->samples[size_t(2 * (filtered + i))]) / 32768.0f;
                right[i] = float(wave->samples[size_t(2 * (filtered + i) + 1)]) / 32768.0f;
            }
            m_filter.process(left.data(), right.data(), pending);
            filtered += pending;
            offset = 0;
        }
        if (pending > 0) {
            const uint32_t taken = m_ring.push(left.data() + offset, right.data() + offset, pending);
            pending -= taken;
            offset += taken;
            if (pending == 0)
                continue;
        } else if (m_ring.size() == 0) {
            break; // all of it played
        }
        std::this_thread::sleep_for(kRingPoll);
    }
    m_slot->set(nullptr);
    m_filter.stop();
    return m_stop.load(std::memory_order_relaxed) ? kFilterCancelled : 0;
}

} // namespace rz
