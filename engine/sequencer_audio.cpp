// The audio part: options, format and host time; the engines themselves sit
// behind IAudioEngines. GUI thread.
#include "engine/sequencer.h"

#include "core/muldiv.h"
#include "core/profile.h"

namespace rz {

namespace {

constexpr int kDefaultBlockSize = 2205; // frames
constexpr int kDefaultSampleRate = 44100;
constexpr int kLowLatency = 2;

AudioOptions readAudioOptions(const IProfile& profile)
{
    AudioOptions options;
    options.enabled = profile.readInt("AudioOptions", "RTenable", 0) != 0;
    options.input = profile.readInt("AudioOptions", "RTinput", 0);
    options.output = profile.readInt("AudioOptions", "RToutput", 0);
    const int block = profile.readInt("AudioOptions", "RTbuffer", kDefaultBlockSize);
    const int rate = profile.readInt("AudioOptions", "RTrate", kDefaultSampleRate);
    options.blockSize = uint32_t(block > 0 ? block : kDefaultBlockSize);
    options.sampleRate = uint32_t(rate > 0 ? rate : kDefaultSampleRate);
    options.lowLatencyDriver = profile.readInt("AudioOptions", "RTasio", 0);
    options.inputChannel = profile.readString("AudioOptions", "AsioChnIn", "");
    options.outputChannel = profile.readString("AudioOptions", "AsioChnOut", "");
    options.passthrough = options.enabled && options.input == kLowLatency
                          && profile.readInt("AudioOptions", "Passthrough", 1) != 0;
    return options;
}

AudioFormat pcmFormat(uint32_t rate)
{
    AudioFormat format;
    format.sampleRate = rate;
    format.bytesPerSecond = rate * format.blockAlign;
    return format;
}

HostTimeInfo resetHostTime(uint32_t rate)
{
    HostTimeInfo info;
    info.sampleRate = double(rate);
    return info;
}

} // namespace

void CSequencer::LoadAudioOptions()
{
    CloseAudioEngines();
    const AudioOptions options = readAudioOptions(m_services.profile);
    const int32_t block = MulDiv(int32_t(options.blockSize), 1000000, int32_t(options.sampleRate));
    m_audio.blockLength.store(block > 0 ? double(block) : 0.0, std::memory_order_release);
    m_audio.passthrough = false;
    m_audio.format = pcmFormat(options.sampleRate);
    m_audio.hostTime = resetHostTime(options.sampleRate);
    if (!options.enabled)
        return;
    const uint32_t rate = m_services.audio.open(options);
    if (rate > 0 && rate != options.sampleRate) {
        m_audio.format = pcmFormat(rate);
        m_audio.hostTime.sampleRate = double(rate);
    }
    m_audio.passthrough = options.passthrough;
}

void CSequencer::CloseAudioEngines()
{
    m_services.audio.close();
}

bool CSequencer::ApplyAsioChannelSelection(std::string_view inputChannel,
                                           std::string_view outputChannel)
{
    return m_services.audio.applyChannelSelection(inputChannel, outputChannel);
}

// Without an instrument host no instrument editor is open.
void CSequencer::IdleVstEditors()
{
}

} // namespace rz
