#pragma once

#include <cstdint>
#include <memory>

#include "song/peak_buffer.h"

namespace rz {

struct CAudioClip;

// One lane item of the clip and clock-time views: a run of MIDI events or one
// audio clip. The views fill it; the track only searches it by start tick.
struct CTrackItem {
    std::shared_ptr<PeakBuffer> peaks; // waveform items: the clip's picture
    CAudioClip* clip = nullptr;    // not owned: the clip the peaks belong to
    int32_t firstEvent = 0;        // index of the item's first event
    int32_t lastEventTick = 0;
    int32_t start = 0;             // tick; FindClipAtTime searches by it
    int32_t length = 0;            // ticks
    uint32_t stamp = 0;            // the song's stamp when showing selected events
    int32_t mark = 0;              // +1 / -1 while a rubber band passes

    // Lets go of the peak buffer.
    void Release()
    {
        peaks.reset();
        clip = nullptr;
    }
};

} // namespace rz
