#pragma once

#include <cstdint>
#include <vector>

namespace rz {

struct CAudioClip;

// One lane item of the clip and clock-time views: a run of MIDI events or one
// audio clip. The views fill it; the track only searches it by start tick.
struct CTrackItem {
    std::vector<uint16_t> peaks;   // waveform items: one word per 10 ms
    CAudioClip* clip = nullptr;    // not owned: the clip the peaks belong to
    int32_t firstEvent = 0;        // index of the item's first event
    int32_t lastEventTick = 0;
    int32_t start = 0;             // tick; FindClipAtTime searches by it
    int32_t length = 0;            // ticks
    uint32_t stamp = 0;            // the song's stamp when showing selected events
    int32_t mark = 0;              // +1 / -1 while a rubber band passes

    // Frees the owned peak buffer.
    void Release()
    {
        peaks.clear();
        peaks.shrink_to_fit();
    }
};

} // namespace rz
