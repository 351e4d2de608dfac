#pragma once

#include "engine/audio_stub.h"
#include "engine/host_time.h"

#include <atomic>
#include <vector>

namespace rz {

struct CAudioClip;
class CTrack;

// The engine's side of the audio engines: the format they run at, the
// host's time and the clips due for them.
struct EngineAudio {
    AudioFormat format;
    HostTimeInfo hostTime;
    bool passthrough = false;
    std::atomic<double> blockLength{0.0}; // µs
    // Under the AudioMutex: the clips due for the audio engine and their tracks.
    std::vector<CAudioClip*> clipPlayList;
    std::vector<CTrack*> clipTrackList;
    // Audio thread: the song's time as last read, and what the time record
    // remembers between blocks.
    HostTimePosition songTime;
    HostTimeMark hostTimeMark;
};

} // namespace rz
