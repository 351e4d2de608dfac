#pragma once

#include "engine/audio/audio_preview.h"
#include "engine/audio/audio_format.h"
#include "engine/host_time.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace rz {

struct CAudioClip;
class CTrack;
class CWaveDiskWriter;
class IInstrument;
class ISpectrumSink;
struct SequencerPorts;

// The engine's side of the audio engines: the format they run at, the
// host's time and the clips due for them.
struct EngineAudio {
    AudioFormat format;
    HostTimeInfo hostTime;
    std::atomic<bool> passthrough{false};
    std::atomic<double> blockLength{0.0}; // µs
    // Under the AudioMutex: the clips due for the audio engine and their tracks.
    std::vector<CAudioClip*> clipPlayList;
    std::vector<CTrack*> clipTrackList;
    // Audio thread: the song's time as last read, and what the time record
    // remembers between blocks.
    HostTimePosition songTime;
    HostTimeMark hostTimeMark;

    // Instruments render in chunks of at most this many frames.
    static constexpr uint32_t kInstrumentChunk = 1024;
    // The chunk the instruments were last reset for: the device's block up
    // to kInstrumentChunk. Written on the GUI thread under the AudioMutex.
    uint32_t instrumentChunk = kInstrumentChunk;
    // The device's block as its last period notice gave it, frames; 0 none.
    std::atomic<uint32_t> noticedBlockFrames{0};
    // Under the AudioMutex: the open instruments from the last port to the
    // first, and the ports that keep them alive. The audio thread reads this
    // plain list rather than the port snapshot, whose copy takes a mutex.
    std::vector<IInstrument*> instruments;
    std::shared_ptr<const SequencerPorts> instrumentPorts;
    // The audio thread's: one chunk of an instrument's two channels.
    std::vector<float> instrumentScratch = std::vector<float>(2 * kInstrumentChunk);
    // Blocks left silent because the AudioMutex was busy.
    std::atomic<uint64_t> skippedBlocks{0};
    // The take's writer of the low-latency input, and the spectrum display.
    std::atomic<CWaveDiskWriter*> inputSink{nullptr};
    std::atomic<bool> inputSinkInUse{false};
    std::atomic<ISpectrumSink*> spectrum{nullptr};
    // What an effect's audition plays, mixed in whatever the transport does,
    // and whether an audio engine runs to play it.
    AudioPreviewSlot preview;
    std::atomic<bool> enginesOpen{false};
};

} // namespace rz
