#include "core/midi_bytes.h"
#include "engine/out_port.h"

#include "engine/out_port_internal.h"
#include "engine/reset_sysex.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

namespace rz {

using namespace out_port_detail;

namespace {

// The resets as each maker documents them: raw bytes are the point here.
constexpr uint8_t kGmSystemOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr uint8_t kGsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr uint8_t kXgSystemOn[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

// Technology bits of a synthesizer, as the synthesizer database stores them.
constexpr uint32_t kResetGm = 1;
constexpr uint32_t kResetGs = 2;
constexpr uint32_t kResetXg = 4;
constexpr uint32_t kResetChannelState = 8;
constexpr uint32_t kResetAllSoundOff = 16;
constexpr uint32_t kResetControllers = 32;
constexpr uint32_t kResetUserMessage = 64;

// What ResetChannelState brings a known controller back to.
int controllerDefault(int controller)
{
    switch (controller) {
    case cc::kVolume: return 100;
    case cc::kExpression: return 127;
    case cc::kPan: return 64;
    case cc::kReverbSend: return 40;
    default: return controller >= cc::kSoundController2 && controller <= cc::kSoundController9 ? 64 : 0;
    }
}

bool restoredByChannelReset(int controller)
{
    return controller < cc::kDataIncrement && controller != kBankMsb && controller != kDataEntryMsb
           && controller != kBankLsb && controller != kDataEntryLsb;
}

// Controllers not sent again from the cache: bank select goes with the
// program, data entry and parameter numbers with the RPNs, and the channel
// mode messages would act again.
bool resentAsController(int controller)
{
    return controller != kBankMsb && controller != kBankLsb && controller != kDataEntryMsb
           && controller != kDataEntryLsb && !(controller >= cc::kDataIncrement && controller <= cc::kRpnMsb)
           && controller < kAllSoundOff;
}

// Default of RPN 5, 1, 2, 0 in cache order.
constexpr int kRpnDefaults[4] = {64, 8192, 8192, 256};

} // namespace

void COutPort::SendGMOn()
{
    sendLongMessage(kGmSystemOn, sizeof kGmSystemOn, "SendGMOn");
}

void COutPort::SendGSReset()
{
    sendLongMessage(kGsReset, sizeof kGsReset, "SendGSReset");
}

void COutPort::SendXGOn()
{
    sendLongMessage(kXgSystemOn, sizeof kXgSystemOn, "SendXGOn");
}

// One step per system-exclusive message: each is queued under the semaphore
// and waited for without it, so the tick's notes are neither held up nor
// dropped meanwhile. The last step also queues the trailing controllers and
// the cache reset behind its message, so a note sent while the device takes
// that message leaves after the whole reset. A device may take one message
// at a time, hence the wait between steps.
void COutPort::SendSynthReset(uint32_t technology, std::string_view resetSysexText)
{
    std::optional<std::vector<uint8_t>> userMessage;
    if (technology & kResetUserMessage)
        userMessage = ParseResetSysex(resetSysexText);
    std::array<std::span<const uint8_t>, 4> messages;
    size_t count = 0;
    if (technology & kResetGm)
        messages[count++] = kGmSystemOn;
    if (technology & kResetGs)
        messages[count++] = kGsReset;
    if (technology & kResetXg)
        messages[count++] = kXgSystemOn;
    if (userMessage)
        messages[count++] = *userMessage;

    std::lock_guard sender(m_longSender);
    const size_t steps = std::max(count, size_t(1));
    for (size_t step = 0; step < steps; ++step) {
        uint64_t ticket = 0;
        {
            PortGuard guard(m_semaphore, "SendSynthReset", m_lockWait);
            if (!guard)
                return;
            if (step == 0 && (technology & kResetChannelState))
                resetChannelStateLocked();
            if (step < count)
                queueSysExLocked(messages[step].data(), messages[step].size(), ticket);
            if (step + 1 == steps)
                finishSynthResetLocked(technology);
        }
        if (ticket != 0)
            m_device->awaitLong(ticket, kSysExTimeout);
    }
}

void COutPort::finishSynthResetLocked(uint32_t technology)
{
    if (technology & kResetAllSoundOff)
        sendToAllChannels(kAllSoundOff);
    if (technology & kResetControllers)
        sendToAllChannels(kResetAllControllers);
    resetLocked();
}

void COutPort::sendToAllChannels(uint8_t controller)
{
    for (int channel = 0; channel < kMidiChannelCount; ++channel)
        SendRaw(controlChange(channel, controller, 0));
}

void COutPort::Reset()
{
    PortGuard guard(m_semaphore, "Reset", m_lockWait);
    if (guard)
        resetLocked();
}

// The notes and pedals the port holds end first: once the cache forgets
// them, no later stop could.
void COutPort::resetLocked()
{
    allNotesOffLocked();
    for (ChannelState& state : m_channels) {
        for (auto& value : state.keyPressure)
            value.set(kUnsetByte);
        for (auto& value : state.controllers)
            value.set(kUnsetByte);
        state.bank.set(kUnsetWord);
        state.program.set(kUnsetByte);
        state.channelPressure.set(kUnsetByte);
        state.pitchBend.set(kUnsetWord);
        for (auto& value : state.rpn)
            value.set(kUnsetValue);
        for (auto& value : state.pressureDestinations)
            value.set(kUnsetByte);
        for (auto& value : state.keyPressureDestinations)
            value.set(kUnsetByte);
        for (auto& value : state.controlDestinations)
            value.set(kUnsetByte);
        state.lowestKey = 127;
        state.highestKey = 0;
    }
    for (auto& value : m_deviceValues)
        value.set(kUnsetDeviceValue);
    m_held.clear();
}

void COutPort::ResetChannelState()
{
    PortGuard guard(m_semaphore, "ResetChannelState", m_lockWait);
    if (guard)
        resetChannelStateLocked();
}

void COutPort::resetChannelStateLocked()
{
    allNotesOffLocked();
    for (int channel = 0; channel < kMidiChannelCount; ++channel) {
        restoreControllersLocked(channel);
        ChannelState& state = channelState(channel);
        const uint16_t bend = state.pitchBend.get();
        if (bend != kUnsetWord && bend != kBendCentre) {
            SendRaw(midi::kPitchBend | uint32_t(channel) | uint32_t(kBendCentre) << 8);
            state.pitchBend.set(kBendCentre);
        }
        const uint8_t pressure = state.channelPressure.get();
        if (pressure != kUnsetByte && pressure != 0) {
            SendRaw(midi::kChannelPressure | uint32_t(channel));
            state.channelPressure.set(0);
        }
        for (size_t slot = 0; slot < std::size(kCachedRpns); ++slot) {
            const int32_t value = state.rpn[slot].get();
            if (value != kUnsetValue && value != kRpnDefaults[slot])
                sendRpnLocked(channel, kCachedRpns[slot], kRpnDefaults[slot]);
        }
    }
}

void COutPort::restoreControllersLocked(int channel)
{
    ChannelState& state = channelState(channel);
    for (int controller = 0; controller < 128; ++controller) {
        if (!restoredByChannelReset(controller))
            continue;
        CachedValue<uint8_t>& cached = state.controllers[size_t(controller)];
        const uint8_t value = cached.get();
        const int wanted = controllerDefault(controller);
        if (value != kUnsetByte && value != wanted) {
            cached.set(uint8_t(wanted));
            SendRaw(controlChange(channel, uint8_t(controller), uint8_t(wanted)));
        }
    }
}

void COutPort::ResendChannelState()
{
    PortGuard guard(m_semaphore, "ResendChannelState", m_lockWait);
    if (!guard)
        return;
    for (int channel = 0; channel < kMidiChannelCount; ++channel)
        resendChannelLocked(channel);
}

void COutPort::resendChannelLocked(int channel)
{
    const ChannelState& state = channelState(channel);
    const uint32_t ch = uint32_t(channel);
    auto resendController = [&](int controller) {
        const uint8_t value = state.controllers[size_t(controller)].get();
        if (value != kUnsetByte)
            SendRaw(controlChange(channel, uint8_t(controller), value));
    };
    resendController(kBankMsb);
    resendController(kBankLsb);
    if (const uint8_t program = state.program.get(); program != kUnsetByte)
        SendRaw(midi::kProgramChange | ch | uint32_t(program) << 8);
    for (int controller = 0; controller < 128; ++controller) {
        if (resentAsController(controller))
            resendController(controller);
    }
    for (uint32_t key = 0; key < 128; ++key) {
        const uint8_t value = state.keyPressure[key].get();
        if (value != kUnsetByte)
            SendRaw(midi::kPolyPressure | ch | key << 8 | uint32_t(value) << 16);
    }
    if (const uint8_t pressure = state.channelPressure.get(); pressure != kUnsetByte)
        SendRaw(midi::kChannelPressure | ch | uint32_t(pressure) << 8);
    if (const uint16_t bend = state.pitchBend.get(); bend != kUnsetWord)
        SendRaw(midi::kPitchBend | ch | uint32_t(bend) << 8);
    for (size_t slot = 0; slot < std::size(kCachedRpns); ++slot) {
        const int32_t value = state.rpn[slot].get();
        if (value != kUnsetValue)
            sendRpnLocked(channel, kCachedRpns[slot], value);
    }
}

} // namespace rz
