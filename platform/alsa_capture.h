#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

typedef struct _snd_pcm snd_pcm_t;
typedef struct _snd_mixer snd_mixer_t;

namespace rz {

// Interleaved little-endian PCM as a capture device delivers it.
struct AlsaCaptureFormat {
    uint32_t rate = 44100;      // Hz
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16; // 8 (unsigned) or 16 (signed)
};

// An ALSA PCM capture device read by a thread of its own in periods of a
// tenth of a second, four to the buffer. Open, start and stop on one thread.
class AlsaCapture {
public:
    // Runs on the capture thread with one period's bytes.
    using Deliver = std::function<void(const uint8_t* bytes, size_t size)>;
    // Runs on the capture thread, once, when the device fails or vanishes.
    using Ended = std::function<void(const std::string& error)>;

    AlsaCapture() = default;
    ~AlsaCapture();
    AlsaCapture(const AlsaCapture&) = delete;
    AlsaCapture& operator=(const AlsaCapture&) = delete;

    // Opens the device by its ALSA name in `format`; the rate is the nearest
    // the device offers and is written back. False with the reason.
    bool open(const std::string& device, AlsaCaptureFormat& format, std::string& error);
    // The same for a device defined by ALSA configuration text (tests use the
    // file plugin).
    bool openFromConfig(const std::string& configText, const std::string& device, AlsaCaptureFormat& format,
                        std::string& error);
    // Starts the capture thread.
    bool start(Deliver deliver, Ended ended, std::string& error);
    // Stops the thread and closes the device.
    void stop();
    bool isOpen() const { return m_pcm != nullptr; }
    // Periods lost to overruns so far. Any thread.
    uint64_t overrunCount() const { return m_overruns.load(std::memory_order_relaxed); }

private:
    bool configure(AlsaCaptureFormat& format, std::string& error);
    void run();

    snd_pcm_t* m_pcm = nullptr;
    std::string m_device;
    size_t m_frameBytes = 0;
    size_t m_periodFrames = 0;
    Deliver m_deliver;
    Ended m_ended;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<uint64_t> m_overruns{0};
};

// One capture element of a sound card's mixer (an input line).
struct CaptureMixerElement {
    std::string name;
    bool hasSwitch = false;
    bool hasVolume = false;
    long minVolume = 0;
    long maxVolume = 0;
};

// The capture side of a mixer, so that the input selection is tested
// without a sound card.
class ICaptureMixer {
public:
    virtual ~ICaptureMixer() = default;
    virtual std::vector<CaptureMixerElement> captureElements() const = 0;
    virtual bool setCaptureSwitch(const std::string& name, bool on, std::string& error) = 0;
    virtual bool setCaptureVolume(const std::string& name, long value, std::string& error) = 0;
};

// A mix level's full scale: level / kMixLevelScale of the volume range.
inline constexpr int kMixLevelScale = 10000;

// Switches the element named `inputName` (case ignored) on at `level` and
// every other element off. An unknown name changes nothing and is reported.
bool selectCaptureInput(ICaptureMixer& mixer, const std::string& inputName, int level, std::string& error);

// The mixer of the card a capture device's name points at.
class AlsaCaptureMixer : public ICaptureMixer {
public:
    // The card's mixer, or null (with the reason) when the device names no
    // card or its mixer does not open.
    static std::unique_ptr<AlsaCaptureMixer> open(const std::string& pcmDevice, std::string& error);
    ~AlsaCaptureMixer() override;

    std::vector<CaptureMixerElement> captureElements() const override;
    bool setCaptureSwitch(const std::string& name, bool on, std::string& error) override;
    bool setCaptureVolume(const std::string& name, long value, std::string& error) override;

private:
    explicit AlsaCaptureMixer(snd_mixer_t* mixer) : m_mixer(mixer) {}
    snd_mixer_t* m_mixer;
};

// The control name of the card in an ALSA PCM name ("hw:CARD=PCH" for
// "sysdefault:CARD=PCH"), or empty when it names none.
std::string captureMixerCard(const std::string& pcmDevice);

} // namespace rz
