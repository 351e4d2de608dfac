// The engine's audio input as the song recorder takes it.
#include "engine/song_recorder_input.h"

#include <string>

#include "core/log.h"
#include "engine/audio/audio_format.h"
#include "engine/sequencer.h"
#include "engine/audio/wave_file.h"

namespace rz {
namespace {

constexpr int kCaptureFormat = 11; // 44100 Hz, 16-bit stereo

} // namespace

uint32_t SequencerRecorderInput::sampleRate() const
{
    if (m_audio.lowLatencyInput())
        return m_engine.audioFormat().sampleRate;
    WaveFormat format;
    WaveFormatFromIndex(kCaptureFormat, format);
    return format.sampleRate;
}

bool SequencerRecorderInput::attach(CWaveDiskWriter& sink)
{
    release();
    if (m_audio.lowLatencyInput()) {
        m_engine.setAudioInputSink(&sink);
        m_route = Route::LowLatency;
        return true;
    }
    std::string reason;
    if (!m_audio.startCapture(kCaptureFormat, reason)) {
        writeLog("recorder input: " + reason);
        return false;
    }
    m_audio.attachCaptureSink(&sink);
    m_route = Route::Capture;
    return true;
}

void SequencerRecorderInput::release()
{
    if (m_route == Route::LowLatency) {
        m_engine.setAudioInputSink(nullptr);
    } else if (m_route == Route::Capture) {
        // Capture hands its tail over first; then no engine thread holds the sink.
        const std::string error = m_audio.stopCapture();
        m_audio.attachCaptureSink(nullptr);
        if (!error.empty())
            writeLog("recorder input: " + error);
    }
    m_route = Route::None;
}

} // namespace rz
