#pragma once

#include "platform/audio_alsa_pcm.h"
#include "platform/audio_renderer.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace rz {

// The buffered audio output over an ALSA PCM: interleaved stereo in S16,
// else S32, S24 in three bytes or float, whichever the device takes first;
// three periods of the length nearest the request. A render thread of its
// own mixes a period through the renderer, limits it and writes it.
class CRtAudioOutput {
public:
    explicit CRtAudioOutput(IAudioRenderer& renderer);
    // Closes first.
    ~CRtAudioOutput();
    CRtAudioOutput(const CRtAudioOutput&) = delete;
    CRtAudioOutput& operator=(const CRtAudioOutput&) = delete;

    // Opens the device at the rate and period nearest the requests; the
    // granted ones are read back below. Empty on success, else why.
    // GUI thread, while no render thread runs.
    std::string Open(const AlsaPcmTarget& target, uint32_t sampleRate, uint32_t periodFrames);
    // Starts the render thread (SCHED_FIFO when granted).
    bool Play();
    // Ends the render thread.
    void StopPlay();
    void Close();

    uint32_t sampleRate() const { return m_rate; }
    uint32_t periodFrames() const { return m_period; }
    // The snd_pcm_format_t in use.
    int alsaFormat() const { return m_format; }

    // One period: mixes it, limits it and writes it; false when the device
    // failed in a way recovery cannot mend. Render thread (tests call it
    // directly without Play, since the test devices do not pace time).
    bool MixAndWriteBlock();
    // The limiter's gain.
    float gain() const { return m_gain; }
    // Underruns mended by snd_pcm_recover. Any thread.
    uint64_t recoveredXruns() const { return m_xruns.load(std::memory_order_relaxed); }
    // Why the render thread stopped early; read after StopPlay.
    const std::string& failure() const { return m_failure; }

private:
    void WriteBlock();
    bool writeFrames(const void* bytes, uint32_t frames);
    void RenderThreadProc();

    IAudioRenderer& m_renderer;
    snd_pcm_t* m_pcm = nullptr;
    int m_format = 0;
    int32_t m_sampleType = 0;
    size_t m_sampleBytes = 0;
    uint32_t m_rate = 0;
    uint32_t m_period = 0;
    float m_gain = 1.0f;
    std::vector<float> m_mix;          // the left channel's frames, then the right's
    std::vector<float> m_interleaved;  // limited, interleaved
    std::vector<uint8_t> m_device;     // in the device's format
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    std::atomic<uint64_t> m_xruns{0};
    std::string m_failure;
};

} // namespace rz
