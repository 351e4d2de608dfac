#pragma once

#include "engine/audio/song_recorder.h"

namespace rz {

class CSequencer;
class IAudioEngines;

// The recorder's input from the engine: the low-latency device's captured
// channels, or else the buffered capture engine opened at 44100 Hz 16-bit
// stereo. GUI thread.
class SequencerRecorderInput final : public IRecorderInput {
public:
    SequencerRecorderInput(CSequencer& engine, IAudioEngines& audio) : m_engine(engine), m_audio(audio) {}
    ~SequencerRecorderInput() override { release(); }
    SequencerRecorderInput(const SequencerRecorderInput&) = delete;
    SequencerRecorderInput& operator=(const SequencerRecorderInput&) = delete;

    uint32_t sampleRate() const override;
    bool attach(CWaveDiskWriter& sink) override;
    void release() override;

private:
    enum class Route { None, LowLatency, Capture };

    CSequencer& m_engine;
    IAudioEngines& m_audio;
    Route m_route = Route::None;
};

} // namespace rz
