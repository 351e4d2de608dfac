#pragma once

#include "core/locks.h"
#include "core/midi_out.h"
#include "core/smpte_time.h"
#include "engine/instrument.h"
#include "platform/midi_out_device.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

inline constexpr int kMidiChannelCount = 16;
// How long a device port waits for a system-exclusive message to be out.
inline constexpr std::chrono::milliseconds kSysExTimeout{5000};

// A cached value: written only under the port's semaphore, read from any
// thread without waiting; a reader sees the old value or the new one.
template <class T>
class CachedValue {
public:
    T get() const { return m_value.load(std::memory_order_relaxed); }
    void set(T value) { m_value.store(value, std::memory_order_relaxed); }

private:
    std::atomic<T> m_value{};
};

// The device-wide values that universal system-exclusive messages set.
enum class DeviceValue : uint8_t {
    MasterVolume,       // 14 bits
    MasterFineTuning,   // 14 bits, 8192 centre
    MasterCoarseTuning, // 14 bits, 8192 centre
    ReverbType,
    ReverbTime,
    ChorusType,
    ChorusRate,
    ChorusDepth,
    ChorusFeedback,
    ChorusSendToReverb,
};
inline constexpr size_t kDeviceValueCount = 10;

// The controller destination settings, per channel: parameter/range pairs
// as received; the control change table holds the controller number first.
enum class DestinationTable : uint8_t { ChannelPressure, KeyPressure, ControlChange };
inline constexpr size_t kPressureDestinationBytes = 6;
inline constexpr size_t kControlDestinationBytes = 7;

// One MIDI destination: a device port over an IMidiOutDevice, or an
// instrument port over an IInstrument. Every short message the program plays
// goes through SendShort, which keeps what each channel was last told and the
// notes that sound, so that locate and the resets send only what differs and
// a note-off is never sent for a note that is not sounding on its tag.
//
// Every public operation takes the port's semaphore once (waiting at most
// the lock wait, then skipping its work and logging); the caches and the
// held-note list change only under it. SendRaw takes no lock. The cache
// reads never wait. Callable from the timer thread, MIDI input threads and
// the GUI thread; Open, Close and the name belong to the GUI thread.
class COutPort final : public IMidiOut {
public:
    explicit COutPort(std::unique_ptr<IMidiOutDevice> device);
    COutPort(std::filesystem::path library, std::unique_ptr<IInstrument> instrument);
    ~COutPort() override;
    COutPort(const COutPort&) = delete;
    COutPort& operator=(const COutPort&) = delete;

    // Closes first. An instrument port takes the instrument's name.
    bool Open();
    void Close();
    bool isOpen() const;
    // Why the last Open failed, when it says.
    const std::string& openError() const { return m_openError; }

    const std::string& name() const { return m_name; }
    // The engine adds the " (%d)" or " [%d]" suffix at start-up.
    void setName(std::string name) { m_name = std::move(name); }
    const std::filesystem::path& path() const { return m_path; }
    bool isInstrument() const { return m_instrument != nullptr; }
    IMidiOutDevice* device() const { return m_device.get(); }
    IInstrument* instrument() const { return m_instrument.get(); }

    // Callers of SendRaw that need the lock take it here.
    PortSemaphore& semaphore() { return m_semaphore; }
    // Tests shorten it; kLockWait otherwise.
    void setLockWait(std::chrono::milliseconds wait) { m_lockWait = wait; }

    // Straight to the device or the instrument's queue: no cache, no lock.
    // Data bytes are masked to 7 bits; a message without a status byte, or
    // one that cannot be short (F0, F7), is dropped. Any thread; never waits.
    void SendRaw(uint32_t message);
    // The cached send: status in the low byte, a note-on's tag in the top byte.
    void SendShort(uint32_t message) override;
    // Takes what a universal message says into the caches, then hands the
    // message to a device port and waits for the device (at most
    // kSysExTimeout) without the semaphore: notes sent meanwhile are not
    // held up and leave after it.
    SysExResult SendSysEx(const uint8_t* bytes, size_t length) override;
    // The resets wait for the device as SendSysEx does, without the
    // semaphore.
    void SendGMOn();
    void SendGSReset();
    void SendXGOn();
    // The reset that a synthesizer's "Technology" bits select, in this
    // order: 8 channel state, 1 GM, 2 GS, 4 XG, 64 the user's message
    // (`resetSysexText`), 16 CC120 and 32 CC121 on every channel; then Reset.
    void SendSynthReset(uint32_t technology, std::string_view resetSysexText);

    // Every cache to unset and the held list emptied; the unscaled volume stays.
    void Reset();
    void AllNotesOff();
    void FreeStuckNotes();
    void ResetChannelState();
    void ReleaseHeldNotes();
    // Ends every note a track sounds (any tag but the preview's 0xFF) and
    // lifts the sustain pedal on every channel whose cached CC64 is down:
    // what a switch to another song leaves behind.
    void ReleaseTrackNotes();
    // Every known cached channel value out again, unchanged.
    void ResendChannelState();

    // patch = bank x 256 + program; the channel is the note's.
    void SelectPatch(int patch, uint32_t note, bool audition);
    void SendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff) override;
    // CC101, CC100, CC6, CC38; value 0..16383, nothing when negative.
    void SendRpn(int channel, int rpn, int value);

    void SendMtcFullFrame(const CSmpteTime& time) override;
    // Device ports only.
    void SendMtcQuarterFrame(const CSmpteTime& time, int piece);

    // IMidiOut
    void setUnscaledVolume(int channel, int value) override;
    int program(int channel) const override;
    int bank(int channel) const override;
    int controllerValue(int channel, int controller) const override;
    int unscaledVolume(int channel) const override;

    // Cache reads for dialogs and tests; -1 when unset.
    int keyPressure(int channel, int key) const;
    int channelPressure(int channel) const;
    // 14 bits, 8192 centre.
    int pitchBend(int channel) const;
    // RPN 0, 1, 2 or 5; -1 for any other number.
    int rpnValue(int channel, int rpn) const;
    int deviceValue(DeviceValue value) const;
    // Stores a device-wide value without sending it (-1 unset), under the
    // semaphore; false when the semaphore timed out.
    bool setDeviceValue(DeviceValue value, int stored);
    int destination(DestinationTable table, int channel, size_t index) const;
    // The sounding notes as sent, tags included, in slot order.
    std::vector<uint32_t> heldNotes();
    // The same into the caller's buffer without allocating (locate calls it).
    size_t copyHeldNotes(uint32_t* out, size_t capacity) override;

private:
    struct ChannelState {
        std::array<CachedValue<uint8_t>, 128> keyPressure;
        std::array<CachedValue<uint8_t>, 128> controllers;
        CachedValue<uint16_t> bank;
        CachedValue<uint8_t> program;
        CachedValue<uint8_t> channelPressure;
        CachedValue<uint16_t> pitchBend; // first data byte low
        CachedValue<uint8_t> unscaledVolume;
        std::array<CachedValue<int32_t>, 4> rpn; // RPN 5, 1, 2, 0
        std::array<CachedValue<uint8_t>, kPressureDestinationBytes> pressureDestinations;
        std::array<CachedValue<uint8_t>, kPressureDestinationBytes> keyPressureDestinations;
        std::array<CachedValue<uint8_t>, kControlDestinationBytes> controlDestinations;
        // Since the last reset; under the semaphore only.
        uint8_t lowestKey = 127;
        uint8_t highestKey = 0;
    };

    // The helpers below run with the semaphore held.
    void resetLocked();
    void sendShortLocked(uint32_t message);
    void noteOnLocked(uint32_t message);
    void noteOffLocked(uint32_t message);
    void controllerLocked(ChannelState& state, uint8_t controller, uint8_t value);
    void dataEntryLocked(ChannelState& state);
    void resetAllControllersLocked(ChannelState& state);
    void programLocked(ChannelState& state, uint8_t program);
    void sendRpnLocked(int channel, int rpn, int value);
    void sendBankProgramLocked(int channel, int bank, int program, bool notesOff);
    // Takes the semaphore only to queue the message; waits without it.
    SysExResult sendLongMessage(const uint8_t* bytes, size_t length, const char* caller);
    SysExResult queueSysExLocked(const uint8_t* bytes, size_t length, uint64_t& ticket);
    static SysExResult sysExResultOf(LongSendResult result);
    void interpretSysExLocked(const uint8_t* bytes, size_t length);
    void allNotesOffLocked();
    void resetChannelStateLocked();
    void restoreControllersLocked(int channel);
    void resendChannelLocked(int channel);
    void sendToAllChannels(uint8_t controller);
    void finishSynthResetLocked(uint32_t technology);

    ChannelState& channelState(int channel) { return m_channels[size_t(channel & 15)]; }
    const ChannelState& channelState(int channel) const
    {
        return m_channels[size_t(channel & 15)];
    }
    CachedValue<int32_t>& deviceValueCache(DeviceValue value)
    {
        return m_deviceValues[size_t(value)];
    }

    std::unique_ptr<IMidiOutDevice> m_device;
    std::unique_ptr<IInstrument> m_instrument;
    std::filesystem::path m_path;
    std::string m_name;
    std::string m_openError;
    PortSemaphore m_semaphore;
    std::mutex m_longSender; // one SendSysEx at a device at a time; taken before the semaphore
    std::chrono::milliseconds m_lockWait = kLockWait;

    std::array<ChannelState, kMidiChannelCount> m_channels;
    std::array<CachedValue<int32_t>, kDeviceValueCount> m_deviceValues;
    // Note-on messages that sound, tag included; 0 marks a free slot.
    std::vector<uint32_t> m_held;
};

} // namespace rz
