#pragma once

#include "engine/audio/audio_format.h"
#include "platform/audio_alsa_input.h"
#include "platform/audio_jack.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace rz {

class CRtAudioInput;
class CRtAudioOutput;

// The real audio engines: "RToutput" 0 or 1 plays through ALSA, 2 through
// JACK; "RTinput" 0 or 1 captures through ALSA, 2 takes JACK's input ports
// (with JACK output only). GUI thread unless a member says otherwise.
class AudioEngines final : public IAudioEngines, private IAudioCaptureSink {
public:
    AudioEngines();
    ~AudioEngines() override;
    AudioEngines(const AudioEngines&) = delete;
    AudioEngines& operator=(const AudioEngines&) = delete;

    AudioOpenResult open(const AudioOptions& options, IAudioRenderer& renderer) override;
    void close() override;
    // The mix applies the master volume; the devices add no gain of their own.
    void setMasterGain(double) override {}
    bool applyChannelSelection(std::string_view input, std::string_view output) override;
    void clipTimeToSample(CAudioClip& clip, double time) override;
    bool startCapture(int formatIndex, std::string& reason) override;
    void attachCaptureSink(CWaveDiskWriter* writer) override;
    std::string stopCapture() override;
    bool lowLatencyInput() const override;

    // For tests and diagnostics.
    JackAudioDevice* jackDevice() const { return m_jack.get(); }
    CRtAudioOutput* alsaOutput() const { return m_output.get(); }

private:
    AudioOpenResult openJack(const AudioOptions& options, IAudioRenderer& renderer);
    AudioOpenResult openAlsa(const AudioOptions& options, IAudioRenderer& renderer);
    void restoreOutsideConnections(const AudioOptions& options);
    // Capture thread: to the attached writer, if any.
    void Deliver(const uint8_t* bytes, size_t size) override;

    AudioOptions m_options;
    std::unique_ptr<JackAudioDevice> m_jack;
    std::unique_ptr<CRtAudioOutput> m_output;
    std::unique_ptr<CRtAudioInput> m_input;
    std::atomic<CWaveDiskWriter*> m_captureSink{nullptr};
    std::atomic<bool> m_captureSinkInUse{false};
    // What our JACK ports were connected to when they closed, and the
    // options they were opened with.
    std::optional<JackAudioDevice::Connections> m_closedConnections;
    AudioOptions m_closedOptions;
};

} // namespace rz
