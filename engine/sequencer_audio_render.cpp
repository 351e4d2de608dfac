// The one mix of the audio engines, for every output device. Audio thread.
#include "engine/sequencer.h"

#include "core/spectrum_sink.h"
#include "engine/audio/audio_clip_mix.h"
#include "engine/instrument.h"
#include "engine/audio/wave_disk_writer.h"
#include "song/track.h"

#include <algorithm>
#include <thread>

namespace rz {

namespace {

constexpr float kVolumeScale = 6.103888e-5f; // the float nearest 1 / 16383
constexpr uint32_t kTransportChanged = 1;    // host time flags, bit 0

void clear(float* buffer, uint32_t frames)
{
    std::fill(buffer, buffer + frames, 0.0f);
}

} // namespace

void CSequencer::RenderBlock(float* left, float* right, uint32_t frames)
{
    // The play lists and the instrument list are rebuilt under this lock: a
    // block that cannot have it plays silence rather than read them.
    LockGuard guard = tryGuard(AudioMutex());
    if (!guard) {
        clear(left, frames);
        clear(right, frames);
        m_audio.skippedBlocks.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    // Instruments read the time record while they render this block.
    FillAudioTimeInfo();
    if (transportState() == TransportState::Playing && !countingIn()) {
        const std::vector<CAudioClip*>& clips = m_audio.clipPlayList;
        for (size_t i = clips.size(); i-- > 0;) {
            const CTrack* track = m_audio.clipTrackList[i];
            Mix(*clips[i], {left, right}, frames, track->leftGain, track->rightGain);
        }
    }
    mixInstruments(left, right, frames);
    m_audio.preview.mix(left, right, frames);
    const int volume = masterVolume();
    if (volume < kMaxVolume) {
        const float gain = float(std::max(volume, 0)) * kVolumeScale;
        for (uint32_t i = 0; i < frames; ++i) {
            left[i] *= gain;
            right[i] *= gain;
        }
    }
    m_audio.hostTime.samplePosition += double(frames);
    m_audio.hostTime.flags &= ~kTransportChanged;
}

// Each instrument replaces its outputs, so it renders into scratch chunks
// that are then added; a chunk is never longer than the instruments were
// told, whatever block the device hands over.
void CSequencer::mixInstruments(float* left, float* right, uint32_t frames)
{
    const uint32_t longest = m_audio.instrumentChunk;
    float* scratch[2] = {m_audio.instrumentScratch.data(),
                         m_audio.instrumentScratch.data() + EngineAudio::kInstrumentChunk};
    for (IInstrument* instrument : m_audio.instruments) {
        if (!instrument->isLoaded())
            continue;
        for (uint32_t done = 0; done < frames;) {
            const uint32_t chunk = std::min(frames - done, longest);
            instrument->process(scratch, int(chunk));
            for (uint32_t i = 0; i < chunk; ++i) {
                left[done + i] += scratch[0][i];
                right[done + i] += scratch[1][i];
            }
            done += chunk;
        }
    }
}

void CSequencer::renderAudio(float* left, float* right, uint32_t frames, uint32_t inputChannels)
{
    if (inputChannels < 1)
        clear(left, frames);
    if (inputChannels < 2)
        clear(right, frames);
    if (inputChannels > 0) {
        m_audio.inputSinkInUse.store(true, std::memory_order_seq_cst);
        if (CWaveDiskWriter* sink = m_audio.inputSink.load(std::memory_order_seq_cst))
            sink->AppendFloat(left, right, frames, 2);
        m_audio.inputSinkInUse.store(false, std::memory_order_release);
        if (!passthrough()) {
            clear(left, frames);
            clear(right, frames);
        }
    }
    RenderBlock(left, right, frames);
    if (guiValues().spectrumShown()) {
        if (ISpectrumSink* spectrum = m_audio.spectrum.load(std::memory_order_acquire))
            spectrum->ComputeSpectrum(left, right, frames);
    }
}

// The audio thread marks its use of the sink around each append, so once
// the pointer is swapped and no use is marked, the old writer is free.
void CSequencer::setAudioInputSink(CWaveDiskWriter* writer)
{
    const CWaveDiskWriter* old = m_audio.inputSink.exchange(writer, std::memory_order_seq_cst);
    if (old == nullptr || old == writer)
        return;
    while (m_audio.inputSinkInUse.load(std::memory_order_seq_cst))
        std::this_thread::yield();
}

} // namespace rz
