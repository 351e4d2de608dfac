#include "platform/midi_gm_synth.h"

#include "platform/midi_jack_client.h"

#include <cstdlib>
#include <mutex>
#include <system_error>
#include <utility>

#include <fluidsynth.h>

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
        fluid_set_log_function(FLUID_PANIC, keepFluidError, nullptr);
        fluid_set_log_function(FLUID_ERR, keepFluidError, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
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
}

GmSynthDevice::~GmSynthDevice()
{
    close();
}

bool GmSynthDevice::open()
{
    close();
    routeFluidLog();
    std::unique_lock lock(m_lifetime);
    m_lastError.clear();
    m_settings = new_fluid_settings();
    if (!m_settings)
        return failOpen("cannot create the synthesizer settings");
    fluid_settings_setnum(m_settings, "synth.sample-rate", kGmSynthSampleRate);
    m_synth = new_fluid_synth(m_settings);
    if (!m_synth)
        return failOpen(takeFluidError("cannot create the synthesizer"));
    if (fluid_synth_sfload(m_synth, m_options.soundFont.c_str(), 1) == FLUID_FAILED)
        return failOpen(takeFluidError("cannot load " + m_options.soundFont.string()));
    if (!m_options.driverless && !startDriver())
        return failOpen(takeFluidError("no audio driver would start"));
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
    fluid_settings_setstr(m_settings, "audio.jack.server", jackServer ? jackServer : "");
    fluid_settings_setstr(m_settings, "audio.jack.id", kGmSynthJackName);
    fluid_settings_setint(m_settings, "audio.jack.autoconnect", 1); // to the physical playback ports
    for (const std::string& driver : driversToTry()) {
        fluid_settings_setstr(m_settings, "audio.driver", driver.c_str());
        m_driver = new_fluid_audio_driver(m_settings, m_synth);
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
        delete_fluid_audio_driver(m_driver);
    if (m_synth)
        delete_fluid_synth(m_synth);
    if (m_settings)
        delete_fluid_settings(m_settings);
    m_driver = nullptr;
    m_synth = nullptr;
    m_settings = nullptr;
    m_driverName.clear();
}

bool GmSynthDevice::isOpen() const
{
    return m_open.load(std::memory_order_acquire);
}

void GmSynthDevice::sendShort(std::span<const uint8_t> bytes, TickTime)
{
    std::shared_lock lock(m_lifetime, std::try_to_lock);
    if (!lock || !m_synth || bytes.empty())
        return;
    const uint8_t status = bytes[0];
    const int channel = status & 0x0F;
    const int data1 = bytes.size() > 1 ? bytes[1] & 0x7F : 0;
    const int data2 = bytes.size() > 2 ? bytes[2] & 0x7F : 0;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(m_synth, channel, data1); break;
    case 0x90: fluid_synth_noteon(m_synth, channel, data1, data2); break;
    case 0xA0: fluid_synth_key_pressure(m_synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(m_synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(m_synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(m_synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(m_synth, channel, data1 | (data2 << 7)); break;
    default: break; // system messages mean nothing to the synthesizer
    }
}

LongSendResult GmSynthDevice::sendLong(std::span<const uint8_t> bytes, std::chrono::milliseconds)
{
    std::shared_lock lock(m_lifetime, std::try_to_lock);
    if (!lock || !m_synth)
        return LongSendResult::Failed;
    if (bytes.size() < 2 || bytes.front() != 0xF0 || bytes.back() != 0xF7 ||
        bytes.size() > maxLongMessageBytes())
        return LongSendResult::Failed;
    // FluidSynth takes the message without its F0 and F7.
    const auto* body = reinterpret_cast<const char*>(bytes.data() + 1);
    const int length = static_cast<int>(bytes.size() - 2);
    const int result = fluid_synth_sysex(m_synth, body, length, nullptr, nullptr, nullptr, 0);
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
    return fluid_synth_write_float(m_synth, static_cast<int>(left.size()), left.data(), 0, 1,
                                   right.data(), 0, 1) == FLUID_OK;
}

} // namespace rz
