#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/audio/sample_grabber.h"
#include "platform/alsa_capture.h"

namespace rz {

class JackCaptureDevice;

// Live capture from an audio input device into a CSampleGrabberCB. The
// devices are the ALSA capture devices, by friendly name, and "JACK" when a
// JACK server answers. Build and tear down on one thread; the captured
// buffers reach the sink on a capture thread.
class CAudioGrabber {
public:
    static constexpr const char* kJackDevice = "JACK";
    // The one input of a device without a mixer.
    static constexpr const char* kDefaultInput = "Default";

    CAudioGrabber();
    ~CAudioGrabber();
    CAudioGrabber(const CAudioGrabber&) = delete;
    CAudioGrabber& operator=(const CAudioGrabber&) = delete;

    // The capture devices' names. Never fails: no sound card lists nothing.
    static std::vector<std::string> DeviceNames();
    // A device's inputs: its card's capture elements, "Default" without a
    // mixer, the pairs of physical JACK capture ports ("a + b") for "JACK".
    static std::vector<std::string> InputNames(const std::string& deviceName);

    // Opens the device (the first one when `deviceName` is empty; an ALSA
    // name is taken as it is) in the sink's stored format, selects the input
    // at `level` (0..10000) and starts delivering to the sink, whose format
    // then says what the device gives; the sink must outlive the capture. 0,
    // or a negative error code with the reason in lastError().
    int32_t BuildGraph(const std::string& deviceName, const std::string& inputName, int level,
                       CSampleGrabberCB& sink);
    // Turns the named input on at `level` and the device's others off; an
    // unknown name is reported and changes nothing.
    int32_t SelectInput(const std::string& inputName, int level);
    // Stops the capture thread and closes the device. 0.
    int32_t Teardown();

    bool running() const { return m_running; }
    const std::string& lastError() const { return m_lastError; }
    // Why the capture ended by itself (the device vanished), or empty. Any thread.
    std::string endError() const;
    // Tests define the ALSA devices by configuration text (the file plugin).
    void setAlsaConfig(std::string configText) { m_alsaConfig = std::move(configText); }
    // The JACK device's two input ports ("client:port"), while it runs.
    std::vector<std::string> jackPortNames() const;

private:
    int32_t fail(int32_t code, std::string reason);
    int32_t buildAlsa(const std::string& device, const std::string& inputName, int level, CSampleGrabberCB& sink);
    int32_t buildJack(const std::string& inputName, CSampleGrabberCB& sink);
    void ended(const std::string& error);

    std::string m_deviceName;
    std::string m_inputName;
    bool m_running = false;
    std::string m_lastError;
    std::string m_alsaConfig;
    AlsaCapture m_alsa;
    std::unique_ptr<ICaptureMixer> m_mixer;
    std::unique_ptr<JackCaptureDevice> m_jack;
    CSampleGrabberCB* m_sink = nullptr;
    uint64_t m_deliveredFrames = 0; // capture thread's
    uint32_t m_frameBytes = 4;
    uint32_t m_rate = 44100;
    mutable std::mutex m_endMutex;
    std::string m_endError;
};

} // namespace rz
