// The audio engines the options ask for, over JACK and ALSA. GUI thread
// unless a function says otherwise.
#include "engine/audio/audio_engines.h"

#include "engine/audio/audio_clip_mix.h"
#include "engine/audio/wave_disk_writer.h"
#include "engine/audio/wave_file.h"
#include "platform/audio_alsa_output.h"
#include "platform/audio_jack.h"

#include <thread>

namespace rz {

namespace {

constexpr int kNamedDevice = 1;
constexpr int kJack = 2;

AlsaPcmTarget alsaTarget(int kind, const std::string& named)
{
    AlsaPcmTarget target;
    if (kind == kNamedDevice && !named.empty())
        target.device = named;
    return target;
}

} // namespace

AudioEngines::AudioEngines() = default;

AudioEngines::~AudioEngines()
{
    close();
}

AudioOpenResult AudioEngines::open(const AudioOptions& options, IAudioRenderer& renderer)
{
    close();
    m_options = options;
    if (options.input != kJack)
        m_input = std::make_unique<CRtAudioInput>(static_cast<IAudioCaptureSink&>(*this));
    return options.output == kJack ? openJack(options, renderer) : openAlsa(options, renderer);
}

// The rate and the period are the server's. Our ports are connected to
// the chosen channels at once; a connection that fails leaves them
// unconnected, and the engine runs.
AudioOpenResult AudioEngines::openJack(const AudioOptions& options, IAudioRenderer& renderer)
{
    AudioOpenResult result{options.sampleRate, options.blockSize, {}};
    m_jack = JackAudioDevice::open(renderer, options.input == kJack, result.error);
    if (!m_jack)
        return result;
    result.sampleRate = m_jack->sampleRate();
    result.blockFrames = m_jack->blockFrames();
    applyChannelSelection(options.inputChannel, options.outputChannel);
    restoreOutsideConnections(options);
    return result;
}

// Connections made outside the program (a patchbay's) would go with the
// old ports, and a take would record silence: a reopen on the same
// channels makes them again.
void AudioEngines::restoreOutsideConnections(const AudioOptions& options)
{
    const bool sameChannels = m_closedConnections && options.input == m_closedOptions.input
                              && options.inputChannel == m_closedOptions.inputChannel
                              && options.outputChannel == m_closedOptions.outputChannel;
    if (sameChannels)
        m_jack->restoreConnections(*m_closedConnections);
    m_closedConnections.reset();
}

AudioOpenResult AudioEngines::openAlsa(const AudioOptions& options, IAudioRenderer& renderer)
{
    m_closedConnections.reset();
    AudioOpenResult result{options.sampleRate, options.blockSize, {}};
    m_output = std::make_unique<CRtAudioOutput>(renderer);
    result.error = m_output->Open(alsaTarget(options.output, options.outputDevice),
                                  options.sampleRate, options.blockSize);
    if (!result.error.empty()) {
        m_output.reset();
        return result;
    }
    result.sampleRate = m_output->sampleRate();
    result.blockFrames = m_output->periodFrames();
    m_output->Play();
    return result;
}

void AudioEngines::close()
{
    if (m_input) {
        m_input->Close();
        m_input.reset();
    }
    m_output.reset();
    if (m_jack && !m_jack->gone()) {
        m_closedConnections = m_jack->connections();
        m_closedOptions = m_options;
    }
    m_jack.reset();
    attachCaptureSink(nullptr);
}

bool AudioEngines::applyChannelSelection(std::string_view input, std::string_view output)
{
    if (!m_jack)
        return false;
    bool connected = m_jack->connectOutputs(output).empty();
    if (m_jack->hasInput())
        connected = m_jack->connectInputs(input).empty() && connected;
    return connected;
}

void AudioEngines::clipTimeToSample(CAudioClip& clip, double time)
{
    TimeToSample(clip, time);
}

bool AudioEngines::startCapture(int formatIndex, std::string& reason)
{
    if (lowLatencyInput())
        return true;
    if (!m_input) {
        reason = "No audio input is open.";
        return false;
    }
    WaveFormat wave;
    WaveFormatFromIndex(uint32_t(formatIndex), wave);
    const CaptureFormat format{wave.sampleRate, wave.channels, wave.bitsPerSample};
    reason = m_input->Open(alsaTarget(m_options.input, m_options.inputDevice), format);
    if (!reason.empty())
        return false;
    if (!m_input->Start()) {
        reason = "Audio capture cannot start.";
        return false;
    }
    return true;
}

// The capture thread marks its use of the writer around each delivery, so
// once the pointer is swapped and no use is marked the old one is free.
void AudioEngines::attachCaptureSink(CWaveDiskWriter* writer)
{
    const CWaveDiskWriter* old = m_captureSink.exchange(writer, std::memory_order_seq_cst);
    if (old == nullptr || old == writer)
        return;
    while (m_captureSinkInUse.load(std::memory_order_seq_cst))
        std::this_thread::yield();
}

void AudioEngines::Deliver(const uint8_t* bytes, size_t size)
{
    m_captureSinkInUse.store(true, std::memory_order_seq_cst);
    if (CWaveDiskWriter* writer = m_captureSink.load(std::memory_order_seq_cst))
        writer->Append(bytes, size);
    m_captureSinkInUse.store(false, std::memory_order_release);
}

std::string AudioEngines::stopCapture()
{
    if (!m_input)
        return {};
    std::string error = m_input->Stop();
    m_input->Close();
    return error;
}

bool AudioEngines::lowLatencyInput() const
{
    return m_jack && m_jack->hasInput();
}

} // namespace rz
