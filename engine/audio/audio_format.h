#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rz {

struct CAudioClip;
class CWaveDiskWriter;
class IAudioRenderer;

// The PCM format the audio engines run in: 2 channels of 16 bits.
struct AudioFormat {
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
    uint16_t blockAlign = 4;      // bytes per frame
    uint32_t sampleRate = 44100;  // Hz
    uint32_t bytesPerSecond = 44100 * 4;
};

// The song time handed to hosted instruments.
struct HostTimeInfo {
    double samplePosition = 0.0;
    double sampleRate = 44100.0;
    double tempo = 120.0;         // quarter notes per minute
    int32_t timeSigNumerator = 4;
    int32_t timeSigDenominator = 4;
    int32_t smpteOffset = 0;      // 80ths of a frame
    int32_t smpteFrameRate = 1;   // frame rate code
    uint32_t flags = 0;
    double nanoSeconds = 0.0;     // system time
    double ppqPos = 0.0;          // quarter notes since the song's start
    double barStartPos = 0.0;     // ppqPos of the bar's start
};

// "AudioOptions" as the engines need them.
struct AudioOptions {
    bool enabled = false;         // "RTenable"
    int input = 0;                // "RTinput": 0, 1 buffered capture, 2 low-latency input
    int output = 0;               // "RToutput": 0, 1 buffered output, 2 low-latency output
    uint32_t blockSize = 2205;    // "RTbuffer", frames per block
    uint32_t sampleRate = 44100;  // "RTrate", Hz
    int lowLatencyDriver = 0;     // "RTasio"
    std::string inputChannel;     // "AsioChnIn"
    std::string outputChannel;    // "AsioChnOut"
    bool passthrough = false;     // "Passthrough" with low-latency input
    std::string outputDevice;     // "RTclsid": the ALSA device with "RToutput" 1
    std::string inputDevice;      // "RECclsid": the ALSA device with "RTinput" 1
};

// What opening the engines gave: the device's rate and block length (the
// options' unless a device dictates others), or why they stay silent.
struct AudioOpenResult {
    uint32_t sampleRate = 0;      // Hz
    uint32_t blockFrames = 0;     // frames per block
    std::string error;            // empty when the engines run
};

// The audio part of the engine: the output and capture engines, the render
// worker and the low-latency device. A program without audio engines uses
// NoAudioEngines. GUI thread unless a member says otherwise.
class IAudioEngines {
public:
    virtual ~IAudioEngines() = default;

    // Creates and starts the engines the options ask for, after close();
    // their devices play what `renderer` renders.
    virtual AudioOpenResult open(const AudioOptions& options, IAudioRenderer& renderer) = 0;
    // Stops and deletes every engine; nothing when none runs.
    virtual void close() = 0;
    // The buffered output engine's master gain, 0..1. Any thread.
    virtual void setMasterGain(double gain) = 0;
    // Enables the low-latency channels by name (empty: every channel of that
    // direction); false when no low-latency driver is loaded.
    virtual bool applyChannelSelection(std::string_view input, std::string_view output) = 0;
    // Positions a clip's sample cursor at a time from its start, µs. Timer
    // thread, holding the AudioMutex.
    virtual void clipTimeToSample(CAudioClip& clip, double time) = 0;

    // Opens the capture engine at wave format `formatIndex` and starts it;
    // false, with the reason, when there is none or it fails. Low-latency
    // input needs no capture engine: it answers true.
    virtual bool startCapture(int formatIndex, std::string& reason) = 0;
    // Hands the take's writer to the capture engine (null detaches it); on
    // return after a detach no engine thread touches the old writer. The
    // low-latency input is the sequencer's own and is not routed here.
    virtual void attachCaptureSink(CWaveDiskWriter* writer) = 0;
    // Stops capture, handing over the tail, and closes it; the error that
    // stopped capture early, else empty.
    virtual std::string stopCapture() = 0;
    // The input is the low-latency device's (it renders captured channels).
    virtual bool lowLatencyInput() const = 0;
};

// No audio engines: nothing opens, every call does nothing.
class NoAudioEngines final : public IAudioEngines {
public:
    AudioOpenResult open(const AudioOptions& options, IAudioRenderer&) override
    {
        return {options.sampleRate, options.blockSize, {}};
    }
    void close() override {}               // nothing was opened
    void setMasterGain(double) override {} // no output to scale
    bool applyChannelSelection(std::string_view, std::string_view) override { return false; }
    void clipTimeToSample(CAudioClip&, double) override {} // no clip is loaded
    bool startCapture(int, std::string& reason) override
    {
        reason = "No audio input is open.";
        return false;
    }
    void attachCaptureSink(CWaveDiskWriter*) override {} // nothing captures
    std::string stopCapture() override { return {}; }
    bool lowLatencyInput() const override { return false; }
};

} // namespace rz
