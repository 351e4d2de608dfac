#include "platform/midi_gm_synth.h"

#include "core/midi_bytes.h"
#include "platform/fluid_calls.h"
#include "platform/midi_jack_client.h"
#include "platform/midi_output_latency.h"
#include "platform/soundfont_banks.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

#include <cstdlib>
#include <mutex>
#include <system_error>
#include <utility>


namespace rz {

namespace {

// FluidSynth logs through one process-wide function: keep its last error as
// the reason for a failure, and drop its chatter.
std::mutex g_logMutex;
std::string g_lastFluidError;

void keepFluidError(int, const char* message, void*)
{
    std::lock_guard lock(g_logMutex);
    g_lastFluidError = message ? message : "";
}

void routeFluidLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        fluid().set_log_function(FLUID_PANIC, keepFluidError, nullptr);
        fluid().set_log_function(FLUID_ERR, keepFluidError, nullptr);
        fluid().set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid().set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid().set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

// The last error FluidSynth logged, or `fallback`; clears it.
std::string takeFluidError(const std::string& fallback)
{
    std::lock_guard lock(g_logMutex);
    std::string reason = g_lastFluidError.empty() ? fallback : fallback + ": " + g_lastFluidError;
    g_lastFluidError.clear();
    return reason;
}

// The synthesizer's block boundary nearest to `frame`.
int64_t nearestBlockStart(int64_t frame)
{
    constexpr int64_t kBlock = GmSynthDevice::kBlockFrames;
    const int64_t shifted = frame + kBlock / 2;
    const int64_t blocks = shifted >= 0 ? shifted / kBlock : -((-shifted + kBlock - 1) / kBlock);
    return blocks * kBlock;
}

constexpr const char* kOpenGivenUp = "the open was given up";

bool jackServerAnswers()
{
    return JackMidiClient::acquire() != nullptr;
}

} // namespace

std::vector<std::filesystem::path> defaultGmSoundFonts()
{
    const std::filesystem::path folder = "/usr/share/sounds/sf2";
    return {folder / "default-GM.sf2", folder / "FluidR3_GM.sf2", folder / "TimGM6mb.sf2"};
}

std::optional<std::filesystem::path> findGmSoundFont(
    const std::vector<std::filesystem::path>& candidates)
{
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return std::nullopt;
}

GmSynthDevice::GmSynthDevice(GmSynthOptions options) : m_options(std::move(options))
{
    if (m_options.banks)
        m_options.banks->attach(*this);
}

// The registry lets go first: once it has, no edit reaches this device.
GmSynthDevice::~GmSynthDevice()
{
    if (m_options.banks)
        m_options.banks->detach(*this);
    close();
}

bool GmSynthDevice::open()
{
    const std::atomic<bool> never{false};
    return openUnless(never);
}

bool GmSynthDevice::openUnless(const std::atomic<bool>& stop)
{
    std::unique_lock lock(m_lifetime);
    destroy();
    return openLocked(stop);
}

bool GmSynthDevice::reopen()
{
    std::unique_lock lock(m_lifetime);
    if (!m_synth)
        return true;
    destroy();
    const std::atomic<bool> never{false};
    return openLocked(never);
}

// Each step that takes long (loading the library, starting the driver,
// loading the sounds) is skipped once `stop` is set.
bool GmSynthDevice::openLocked(const std::atomic<bool>& stop)
{
    m_lastError.clear();
    if (!loadSynthModule())
        return failOpen("the synthesizer library could not be loaded: " + synthModuleProblem());
    routeFluidLog();
    if (stop.load(std::memory_order_acquire))
        return failOpen(kOpenGivenUp);
    m_settings = fluid().new_settings();
    if (!m_settings)
        return failOpen("cannot create the synthesizer settings");
    fluid().settings_setnum(m_settings, "synth.sample-rate", kGmSynthSampleRate);
    SoundLoader loader;
    {
        std::lock_guard setup(m_setupMutex);
        loader = m_soundLoader;
        if (!m_bankSelect.empty())
            fluid().settings_setstr(m_settings, "synth.midi-bank-select", m_bankSelect.c_str());
    }
    loadOnThisThreadOnly();
    m_synth = fluid().new_synth(m_settings);
    if (!m_synth)
        return failOpen(takeFluidError("cannot create the synthesizer"));
    {
        std::lock_guard producers(m_producers);
        m_queue.drain();
    }
    m_rendered = 0;
    m_anchored = false;
    // The driver first: without one the SoundFont is not worth its load
    // time. Until the device is open the driver's blocks are silence.
    if (!m_options.driverless && !startDriver())
        return failOpen(takeFluidError("no audio driver would start"));
    if (stop.load(std::memory_order_acquire))
        return failOpen(kOpenGivenUp);
    if (loader) {
        if (!loader(m_synth))
            return failOpen(takeFluidError("cannot load the SoundFonts"));
    } else if (fluid().synth_sfload(m_synth, m_options.soundFont.c_str(), 1) == FLUID_FAILED) {
        return failOpen(takeFluidError("cannot load " + m_options.soundFont.string()));
    }
    double rate = kGmSynthSampleRate;
    if (fluid().settings_getnum(m_settings, "synth.sample-rate", &rate) == FLUID_OK && rate > 0)
        m_sampleRate = rate;
    m_open.store(true);
    return true;
}

std::vector<std::string> GmSynthDevice::driversToTry() const
{
    if (!m_options.drivers.empty())
        return m_options.drivers;
    std::vector<std::string> drivers;
    if (jackServerAnswers())
        drivers.push_back("jack");
    drivers.push_back("pulseaudio");
    drivers.push_back("alsa");
    return drivers;
}

bool GmSynthDevice::startDriver()
{
    const char* jackServer = std::getenv("JACK_DEFAULT_SERVER");
    fluid().settings_setstr(m_settings, "audio.jack.server", jackServer ? jackServer : "");
    fluid().settings_setstr(m_settings, "audio.jack.id", kGmSynthJackName);
    fluid().settings_setint(m_settings, "audio.jack.autoconnect", 1); // to the physical playback ports
    for (const std::string& driver : driversToTry()) {
        fluid().settings_setstr(m_settings, "audio.driver", driver.c_str());
        m_driver = fluid().new_audio_driver2(m_settings, &GmSynthDevice::audioThunk, this);
        if (m_driver) {
            m_driverName = driver;
            return true;
        }
    }
    return false;
}

bool GmSynthDevice::failOpen(std::string reason)
{
    destroy();
    m_lastError = std::move(reason);
    return false;
}

void GmSynthDevice::close()
{
    std::unique_lock lock(m_lifetime);
    destroy();
}

void GmSynthDevice::destroy()
{
    m_open.store(false);
    // The driver's audio thread renders from the synthesizer: it goes first.
    if (m_driver)
        fluid().delete_audio_driver(m_driver);
    if (m_synth)
        fluid().delete_synth(m_synth);
    if (m_settings)
        fluid().delete_settings(m_settings);
    m_driver = nullptr;
    m_synth = nullptr;
    m_settings = nullptr;
    m_driverName.clear();
}

bool GmSynthDevice::isOpen() const
{
    return m_open.load(std::memory_order_acquire);
}

void GmSynthDevice::sendShort(std::span<const uint8_t> bytes, TickTime stamp)
{
    if (!isOpen() || bytes.empty() || bytes.size() > 3)
        return;
    Stamped event;
    event.stampNs = std::chrono::duration_cast<std::chrono::nanoseconds>(stamp.time_since_epoch()).count();
    event.size = uint8_t(bytes.size());
    std::copy(bytes.begin(), bytes.end(), event.bytes);
    std::lock_guard lock(m_producers);
    m_queue.push(event);
}

// Render thread only.
void GmSynthDevice::apply(const Stamped& event)
{
    const uint8_t status = event.bytes[0];
    const int channel = status & 0x0F;
    const int data1 = event.size > 1 ? event.bytes[1] & 0x7F : 0;
    const int data2 = event.size > 2 ? event.bytes[2] & 0x7F : 0;
    switch (midi::statusOf(status)) {
    case midi::kNoteOff: fluid().synth_noteoff(m_synth, channel, data1); break;
    case midi::kNoteOn: fluid().synth_noteon(m_synth, channel, data1, data2); break;
    case midi::kPolyPressure: fluid().synth_key_pressure(m_synth, channel, data1, data2); break;
    case midi::kControlChange: fluid().synth_cc(m_synth, channel, data1, data2); break;
    case midi::kProgramChange: fluid().synth_program_change(m_synth, channel, data1); break;
    case midi::kChannelPressure: fluid().synth_channel_pressure(m_synth, channel, data1); break;
    case midi::kPitchBend: fluid().synth_pitch_bend(m_synth, channel, data1 | (data2 << 7)); break;
    default: break; // system messages mean nothing to the synthesizer
    }
}

int GmSynthDevice::audioThunk(void* self, int frames, int nfx, float* fx[], int nout, float* out[])
{
    auto* device = static_cast<GmSynthDevice*>(self);
    if (!device->isOpen()) {
        // Still loading: the synthesizer is not ours to touch yet.
        for (int i = 0; i < nout; ++i)
            std::fill_n(out[i], frames, 0.0f);
        for (int i = 0; i < nfx; ++i)
            std::fill_n(fx[i], frames, 0.0f);
        return FLUID_OK;
    }
    const int64_t now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    device->anchorBlock(now, true);
    return device->renderBlock(frames, nfx, fx, nout, out);
}

// The sample clock. An audio driver's blocks follow the steady clock
// loosely: small differences are followed slowly, a stall or an xrun
// starts the clock again. A caller that names each block's time sets it.
void GmSynthDevice::anchorBlock(int64_t blockStartNs, bool follow)
{
    constexpr int64_t kRestartNs = 50'000'000;
    if (m_anchored && follow) {
        const int64_t expected =
            m_anchorNs + int64_t(double(m_rendered - m_anchorFrame) * 1e9 / m_sampleRate);
        const int64_t error = blockStartNs - expected;
        if (std::llabs(error) < kRestartNs) {
            m_anchorNs += error / 64;
            return;
        }
    }
    m_anchored = true;
    m_anchorNs = blockStartNs;
    m_anchorFrame = m_rendered;
}

int GmSynthDevice::renderRange(int from, int to, int nfx, float* fx[], int nout, float* out[])
{
    if (to <= from)
        return FLUID_OK;
    constexpr int kMaxBuffers = 16;
    if (nout > kMaxBuffers || nfx > kMaxBuffers)
        return FLUID_FAILED;
    std::array<float*, kMaxBuffers> dry{};
    std::array<float*, kMaxBuffers> wet{};
    for (int i = 0; i < nout; ++i)
        dry[size_t(i)] = out[i] + from;
    for (int i = 0; i < nfx; ++i)
        wet[size_t(i)] = fx[i] + from;
    if (nfx == 0 && nout >= 2) {
        // No effect buffers: reverb and chorus mix into the dry pair.
        std::array<float*, 4> mixed{dry[0], dry[1], dry[0], dry[1]};
        return fluid().synth_process(m_synth, to - from, 4, mixed.data(), nout, dry.data());
    }
    return fluid().synth_process(m_synth, to - from, nfx, wet.data(), nout, dry.data());
}

// FluidSynth starts what an event does at its next internal block: the
// sub-block before an event ends on the block boundary nearest the event's
// frame, so no event moves by more than half a block.
int GmSynthDevice::renderBlock(int frames, int nfx, float* fx[], int nout, float* out[])
{
    const int64_t latencyNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(midiOutputLatency()).count();
    int done = 0;
    int result = FLUID_OK;
    while (const Stamped* event = m_queue.front()) {
        const double due =
            double(m_anchorFrame) + double(event->stampNs + latencyNs - m_anchorNs) * m_sampleRate / 1e9;
        const int64_t dueFrame = std::llround(due);
        const int64_t boundary = nearestBlockStart(dueFrame);
        const int64_t at = boundary - m_rendered;
        if (at >= frames)
            break; // due in a later block
        if (at < 0)
            m_late.fetch_add(1, std::memory_order_relaxed);
        const int to = int(std::clamp(at, int64_t(done), int64_t(frames)));
        if (renderRange(done, to, nfx, fx, nout, out) != FLUID_OK)
            result = FLUID_FAILED;
        done = to;
        apply(*event);
        m_queue.pop();
    }
    if (renderRange(done, frames, nfx, fx, nout, out) != FLUID_OK)
        result = FLUID_FAILED;
    m_rendered += frames;
    return result;
}

LongSendResult GmSynthDevice::sendLong(std::span<const uint8_t> bytes, std::chrono::milliseconds)
{
    std::shared_lock lock(m_lifetime, std::try_to_lock);
    if (!lock || !m_synth)
        return LongSendResult::Failed;
    if (bytes.size() < 2 || bytes.front() != midi::kSysEx || bytes.back() != midi::kEndOfSysEx ||
        bytes.size() > maxLongMessageBytes())
        return LongSendResult::Failed;
    // FluidSynth takes the message without its F0 and F7.
    const auto* body = reinterpret_cast<const char*>(bytes.data() + 1);
    const int length = static_cast<int>(bytes.size() - 2);
    const int result = fluid().synth_sysex(m_synth, body, length, nullptr, nullptr, nullptr, 0);
    return result == FLUID_OK ? LongSendResult::Delivered : LongSendResult::Failed;
}

size_t GmSynthDevice::maxLongMessageBytes() const
{
    return 64 * 1024;
}

bool GmSynthDevice::render(std::span<float> left, std::span<float> right)
{
    std::shared_lock lock(m_lifetime);
    if (!m_synth || !m_options.driverless || left.size() != right.size())
        return false;
    if (!m_anchored)
        anchorBlock(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count(),
                    false);
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    std::array<float*, 2> out{left.data(), right.data()};
    return renderBlock(int(left.size()), 0, nullptr, 2, out.data()) == FLUID_OK;
}

bool GmSynthDevice::render(std::span<float> left, std::span<float> right, TickTime blockStart)
{
    std::shared_lock lock(m_lifetime);
    if (!m_synth || !m_options.driverless || left.size() != right.size())
        return false;
    anchorBlock(std::chrono::duration_cast<std::chrono::nanoseconds>(blockStart.time_since_epoch()).count(),
                false);
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    std::array<float*, 2> out{left.data(), right.data()};
    return renderBlock(int(left.size()), 0, nullptr, 2, out.data()) == FLUID_OK;
}

void GmSynthDevice::setSoundLoader(SoundLoader loader)
{
    std::lock_guard setup(m_setupMutex);
    m_soundLoader = std::move(loader);
}

void GmSynthDevice::setBankSelect(std::string mode)
{
    std::lock_guard setup(m_setupMutex);
    m_bankSelect = std::move(mode);
}

std::string GmSynthDevice::bankSelect() const
{
    std::lock_guard setup(m_setupMutex);
    return m_bankSelect;
}

bool GmSynthDevice::withSynth(const std::function<void(_fluid_synth_t* synth)>& use)
{
    std::shared_lock lock(m_lifetime);
    if (!m_open.load() || !m_synth)
        return false;
    use(m_synth);
    return true;
}

} // namespace rz
