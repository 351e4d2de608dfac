#include "engine/audio/audio_grabber.h"

#include "core/ascii_case.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "engine/audio/audio_grabber_jack.h"
#include "platform/alsa_pcm_devices.h"

namespace rz {
namespace {

// The ALSA name behind a friendly name; a name no device carries is taken
// as an ALSA name itself.
std::string alsaNameOf(const std::string& deviceName, const std::vector<AlsaPcmDevice>& devices)
{
    for (const AlsaPcmDevice& device : devices)
        if (device.friendlyName == deviceName)
            return device.name;
    return deviceName;
}

WaveFormat pcmFormat(uint32_t rate, uint16_t channels, uint16_t bits)
{
    WaveFormat format;
    format.formatTag = kWaveFormatPcm;
    format.channels = channels;
    format.sampleRate = rate;
    format.bitsPerSample = bits;
    format.blockAlign = uint16_t(bits * channels / 8);
    format.bytesPerSecond = rate * format.blockAlign;
    format.extraSize = 0;
    return format;
}

} // namespace

CAudioGrabber::CAudioGrabber() = default;

CAudioGrabber::~CAudioGrabber()
{
    Teardown();
}

std::vector<std::string> CAudioGrabber::DeviceNames()
{
    std::vector<std::string> names;
    for (const AlsaPcmDevice& device : listAlsaPcmDevices(true))
        if (std::find(names.begin(), names.end(), device.friendlyName) == names.end())
            names.push_back(device.friendlyName);
    if (JackMidiClient::acquire())
        names.push_back(kJackDevice);
    return names;
}

std::vector<std::string> CAudioGrabber::InputNames(const std::string& deviceName)
{
    if (deviceName == kJackDevice) {
        const auto client = JackMidiClient::acquire();
        return client ? JackCaptureDevice::inputPairs(*client) : std::vector<std::string>{};
    }
    std::string error;
    const auto mixer = AlsaCaptureMixer::open(alsaNameOf(deviceName, listAlsaPcmDevices(true)), error);
    std::vector<std::string> names;
    if (mixer)
        for (const CaptureMixerElement& element : mixer->captureElements())
            names.push_back(element.name);
    if (names.empty())
        names.push_back(kDefaultInput);
    return names;
}

int32_t CAudioGrabber::fail(int32_t code, std::string reason)
{
    m_lastError = std::move(reason);
    Teardown();
    return code;
}

int32_t CAudioGrabber::BuildGraph(const std::string& deviceName, const std::string& inputName, int level,
                                  CSampleGrabberCB& sink)
{
    Teardown();
    m_lastError.clear();
    {
        std::lock_guard lock(m_endMutex);
        m_endError.clear();
    }
    m_deviceName = deviceName;
    m_inputName = inputName;
    m_sink = &sink;
    std::string device = deviceName;
    if (device.empty()) {
        const std::vector<std::string> names = DeviceNames();
        if (names.empty())
            return fail(-ENODEV, "there is no audio input device");
        device = names.front();
    }
    const int32_t built = device == kJackDevice ? buildJack(inputName, sink)
                                                : buildAlsa(device, inputName, level, sink);
    if (built == 0)
        m_running = true;
    return built;
}

int32_t CAudioGrabber::buildAlsa(const std::string& device, const std::string& inputName, int level,
                                 CSampleGrabberCB& sink)
{
    const std::string alsaName = m_alsaConfig.empty() ? alsaNameOf(device, listAlsaPcmDevices(true)) : device;
    if (m_alsaConfig.empty()) {
        std::string ignored;
        m_mixer = AlsaCaptureMixer::open(alsaName, ignored);
    }
    if (const int32_t selected = SelectInput(inputName, level); selected < 0)
        return fail(selected, m_lastError);

    const WaveFormat wanted = sink.format();
    AlsaCaptureFormat format;
    format.rate = wanted.sampleRate;
    format.channels = wanted.channels;
    format.bitsPerSample = wanted.bitsPerSample == 8 ? 8 : 16;
    std::string error;
    const bool opened = m_alsaConfig.empty() ? m_alsa.open(alsaName, format, error)
                                             : m_alsa.openFromConfig(m_alsaConfig, alsaName, format, error);
    if (!opened)
        return fail(-EIO, error);
    const WaveFormat actual = pcmFormat(format.rate, format.channels, format.bitsPerSample);
    sink.Reset(&actual);
    m_rate = actual.sampleRate;
    m_frameBytes = actual.blockAlign;
    m_deliveredFrames = 0;
    const bool started = m_alsa.start(
        [this](const uint8_t* bytes, size_t size) {
            m_sink->BufferCB(double(m_deliveredFrames) / m_rate, bytes, size);
            m_deliveredFrames += size / m_frameBytes;
        },
        [this](const std::string& reason) { ended(reason); }, error);
    return started ? 0 : fail(-EIO, error);
}

int32_t CAudioGrabber::buildJack(const std::string& inputName, CSampleGrabberCB& sink)
{
    auto client = JackMidiClient::acquire();
    if (!client)
        return fail(-ENODEV, "no JACK server answers");
    m_jack = std::make_unique<JackCaptureDevice>(std::move(client));
    const WaveFormat actual = pcmFormat(m_jack->sampleRate(), 2, 16);
    sink.Reset(&actual);
    m_rate = actual.sampleRate;
    m_frameBytes = actual.blockAlign;
    m_deliveredFrames = 0;
    std::string error;
    const bool started = m_jack->start(
        inputName,
        [this](const uint8_t* bytes, size_t size) {
            m_sink->BufferCB(double(m_deliveredFrames) / m_rate, bytes, size);
            m_deliveredFrames += size / m_frameBytes;
        },
        [this](const std::string& reason) { ended(reason); }, error);
    return started ? 0 : fail(-EIO, error);
}

int32_t CAudioGrabber::SelectInput(const std::string& inputName, int level)
{
    if (m_jack || (m_mixer && inputName.empty()))
        return 0; // a JACK pair is chosen when its ports are connected
    if (!m_mixer) {
        if (inputName.empty() || EqualIgnoringAsciiCase(inputName, kDefaultInput))
            return 0;
        m_lastError = "the capture device has no input \"" + inputName + "\"";
        return -ENOENT;
    }
    std::string error;
    if (!selectCaptureInput(*m_mixer, inputName, level, error)) {
        m_lastError = error;
        return -ENOENT;
    }
    m_inputName = inputName;
    return 0;
}

int32_t CAudioGrabber::Teardown()
{
    m_alsa.stop();
    if (m_jack)
        m_jack->stop();
    m_jack.reset();
    m_mixer.reset();
    m_running = false;
    return 0;
}

// Runs on the capture thread.
void CAudioGrabber::ended(const std::string& error)
{
    std::lock_guard lock(m_endMutex);
    m_endError = error;
}

std::string CAudioGrabber::endError() const
{
    std::lock_guard lock(m_endMutex);
    return m_endError;
}

std::vector<std::string> CAudioGrabber::jackPortNames() const
{
    return m_jack ? m_jack->portNames() : std::vector<std::string>{};
}

} // namespace rz
