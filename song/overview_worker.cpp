#include "song/overview_worker.h"

#include <cstddef>
#include <vector>

#include "core/clip_loader.h"
#include "song/audio_clip.h"
#include "song/peak_buffer.h"
#include "song/song_doc.h"
#include "song/track.h"

namespace rz {

OverviewWorker::OverviewWorker(IClipLoader& loader, std::function<void()> blockDone)
    : m_loader(loader), m_blockDone(std::move(blockDone))
{
}

OverviewWorker::~OverviewWorker()
{
    stop();
}

void OverviewWorker::start(const CSongDoc& song)
{
    stop();
    m_song = &song;
    m_wakePending.store(false);
    m_thread = std::jthread([this](std::stop_token token) { run(token); });
}

void OverviewWorker::wake()
{
    // A binary semaphore must not be released twice before it is taken.
    if (!m_wakePending.exchange(true, std::memory_order_acq_rel))
        m_wake.release();
}

void OverviewWorker::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping.store(true, std::memory_order_release);
    m_thread.request_stop();
    wake();
    m_thread.join();
    m_thread = std::jthread();
    // A wake the thread never took would count at the next start.
    if (m_wakePending.exchange(false))
        m_wake.acquire();
    m_stopping.store(false, std::memory_order_release);
}

void OverviewWorker::run(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        m_wake.acquire();
        m_wakePending.store(false, std::memory_order_release);
        if (stop.stop_requested())
            return;
        walk(stop);
    }
}

void OverviewWorker::walk(const std::stop_token& stop)
{
    const auto& tracks = m_song->tracks;
    std::vector<float> left;
    std::vector<float> right;
    for (size_t t = tracks.size() < 2 ? 0 : tracks.size() - 1; t-- > 0;) {
        const CTrack& track = *tracks[t];
        if (track.type != kWaveTrack)
            continue;
        for (size_t i = track.items.size(); i-- > 0;) {
            const CTrackItem& item = track.items[i];
            PeakBuffer* peaks = item.peaks.get();
            if (!item.clip || !peaks || !item.clip->loaded)
                continue;
            const size_t framesPerEntry = m_loader.framesPerSecond(*item.clip) / 100;
            if (framesPerEntry == 0)
                continue;
            for (size_t b = 0; b < peaks->blocks(); ++b) {
                if (stop.stop_requested())
                    return;
                if (peaks->state(b) != PeakBuffer::kRequested)
                    continue;
                const size_t entries = peaks->blockEntries(b);
                const size_t frames = entries * framesPerEntry;
                left.assign(frames, 0.0f);
                right.assign(frames, 0.0f);
                m_loader.renderForDrawing(*item.clip, int64_t(b * PeakBuffer::kEntriesPerBlock * framesPerEntry),
                                          left.data(), right.data(), uint32_t(frames));
                ComputePeaks(left.data(), right.data(), framesPerEntry, entries, peaks->blockData(b));
                peaks->publish(b);
                if (m_blockDone)
                    m_blockDone();
            }
        }
    }
}

} // namespace rz
