#include "platform/alsa_capture.h"

#include "core/ascii_case.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <system_error>
#include <vector>

#include <alsa/asoundlib.h>

namespace rz {
namespace {

constexpr unsigned kCapturePeriods = 4;
constexpr unsigned kPeriodsPerSecond = 10;
// How long the thread waits for data before it looks at the stop flag.
constexpr int kWaitMs = 100;

std::string alsaError(const std::string& what, int code)
{
    return what + ": " + snd_strerror(code);
}

} // namespace

AlsaCapture::~AlsaCapture()
{
    stop();
}

bool AlsaCapture::open(const std::string& device, AlsaCaptureFormat& format, std::string& error)
{
    stop();
    const int opened = snd_pcm_open(&m_pcm, device.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (opened < 0) {
        m_pcm = nullptr;
        error = alsaError(device, opened);
        return false;
    }
    m_device = device;
    return configure(format, error);
}

bool AlsaCapture::openFromConfig(const std::string& configText, const std::string& device,
                                 AlsaCaptureFormat& format, std::string& error)
{
    stop();
    snd_config_t* config = nullptr;
    snd_input_t* input = nullptr;
    int result = snd_config_top(&config);
    if (result >= 0)
        result = snd_input_buffer_open(&input, configText.data(), ssize_t(configText.size()));
    if (result >= 0)
        result = snd_config_load(config, input);
    if (input)
        snd_input_close(input);
    if (result >= 0)
        result = snd_pcm_open_lconf(&m_pcm, device.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK, config);
    if (config)
        snd_config_delete(config);
    if (result < 0) {
        m_pcm = nullptr;
        error = alsaError(device, result);
        return false;
    }
    m_device = device;
    return configure(format, error);
}

bool AlsaCapture::configure(AlsaCaptureFormat& format, std::string& error)
{
    const snd_pcm_format_t sampleFormat = format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    unsigned rate = format.rate;
    snd_pcm_uframes_t period = std::max(1u, rate / kPeriodsPerSecond);
    snd_pcm_uframes_t buffer = period * kCapturePeriods;
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    int result = snd_pcm_hw_params_any(m_pcm, hw);
    const char* step = "no configuration";
    if (result >= 0 && (step = "interleaved access", true))
        result = snd_pcm_hw_params_set_access(m_pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (result >= 0 && (step = "sample format", true))
        result = snd_pcm_hw_params_set_format(m_pcm, hw, sampleFormat);
    if (result >= 0 && (step = "channels", true))
        result = snd_pcm_hw_params_set_channels(m_pcm, hw, format.channels);
    if (result >= 0 && (step = "rate", true))
        result = snd_pcm_hw_params_set_rate_near(m_pcm, hw, &rate, nullptr);
    if (result >= 0 && (step = "period size", true))
        result = snd_pcm_hw_params_set_period_size_near(m_pcm, hw, &period, nullptr);
    if (result >= 0 && (step = "buffer size", true))
        result = snd_pcm_hw_params_set_buffer_size_near(m_pcm, hw, &buffer);
    if (result >= 0 && (step = "hardware parameters", true))
        result = snd_pcm_hw_params(m_pcm, hw);
    if (result >= 0 && (step = "prepare", true))
        result = snd_pcm_prepare(m_pcm);
    if (result < 0) {
        error = alsaError(m_device + ": " + step, result);
        snd_pcm_close(m_pcm);
        m_pcm = nullptr;
        return false;
    }
    format.rate = rate;
    m_frameBytes = size_t(format.channels) * format.bitsPerSample / 8;
    m_periodFrames = period;
    return true;
}

bool AlsaCapture::start(Deliver deliver, Ended ended, std::string& error)
{
    if (!m_pcm || m_thread.joinable()) {
        error = "the capture device is not open";
        return false;
    }
    m_deliver = std::move(deliver);
    m_ended = std::move(ended);
    m_stop.store(false, std::memory_order_relaxed);
    const int started = snd_pcm_start(m_pcm);
    if (started < 0) {
        error = alsaError(m_device + ": start", started);
        return false;
    }
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        error = std::string("cannot start the capture thread: ") + e.what();
        return false;
    }
    return true;
}

void AlsaCapture::stop()
{
    m_stop.store(true, std::memory_order_release);
    if (m_thread.joinable())
        m_thread.join();
    if (m_pcm) {
        snd_pcm_drop(m_pcm);
        snd_pcm_close(m_pcm);
        m_pcm = nullptr;
    }
}

// Runs on the capture thread.
void AlsaCapture::run()
{
    std::vector<uint8_t> period(m_periodFrames * m_frameBytes);
    std::string failure;
    while (!m_stop.load(std::memory_order_acquire)) {
        const int ready = snd_pcm_wait(m_pcm, kWaitMs);
        if (ready == 0)
            continue;
        snd_pcm_sframes_t frames = ready < 0 ? ready : snd_pcm_readi(m_pcm, period.data(), m_periodFrames);
        if (frames == -EAGAIN)
            continue;
        if (frames == -EPIPE || frames == -ESTRPIPE) {
            // An overrun loses what the device held; capture goes on.
            m_overruns.fetch_add(1, std::memory_order_relaxed);
            if (frames == -ESTRPIPE)
                while (snd_pcm_resume(m_pcm) == -EAGAIN && !m_stop.load(std::memory_order_acquire))
                    snd_pcm_wait(m_pcm, kWaitMs);
            const int prepared = snd_pcm_prepare(m_pcm);
            frames = prepared < 0 ? prepared : snd_pcm_start(m_pcm);
            if (frames >= 0)
                continue;
        }
        if (frames < 0) {
            failure = alsaError(m_device, int(frames));
            break;
        }
        if (frames == 0) {
            failure = m_device + ": the device delivers no more data";
            break;
        }
        m_deliver(period.data(), size_t(frames) * m_frameBytes);
    }
    if (!failure.empty() && m_ended)
        m_ended(failure);
}

bool selectCaptureInput(ICaptureMixer& mixer, const std::string& inputName, int level, std::string& error)
{
    const std::vector<CaptureMixerElement> elements = mixer.captureElements();
    const auto chosen = std::find_if(elements.begin(), elements.end(), [&](const CaptureMixerElement& e) {
        return EqualIgnoringAsciiCase(e.name, inputName);
    });
    if (chosen == elements.end()) {
        error = "the capture device has no input \"" + inputName + "\"";
        return false;
    }
    const long clamped = std::clamp(level, 0, kMixLevelScale);
    bool done = true;
    for (const CaptureMixerElement& element : elements) {
        const bool on = &element == &*chosen;
        if (element.hasSwitch)
            done &= mixer.setCaptureSwitch(element.name, on, error);
        if (on && element.hasVolume) {
            const long range = element.maxVolume - element.minVolume;
            done &= mixer.setCaptureVolume(element.name, element.minVolume + range * clamped / kMixLevelScale,
                                           error);
        }
    }
    return done;
}

std::string captureMixerCard(const std::string& pcmDevice)
{
    const size_t card = pcmDevice.find("CARD=");
    if (card != std::string::npos) {
        const size_t start = card + 5;
        return "hw:CARD=" + pcmDevice.substr(start, pcmDevice.find(',', start) - start);
    }
    const size_t colon = pcmDevice.find(':');
    if (colon == std::string::npos || colon + 1 >= pcmDevice.size()
        || !std::isdigit(static_cast<unsigned char>(pcmDevice[colon + 1])))
        return {};
    size_t end = colon + 1;
    while (end < pcmDevice.size() && std::isdigit(static_cast<unsigned char>(pcmDevice[end])))
        ++end;
    return "hw:" + pcmDevice.substr(colon + 1, end - colon - 1);
}

namespace {

// Element names; a second element of one name gets its index: "Capture 1".
std::string elementName(snd_mixer_elem_t* element)
{
    std::string name = snd_mixer_selem_get_name(element);
    if (const unsigned index = snd_mixer_selem_get_index(element); index > 0)
        name += " " + std::to_string(index);
    return name;
}

snd_mixer_elem_t* findElement(snd_mixer_t* mixer, const std::string& name)
{
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e; e = snd_mixer_elem_next(e))
        if (snd_mixer_selem_is_active(e) && elementName(e) == name)
            return e;
    return nullptr;
}

} // namespace

std::unique_ptr<AlsaCaptureMixer> AlsaCaptureMixer::open(const std::string& pcmDevice, std::string& error)
{
    const std::string card = captureMixerCard(pcmDevice);
    if (card.empty()) {
        error = pcmDevice + " names no sound card";
        return nullptr;
    }
    snd_mixer_t* mixer = nullptr;
    int result = snd_mixer_open(&mixer, 0);
    if (result >= 0)
        result = snd_mixer_attach(mixer, card.c_str());
    if (result >= 0)
        result = snd_mixer_selem_register(mixer, nullptr, nullptr);
    if (result >= 0)
        result = snd_mixer_load(mixer);
    if (result < 0) {
        if (mixer)
            snd_mixer_close(mixer);
        error = alsaError(card, result);
        return nullptr;
    }
    return std::unique_ptr<AlsaCaptureMixer>(new AlsaCaptureMixer(mixer));
}

AlsaCaptureMixer::~AlsaCaptureMixer()
{
    snd_mixer_close(m_mixer);
}

std::vector<CaptureMixerElement> AlsaCaptureMixer::captureElements() const
{
    std::vector<CaptureMixerElement> elements;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(m_mixer); e; e = snd_mixer_elem_next(e)) {
        if (!snd_mixer_selem_is_active(e))
            continue;
        CaptureMixerElement element;
        element.hasSwitch = snd_mixer_selem_has_capture_switch(e);
        element.hasVolume = snd_mixer_selem_has_capture_volume(e);
        if (!element.hasSwitch && !element.hasVolume)
            continue;
        element.name = elementName(e);
        if (element.hasVolume)
            snd_mixer_selem_get_capture_volume_range(e, &element.minVolume, &element.maxVolume);
        elements.push_back(std::move(element));
    }
    return elements;
}

bool AlsaCaptureMixer::setCaptureSwitch(const std::string& name, bool on, std::string& error)
{
    snd_mixer_elem_t* element = findElement(m_mixer, name);
    const int result = element ? snd_mixer_selem_set_capture_switch_all(element, on ? 1 : 0) : -ENOENT;
    if (result < 0)
        error = alsaError(name, result);
    return result >= 0;
}

bool AlsaCaptureMixer::setCaptureVolume(const std::string& name, long value, std::string& error)
{
    snd_mixer_elem_t* element = findElement(m_mixer, name);
    const int result = element ? snd_mixer_selem_set_capture_volume_all(element, value) : -ENOENT;
    if (result < 0)
        error = alsaError(name, result);
    return result >= 0;
}

} // namespace rz
