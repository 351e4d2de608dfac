#include "platform/audio_alsa_input.h"

namespace rz {

namespace {

constexpr size_t kSmallChunk = 1024;           // bytes, for slow formats
constexpr uint32_t kSmallRate = 8192;          // bytes a second below which it applies
constexpr int kCapturePriority = 60;

} // namespace

CRtAudioInput::CRtAudioInput(IAudioCaptureSink& sink) : m_sink(sink)
{
}

CRtAudioInput::~CRtAudioInput()
{
    Close();
}

size_t CRtAudioInput::ChunkBytesFor(const CaptureFormat& format)
{
    const size_t frame = size_t(format.channels) * (format.bitsPerSample / 8);
    const uint32_t perSecond = format.sampleRate * uint32_t(frame);
    size_t chunk = (perSecond & ~7u) < kSmallRate ? kSmallChunk : perSecond / 8;
    if (frame > 0)
        chunk -= chunk % frame;
    return chunk;
}

std::string CRtAudioInput::Open(const AlsaPcmTarget& target, const CaptureFormat& format)
{
    Close();
    if (format.channels == 0 || (format.bitsPerSample != 8 && format.bitsPerSample != 16))
        return "The capture format is not 8- or 16-bit PCM.";
    std::string error;
    m_pcm = openAlsaPcm(target, SND_PCM_STREAM_CAPTURE, error);
    if (!m_pcm)
        return error;
    const snd_pcm_format_t pcmFormat =
        format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    const int result = snd_pcm_set_params(m_pcm, pcmFormat, SND_PCM_ACCESS_RW_INTERLEAVED,
                                          format.channels, format.sampleRate, 1, 500000);
    if (result < 0) {
        Close();
        return "The capture device " + target.device + " refuses the format: " + snd_strerror(result);
    }
    m_frameBytes = size_t(format.channels) * (format.bitsPerSample / 8);
    m_chunkBytes = ChunkBytesFor(format);
    m_chunk.assign(m_chunkBytes, 0);
    m_filled = 0;
    return {};
}

bool CRtAudioInput::Start()
{
    if (!m_pcm || m_thread.joinable())
        return false;
    m_quit.store(false, std::memory_order_release);
    m_failure.clear();
    m_filled = 0;
    if (snd_pcm_start(m_pcm) < 0 && snd_pcm_prepare(m_pcm) < 0)
        return false;
    m_thread = std::thread([this] { CaptureThreadProc(); });
    return true;
}

std::string CRtAudioInput::Stop()
{
    if (!m_thread.joinable())
        return {};
    m_quit.store(true, std::memory_order_release);
    m_thread.join();
    if (m_failure.empty() && m_pcm) {
        // What the device holds now, up to the rest of the chunk.
        snd_pcm_nonblock(m_pcm, 1);
        readIntoChunk(true);
        snd_pcm_nonblock(m_pcm, 0);
    }
    if (m_filled > 0)
        m_sink.Deliver(m_chunk.data(), m_filled);
    m_filled = 0;
    if (m_pcm)
        snd_pcm_drop(m_pcm);
    return m_failure;
}

void CRtAudioInput::Close()
{
    Stop();
    if (m_pcm) {
        snd_pcm_close(m_pcm);
        m_pcm = nullptr;
    }
}

// A short read keeps its bytes and waits for the rest of the chunk; only an
// error recovery cannot mend ends the capture.
void CRtAudioInput::CaptureThreadProc()
{
    tryRealtimePriority(kCapturePriority);
    while (!m_quit.load(std::memory_order_acquire)) {
        if (!readIntoChunk(false))
            return;
        if (m_filled == m_chunkBytes) {
            m_sink.Deliver(m_chunk.data(), m_chunkBytes);
            m_filled = 0;
        }
    }
}

// Reads what is left of the chunk; a tail read takes only what is there.
bool CRtAudioInput::readIntoChunk(bool tail)
{
    const snd_pcm_uframes_t wanted = (m_chunkBytes - m_filled) / m_frameBytes;
    const snd_pcm_sframes_t read = snd_pcm_readi(m_pcm, m_chunk.data() + m_filled, wanted);
    if (read >= 0) {
        m_filled += size_t(read) * m_frameBytes;
        return true;
    }
    if (tail || read == -EAGAIN)
        return true;
    const int result = snd_pcm_recover(m_pcm, int(read), 1);
    if (result < 0) {
        m_failure = std::string("Audio capture stopped: ") + snd_strerror(result);
        return false;
    }
    m_xruns.fetch_add(1, std::memory_order_relaxed);
    return true;
}

} // namespace rz
