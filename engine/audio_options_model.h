#pragma once

#include "platform/alsa_pcm_devices.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSequencer;
class IProfile;
class IPrompt;

// What opening the low-latency (JACK) device for its channel list gave.
struct LowLatencyChannels {
    bool opened = false;
    std::string server;               // the name the driver combo shows
    std::vector<std::string> inputs;  // physical capture ports, in order
    std::vector<std::string> outputs; // physical playback ports, in order
    uint32_t sampleRate = 0;          // the server's, Hz
    uint32_t blockFrames = 0;         // the server's period
};

// The devices the audio options choose among. GUI thread.
class IAudioDeviceProbe {
public:
    virtual ~IAudioDeviceProbe() = default;
    virtual std::vector<AlsaPcmDevice> devices(bool capture) = 0;
    // Opens the low-latency device asking for `blockFrames` (the server may
    // keep its own); the audio engines are closed meanwhile.
    virtual LowLatencyChannels openLowLatency(uint32_t blockFrames) = 0;
};

// The real devices: ALSA's PCM hints and the running JACK server.
class SystemAudioDeviceProbe final : public IAudioDeviceProbe {
public:
    std::vector<AlsaPcmDevice> devices(bool capture) override;
    LowLatencyChannels openLowLatency(uint32_t blockFrames) override;
};

// The "Waveform audio" options: the values, which controls they enable and
// what OK writes to "AudioOptions". The dialog shows it. GUI thread.
class AudioOptionsModel {
public:
    static constexpr int kDefaultDevice = 0;  // "RToutput"/"RTinput" kinds
    static constexpr int kSpecificDevice = 1;
    static constexpr int kLowLatency = 2;
    static constexpr int kMinBlockSize = 64;  // frames; the list's range
    static constexpr int kMaxBlockSize = 11025;
    static constexpr std::string_view kNotSpecified = "Not specified";

    // Which controls take input now.
    struct Enabling {
        bool kinds = false;          // the output and input radios
        bool lowLatencyInput = false; // the "JACK input channels" radio
        bool outputDevice = false;
        bool inputDevice = false;
        bool lowLatencyDriver = false;
        bool outputChannels = false;
        bool inputChannels = false;
        bool passthrough = false;
        bool blockSize = false;
        bool sampleRate = false;
    };

    AudioOptionsModel(IProfile& profile, IAudioDeviceProbe& probe);

    // Reads every value (out-of-range ones as their defaults) and lists the
    // devices; with the low-latency output enabled, opens it for its channels.
    void load();
    // Writes "AudioOptions".
    void ok();

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int outputKind() const { return m_outputKind; }
    // Below kLowLatency, a low-latency input falls back to the default one.
    void setOutputKind(int kind);
    int inputKind() const { return m_inputKind; }
    void setInputKind(int kind);
    bool passthrough() const { return m_passthrough; }
    void setPassthrough(bool on) { m_passthrough = on; }
    Enabling enabling() const;

    const std::vector<AlsaPcmDevice>& devices(bool capture) const;
    int device(bool capture) const { return capture ? m_inputDevice : m_outputDevice; }
    void setDevice(bool capture, int index);

    // The low-latency device: its server, and its channel pairs "a + b"
    // with kNotSpecified first. Reopens the device for the list.
    void fillChannels();
    bool channelsOpen() const { return m_channels.opened; }
    const std::string& server() const { return m_channels.server; }
    const std::vector<std::string>& channelPairs(bool input) const;
    int channelPair(bool input) const { return input ? m_inputPair : m_outputPair; }
    void setChannelPair(bool input, int index);

    // Frames per block; a typed value stands until OK clamps it.
    int blockSize() const { return m_blockSize; }
    static std::span<const int> blockSizes();
    static std::span<const int> sampleRates();
    // "%d samples (%5.2f msec)" at `rate`.
    static std::string blockLabel(int frames, int rate);
    // The list entry of the block size, or -1 for a typed one.
    int blockSizeIndex() const;
    // Takes the leading number of an entry's or the typed text; a text
    // without one changes nothing.
    void setBlockText(std::string_view text);
    int sampleRate() const { return m_sampleRate; }
    void setSampleRate(int rate);

private:
    std::vector<std::string> pairs(const std::vector<std::string>& ports) const;
    int findPair(bool input, std::string_view firstChannel) const;
    int findDevice(bool capture, std::string_view name, int storedIndex) const;
    bool serverTimed() const;
    std::string firstChannelOf(bool input) const;

    IProfile& m_profile;
    IAudioDeviceProbe& m_probe;
    bool m_enabled = false;
    int m_outputKind = kDefaultDevice;
    int m_inputKind = kDefaultDevice;
    int m_outputDevice = 0;
    int m_inputDevice = 0;
    bool m_passthrough = true;
    int m_blockSize = 2205;
    int m_sampleRate = 44100;
    std::vector<AlsaPcmDevice> m_outputDevices;
    std::vector<AlsaPcmDevice> m_inputDevices;
    LowLatencyChannels m_channels;
    std::vector<std::string> m_inputPairs;
    std::vector<std::string> m_outputPairs;
    int m_inputPair = 0;
    int m_outputPair = 0;
};

// Setup > Waveform Audio: the engines stay closed while the dialog runs
// (it opens the JACK device for its channel list) and load the options again
// however it ends; a reason they stay silent is shown. GUI thread.
void editAudioOptions(CSequencer& engine, IPrompt& prompt, const std::function<void()>& runDialog);

} // namespace rz
