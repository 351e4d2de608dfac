#pragma once

#include "song/audio_clip.h"
#include "song/lane_items.h"
#include "song/peak_buffer.h"
#include "song/song_doc.h"
#include "tests/song/song_builder.h"

#include <memory>

namespace rz::bench {

// The lane views' dense song: 64 tracks of notes 120 ticks apart, 250,048
// in all, and 64 computed clips.
inline constexpr int kLaneTracks = 64;
inline constexpr int kLaneEventsPerTrack = 3907;
inline constexpr int32_t kLaneStep = 120;
inline constexpr int kLaneClips = 64;

// Adds a waveform track of `clips` 10-s clips, one every 20 measures of
// 4/4 at time base 480, builds the lane items and fills every block of the
// clips' pictures as the overview worker would: the lane views' benchmarks
// then paint waveforms without waiting for it.
inline void addComputedClips(CSongDoc& song, int clips)
{
    CTrack& audio = test::addUserTrack(song);
    audio.type = kWaveTrack;
    for (int c = 0; c < clips; ++c) {
        auto clip = std::make_unique<CAudioClip>();
        clip->fileName = "clip.wav";
        clip->number = 1;
        clip->length = 100'000'000; // 10 s
        clip->loaded = true;
        CMidiEvent event;
        event.tick = c * 20 * 480;
        event.SetClip(std::move(clip));
        audio.events.push_back(std::move(event));
    }
    BuildLaneItems(song);
    for (CTrackItem& item : audio.items) {
        PeakBuffer& peaks = *item.peaks;
        for (size_t b = 0; b < peaks.blocks(); ++b) {
            peaks.request(b);
            uint16_t* entries = peaks.blockData(b);
            for (size_t e = 0; e < peaks.blockEntries(b); ++e)
                entries[e] = uint16_t((e % 127) << 7 | (e * 7 % 127));
            peaks.publish(b);
        }
    }
}

} // namespace rz::bench
