#include "platform/audio_alsa_output.h"

#include "platform/sample_convert.h"

#include <cmath>

namespace rz {

namespace {

// 16-bit first, as the engine's own format; then what sample_convert writes.
constexpr snd_pcm_format_t kFormats[] = {SND_PCM_FORMAT_S16_LE, SND_PCM_FORMAT_S32_LE,
                                         SND_PCM_FORMAT_S24_3LE, SND_PCM_FORMAT_FLOAT_LE};
constexpr float kGainCeiling = 0.95f;
constexpr float kGainRecovery = 1.005f;
constexpr int kRenderPriority = 70;

// Brings a sample within full scale, dropping the gain so that it just
// reaches it.
float limit(float sample, float& gain)
{
    const float magnitude = std::fabs(sample);
    if (magnitude <= 1.0f)
        return sample;
    gain /= magnitude;
    return sample < 0 ? -1.0f : 1.0f;
}

} // namespace

CRtAudioOutput::CRtAudioOutput(IAudioRenderer& renderer) : m_renderer(renderer)
{
}

CRtAudioOutput::~CRtAudioOutput()
{
    Close();
}

std::string CRtAudioOutput::Open(const AlsaPcmTarget& target, uint32_t sampleRate,
                                 uint32_t periodFrames)
{
    Close();
    std::string error;
    std::string reasons;
    for (snd_pcm_format_t format : kFormats) {
        m_pcm = openAlsaPcm(target, SND_PCM_STREAM_PLAYBACK, error);
        if (!m_pcm)
            return error;
        unsigned rate = sampleRate;
        snd_pcm_uframes_t period = periodFrames;
        error = setAlsaHwParams(m_pcm, format, rate, period);
        if (error.empty()) {
            m_format = format;
            m_sampleType = *SampleTypeOfAlsaFormat(format);
            m_sampleBytes = SampleBytes(m_sampleType);
            m_rate = rate;
            m_period = uint32_t(period);
            break;
        }
        snd_pcm_close(m_pcm);
        m_pcm = nullptr;
    }
    if (!m_pcm)
        return "The audio device " + target.device + " takes none of our formats: " + error;
    m_mix.assign(2 * size_t(m_period), 0.0f);
    m_interleaved.assign(2 * size_t(m_period), 0.0f);
    m_device.assign(2 * size_t(m_period) * m_sampleBytes, 0);
    m_gain = 1.0f;
    return {};
}

bool CRtAudioOutput::Play()
{
    if (!m_pcm || m_thread.joinable())
        return false;
    m_quit.store(false, std::memory_order_release);
    m_failure.clear();
    m_thread = std::thread([this] { RenderThreadProc(); });
    return true;
}

void CRtAudioOutput::StopPlay()
{
    m_quit.store(true, std::memory_order_release);
    if (m_thread.joinable())
        m_thread.join();
}

void CRtAudioOutput::Close()
{
    StopPlay();
    if (m_pcm) {
        snd_pcm_drop(m_pcm);
        snd_pcm_close(m_pcm);
        m_pcm = nullptr;
    }
}

void CRtAudioOutput::RenderThreadProc()
{
    tryRealtimePriority(kRenderPriority);
    while (!m_quit.load(std::memory_order_acquire)) {
        if (!MixAndWriteBlock())
            break;
    }
}

bool CRtAudioOutput::MixAndWriteBlock()
{
    float* left = m_mix.data();
    float* right = left + m_period;
    m_renderer.renderAudio(left, right, m_period, 0);
    WriteBlock();
    return writeFrames(m_device.data(), m_period);
}

// The limiter: the gain drops at once to where the loudest sample just
// reaches full scale and recovers by 0.5 % a block up to 0.95.
void CRtAudioOutput::WriteBlock()
{
    if (m_gain < kGainCeiling)
        m_gain *= kGainRecovery;
    const float* left = m_mix.data();
    const float* right = left + m_period;
    for (uint32_t i = 0; i < m_period; ++i) {
        const float before = m_gain;
        m_interleaved[2 * i] = limit(left[i] * before, m_gain);
        m_interleaved[2 * i + 1] = limit(right[i] * before, m_gain);
    }
    if (m_sampleType == ASIOSTInt16LSB) {
        auto* out = reinterpret_cast<int16_t*>(m_device.data());
        for (size_t i = 0; i < m_interleaved.size(); ++i)
            out[i] = int16_t(m_interleaved[i] * 32767.0f);
    } else {
        ConvertFromFloat(m_sampleType, m_interleaved.data(), m_device.data(), m_interleaved.size());
    }
}

// Underruns are mended and counted; an error recovery cannot mend ends the
// thread with its reason.
bool CRtAudioOutput::writeFrames(const void* bytes, uint32_t frames)
{
    const auto* at = static_cast<const uint8_t*>(bytes);
    const size_t frameBytes = 2 * m_sampleBytes;
    while (frames > 0) {
        const snd_pcm_sframes_t written = snd_pcm_writei(m_pcm, at, frames);
        if (written < 0) {
            const int result = snd_pcm_recover(m_pcm, int(written), 1);
            if (result < 0) {
                m_failure = std::string("audio output failed: ") + snd_strerror(result);
                return false;
            }
            m_xruns.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        at += size_t(written) * frameBytes;
        frames -= uint32_t(written);
    }
    return true;
}

} // namespace rz
