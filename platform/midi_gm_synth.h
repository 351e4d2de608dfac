#pragma once

#include "platform/midi_out_device.h"
#include "platform/midi_ring.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <span>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;

namespace rz {

class SoundFontBanks;

inline constexpr const char* kGmSynthName = "Built-in GM Synth";
// The JACK client name of the synthesizer's audio output.
inline constexpr const char* kGmSynthJackName = "DEVU Rizoraz GM Synth";
inline constexpr double kGmSynthSampleRate = 44100.0;

// Where a General MIDI SoundFont is looked for, in order of preference.
std::vector<std::filesystem::path> defaultGmSoundFonts();
// The first of `candidates` that is a regular file.
std::optional<std::filesystem::path> findGmSoundFont(
    const std::vector<std::filesystem::path>& candidates);

struct GmSynthOptions {
    std::filesystem::path soundFont;
    // No audio driver: the caller renders with render().
    bool driverless = false;
    // Audio drivers to try in order; empty for "jack" when a JACK server
    // answers, then "pulseaudio", then "alsa".
    std::vector<std::string> drivers;
    // The bank registry whose items the synthesizer plays: the device
    // attaches to it while it lives and keeps it alive. Null: only soundFont.
    std::shared_ptr<SoundFontBanks> banks;
};

// The built-in software General MIDI synthesizer, playing through its own
// audio driver. Short messages sound at their stamp plus the engine's output
// latency: the render applies each between sub-blocks, at the synthesizer's
// internal block boundary (64 frames) nearest to it, the finest FluidSynth
// allows.
class GmSynthDevice final : public IMidiOutDevice {
public:
    explicit GmSynthDevice(GmSynthOptions options);
    ~GmSynthDevice() override;
    GmSynthDevice(const GmSynthDevice&) = delete;
    GmSynthDevice& operator=(const GmSynthDevice&) = delete;

    // Loads the synthesizer module, creates the synthesizer at 44100 Hz,
    // starts the first audio driver that will and then loads the SoundFont;
    // false when any step fails, with the reason in openError().
    bool open() override;
    // The same, given up between its steps once `stop` is set.
    bool openUnless(const std::atomic<bool>& stop) override;
    // The audio driver goes before the synthesizer.
    void close() override;
    // Opens again when open, taking the sound loader and bank select as they
    // are now; a closed device stays closed (true). Against a concurrent
    // close the two are one step.
    bool reopen();
    bool isOpen() const override;
    using IMidiOutDevice::sendShort;
    // Any thread; real-time and system common messages are ignored.
    void sendShort(std::span<const uint8_t> bytes, TickTime stamp) override;
    // Any thread; F0 ... F7, handed to the synthesizer at once.
    LongSendResult sendLong(std::span<const uint8_t> bytes,
                            std::chrono::milliseconds timeout) override;
    size_t maxLongMessageBytes() const override;
    std::string displayName() const override { return kGmSynthName; }
    MidiDeviceKind kind() const override { return MidiDeviceKind::InternalSynth; }

    // Driverless mode only: renders the next left.size() frames (both spans
    // the same length); false when not open or not driverless. The first
    // call's first frame sounds now, the rest follow at the sample rate.
    bool render(std::span<float> left, std::span<float> right);
    // The same with the moment the block's first frame sounds.
    bool render(std::span<float> left, std::span<float> right, TickTime blockStart);
    // Short messages whose moment had passed when their block was rendered.
    uint64_t lateCount() const { return m_late.load(std::memory_order_relaxed); }
    // The frame of the synthesizer's block grid at which events take effect.
    static constexpr int kBlockFrames = 64;
    // The audio driver that started, empty when driverless or closed.
    const std::string& audioDriver() const { return m_driverName; }
    std::string openError() const override { return m_lastError; }

    // What fills a new synthesizer with sounds, in place of loading
    // options.soundFont: called by open() before the audio starts; false
    // fails the open. Takes effect at the next open.
    using SoundLoader = std::function<bool(_fluid_synth_t* synth)>;
    void setSoundLoader(SoundLoader loader);
    // FluidSynth's "synth.midi-bank-select" ("gm", "gs", "xg", "mma"; empty
    // for its default). Read when the synthesizer is created: the next open.
    void setBankSelect(std::string mode);
    std::string bankSelect() const;
    const std::filesystem::path& soundFont() const { return m_options.soundFont; }
    // Runs `use` with the open synthesizer, which stays alive meanwhile;
    // false when closed. Sends go on (FluidSynth's calls are thread-safe).
    bool withSynth(const std::function<void(_fluid_synth_t* synth)>& use);

private:
    // One short message waiting for its frame.
    struct Stamped {
        int64_t stampNs = 0; // steady clock
        uint8_t size = 0;
        uint8_t bytes[3]{};
    };

    bool startDriver();
    static int audioThunk(void* self, int frames, int nfx, float* fx[], int nout, float* out[]);
    // The render thread's part: the block in sub-blocks between the events
    // due in it, through the sample clock.
    int renderBlock(int frames, int nfx, float* fx[], int nout, float* out[]);
    int renderRange(int from, int to, int nfx, float* fx[], int nout, float* out[]);
    void apply(const Stamped& event);
    void anchorBlock(int64_t blockStartNs, bool follow);
    std::vector<std::string> driversToTry() const;
    bool failOpen(std::string reason);
    // With the lifetime lock held exclusively and nothing open.
    bool openLocked(const std::atomic<bool>& stop);
    void destroy();

    const GmSynthOptions m_options;
    std::string m_lastError;
    std::string m_driverName;
    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_synth = nullptr;
    _fluid_audio_driver_t* m_driver = nullptr;
    std::atomic<bool> m_open{false};
    // Sends hold it shared; open and close exclusively, so no send reaches a
    // synthesizer being deleted. A send that finds it taken drops its message.
    mutable std::shared_mutex m_lifetime;

    std::mutex m_producers; // one pusher at a time into m_queue
    SpscRing<Stamped, 1024> m_queue;
    std::atomic<uint64_t> m_late{0};
    double m_sampleRate = kGmSynthSampleRate;
    // The render thread's sample clock: frame m_anchorFrame sounds at
    // m_anchorNs; m_rendered frames are out since open.
    int64_t m_rendered = 0;
    int64_t m_anchorFrame = 0;
    int64_t m_anchorNs = 0;
    bool m_anchored = false;

    mutable std::mutex m_setupMutex; // guards the two below
    SoundLoader m_soundLoader;
    std::string m_bankSelect;
};

} // namespace rz
