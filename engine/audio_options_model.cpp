// The "Waveform audio" options as values and rules, apart from the dialog.

#include "engine/audio_options_model.h"

#include "core/ascii_case.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "engine/sequencer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace rz {

namespace {

constexpr std::string_view kSection = "AudioOptions";
constexpr std::string_view kPairJoin = " + ";
constexpr int kDefaultSampleRate = settings::kAudioRate.defaultValue;

constexpr std::array<int, 47> kBlockSizes = {
    11025, 8820, 7350, 6300, 4900, 4410, 3675, 3150, 2940, 2450, 2205, 2100,
    1764, 1575, 1470, 1260, 1225, 1050, 980, 900, 882, 735, 700, 630,
    588, 525, 512, 490, 450, 441, 420, 350, 315, 300, 294, 256,
    252, 245, 225, 210, 196, 180, 175, 150, 147, 128, 64,
};
constexpr std::array<int, 4> kSampleRates = {44100, 48000, 96000, 192000};

int kindOrDefault(int kind)
{
    return kind >= AudioOptionsModel::kDefaultDevice && kind <= AudioOptionsModel::kLowLatency
               ? kind
               : AudioOptionsModel::kDefaultDevice;
}

} // namespace

AudioOptionsModel::AudioOptionsModel(IProfile& profile, IAudioDeviceProbe& probe)
    : m_profile(profile), m_probe(probe)
{
}

void AudioOptionsModel::load()
{
    m_enabled = readSetting(m_profile, settings::kAudioEnable) != 0;
    m_outputKind = kindOrDefault(readSetting(m_profile, settings::kAudioOutput));
    m_inputKind = kindOrDefault(readSetting(m_profile, settings::kAudioInput));
    m_passthrough = readSetting(m_profile, settings::kAudioPassthrough) != 0;
    m_blockSize = readSetting(m_profile, settings::kAudioBuffer);
    const int rate = readSetting(m_profile, settings::kAudioRate);
    const bool listedRate = std::ranges::find(kSampleRates, rate) != kSampleRates.end();
    m_sampleRate = listedRate ? rate : kDefaultSampleRate;
    m_outputDevices = m_probe.devices(false);
    m_inputDevices = m_probe.devices(true);
    m_outputDevice = findDevice(false, readSettingText(m_profile, settings::kAudioOutputDeviceName),
                                readSetting(m_profile, settings::kAudioOutputDevice));
    m_inputDevice = findDevice(true, readSettingText(m_profile, settings::kAudioInputDeviceName),
                               readSetting(m_profile, settings::kAudioInputDevice));
    setOutputKind(m_outputKind);
}

// The stored name wins over the index: the device order changes when cards
// come and go.
int AudioOptionsModel::findDevice(bool capture, std::string_view name, int storedIndex) const
{
    const std::vector<AlsaPcmDevice>& list = devices(capture);
    if (!name.empty()) {
        const auto found = std::ranges::find(list, name, &AlsaPcmDevice::name);
        if (found != list.end())
            return int(found - list.begin());
    }
    return storedIndex >= 0 && storedIndex < int(list.size()) ? storedIndex : 0;
}

void AudioOptionsModel::ok()
{
    writeSetting(m_profile, settings::kAudioLowLatency, 0); // the one JACK server
    writeSetting(m_profile, settings::kAudioEnable, m_enabled ? 1 : 0);
    writeSetting(m_profile, settings::kAudioOutput, m_outputKind);
    writeSetting(m_profile, settings::kAudioInput, m_inputKind);
    writeSetting(m_profile, settings::kAudioOutputDevice, m_outputDevice);
    writeSetting(m_profile, settings::kAudioInputDevice, m_inputDevice);
    writeSetting(m_profile, settings::kAudioPassthrough, m_passthrough ? 1 : 0);
    // The engines size their buffers by it: keep it to the list's range.
    writeSetting(m_profile, settings::kAudioBuffer, std::clamp(m_blockSize, kMinBlockSize, kMaxBlockSize));
    writeSetting(m_profile, settings::kAudioRate, m_sampleRate);
    if (m_outputDevice < int(m_outputDevices.size()))
        writeSettingText(m_profile, settings::kAudioOutputDeviceName, m_outputDevices[size_t(m_outputDevice)].name);
    if (m_inputDevice < int(m_inputDevices.size()))
        writeSettingText(m_profile, settings::kAudioInputDeviceName, m_inputDevices[size_t(m_inputDevice)].name);
    if (m_outputKind == kLowLatency && m_channels.opened) {
        writeSettingText(m_profile, settings::kAudioInputChannel, firstChannelOf(true));
        writeSettingText(m_profile, settings::kAudioOutputChannel, firstChannelOf(false));
    }
}

std::string AudioOptionsModel::firstChannelOf(bool input) const
{
    const int index = channelPair(input);
    if (index <= 0)
        return {};
    const std::string& pair = channelPairs(input)[size_t(index)];
    return pair.substr(0, pair.find(kPairJoin));
}

void AudioOptionsModel::setEnabled(bool enabled)
{
    m_enabled = enabled;
    setOutputKind(m_outputKind);
}

void AudioOptionsModel::setOutputKind(int kind)
{
    m_outputKind = kindOrDefault(kind);
    if (m_enabled && m_outputKind == kLowLatency)
        fillChannels();
    if (m_outputKind < kLowLatency && m_inputKind == kLowLatency)
        m_inputKind = kDefaultDevice;
}

void AudioOptionsModel::setInputKind(int kind)
{
    kind = kindOrDefault(kind);
    // Low-latency input runs on the low-latency output's device only.
    m_inputKind = kind == kLowLatency && m_outputKind != kLowLatency ? kDefaultDevice : kind;
}

AudioOptionsModel::Enabling AudioOptionsModel::enabling() const
{
    Enabling e;
    const bool lowLatencyOut = m_enabled && m_outputKind == kLowLatency;
    const bool lowLatencyBoth = lowLatencyOut && m_inputKind == kLowLatency;
    e.kinds = m_enabled;
    e.lowLatencyInput = lowLatencyOut;
    e.outputDevice = m_enabled && m_outputKind == kSpecificDevice && !m_outputDevices.empty();
    e.inputDevice = m_enabled && m_inputKind == kSpecificDevice && !m_inputDevices.empty();
    e.lowLatencyDriver = lowLatencyOut;
    e.outputChannels = lowLatencyOut && m_channels.opened;
    e.inputChannels = lowLatencyBoth && m_channels.opened;
    e.passthrough = lowLatencyBoth;
    e.blockSize = m_enabled && !serverTimed();
    e.sampleRate = !serverTimed();
    return e;
}

// With JACK the rate and the period are the server's.
bool AudioOptionsModel::serverTimed() const
{
    return m_enabled && m_outputKind == kLowLatency && m_channels.opened;
}

const std::vector<AlsaPcmDevice>& AudioOptionsModel::devices(bool capture) const
{
    return capture ? m_inputDevices : m_outputDevices;
}

void AudioOptionsModel::setDevice(bool capture, int index)
{
    if (index < 0 || index >= int(devices(capture).size()))
        return;
    (capture ? m_inputDevice : m_outputDevice) = index;
}

void AudioOptionsModel::fillChannels()
{
    m_channels = m_probe.openLowLatency(uint32_t(std::clamp(m_blockSize, kMinBlockSize, kMaxBlockSize)));
    m_inputPairs.clear();
    m_outputPairs.clear();
    m_inputPair = 0;
    m_outputPair = 0;
    if (!m_channels.opened)
        return;
    if (m_channels.sampleRate > 0)
        m_sampleRate = int(m_channels.sampleRate);
    if (m_channels.blockFrames > 0)
        m_blockSize = int(m_channels.blockFrames);
    m_inputPairs = pairs(m_channels.inputs);
    m_outputPairs = pairs(m_channels.outputs);
    m_inputPair = findPair(true, readSettingText(m_profile, settings::kAudioInputChannel));
    m_outputPair = findPair(false, readSettingText(m_profile, settings::kAudioOutputChannel));
}

// Channels in pairs 1 + 2, 3 + 4, ...; an odd last channel is not offered.
std::vector<std::string> AudioOptionsModel::pairs(const std::vector<std::string>& ports) const
{
    std::vector<std::string> list{std::string(kNotSpecified)};
    for (size_t i = 0; i + 1 < ports.size(); i += 2)
        list.push_back(ports[i] + std::string(kPairJoin) + ports[i + 1]);
    return list;
}

// The stored value is the pair's first channel, so that is what matches.
int AudioOptionsModel::findPair(bool input, std::string_view firstChannel) const
{
    if (firstChannel.empty())
        return 0;
    const std::vector<std::string>& list = channelPairs(input);
    for (size_t i = 1; i < list.size(); ++i) {
        const std::string_view pair = list[i];
        if (EqualIgnoringAsciiCase(pair.substr(0, pair.find(kPairJoin)), firstChannel))
            return int(i);
    }
    return 0;
}

const std::vector<std::string>& AudioOptionsModel::channelPairs(bool input) const
{
    return input ? m_inputPairs : m_outputPairs;
}

void AudioOptionsModel::setChannelPair(bool input, int index)
{
    if (index < 0 || index >= int(channelPairs(input).size()))
        return;
    (input ? m_inputPair : m_outputPair) = index;
}

std::span<const int> AudioOptionsModel::blockSizes()
{
    return kBlockSizes;
}

std::span<const int> AudioOptionsModel::sampleRates()
{
    return kSampleRates;
}

std::string AudioOptionsModel::blockLabel(int frames, int rate)
{
    char text[64];
    const double ms = rate > 0 ? double(frames) / rate * 1000.0 : 0.0;
    std::snprintf(text, sizeof text, "%d samples (%5.2f msec)", frames, ms);
    return text;
}

int AudioOptionsModel::blockSizeIndex() const
{
    const auto found = std::ranges::find(kBlockSizes, m_blockSize);
    return found == kBlockSizes.end() ? -1 : int(found - kBlockSizes.begin());
}

void AudioOptionsModel::setBlockText(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int value = 0;
    size_t digits = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 9; ++i, ++digits)
        value = value * 10 + (text[i] - '0');
    if (digits > 0)
        m_blockSize = value;
}

void AudioOptionsModel::setSampleRate(int rate)
{
    if (std::ranges::find(kSampleRates, rate) != kSampleRates.end())
        m_sampleRate = rate;
}

void editAudioOptions(CSequencer& engine, IPrompt& prompt, const std::function<void()>& runDialog)
{
    engine.CloseAudioEngines();
    runDialog();
    const std::string reason = engine.LoadAudioOptions();
    if (!reason.empty())
        prompt.message(reason, PromptIcon::Warning);
}

} // namespace rz
