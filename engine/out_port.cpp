#include "engine/out_port.h"

#include "core/midi_bytes.h"
#include "engine/mtc.h"
#include "engine/out_port_internal.h"
#include "song/seek_point.h"

#include <algorithm>
#include <utility>

namespace rz {

using namespace out_port_detail;

namespace {

// Bytes of a short message by its status; 0 for none that can be sent short.
size_t shortLength(uint8_t status)
{
    if (midi::isDataByte(status))
        return 0;
    switch (midi::statusOf(status)) {
    case midi::kProgramChange:
    case midi::kChannelPressure: return 2;
    case midi::kSysEx: break;
    default: return 3;
    }
    switch (status) {
    case midi::kSysEx:
    case midi::kEndOfSysEx: return 0;
    case midi::kQuarterFrame:
    case midi::kSongSelect: return 2;
    case midi::kSongPosition: return 3;
    default: return 1;
    }
}

// Data bytes masked to 7 bits; the tag in the top byte stays.
uint32_t maskedChannelMessage(uint32_t message)
{
    return (message & 0xFF0000FFu) | (message & 0x007F7F00u);
}

std::string semaphoreName(const std::string& what)
{
    return "port " + what;
}

} // namespace

COutPort::COutPort(std::unique_ptr<IMidiOutDevice> device)
    : m_device(std::move(device)),
      m_name(m_device ? m_device->displayName() : std::string()),
      m_semaphore(semaphoreName(m_name))
{
    m_held.reserve(128);
    resetLocked();
    for (ChannelState& state : m_channels)
        state.unscaledVolume.set(100);
}

COutPort::COutPort(std::filesystem::path library, std::unique_ptr<IInstrument> instrument)
    : m_instrument(std::move(instrument)),
      m_path(std::move(library)),
      m_name(m_path.stem().string()),
      m_semaphore(semaphoreName(m_path.filename().string()))
{
    m_held.reserve(128);
    resetLocked();
    for (ChannelState& state : m_channels)
        state.unscaledVolume.set(100);
}

COutPort::~COutPort()
{
    // No other thread may use a port that is being destroyed.
    if (m_device)
        m_device->close();
    if (m_instrument && m_instrument->isLoaded())
        m_instrument->unload();
}

bool COutPort::Open()
{
    PortGuard guard(m_semaphore, "Open", m_lockWait);
    if (!guard)
        return false;
    m_openError.clear();
    if (m_device) {
        m_device->close();
        if (m_device->open())
            return true;
        m_openError = m_device->openError();
        return false;
    }
    if (!m_instrument)
        return false;
    if (m_instrument->isLoaded())
        m_instrument->unload();
    InstrumentLoadResult loaded = m_instrument->load(m_path);
    if (!loaded.name) {
        m_openError = std::move(loaded.error);
        return false;
    }
    m_name = std::move(*loaded.name);
    return true;
}

void COutPort::Close()
{
    PortGuard guard(m_semaphore, "Close", m_lockWait);
    if (!guard)
        return;
    if (m_device)
        m_device->close();
    else if (m_instrument && m_instrument->isLoaded())
        m_instrument->unload();
}

bool COutPort::isOpen() const
{
    if (m_device)
        return m_device->isOpen();
    return m_instrument && m_instrument->isLoaded();
}

void COutPort::SendRaw(uint32_t message)
{
    const uint8_t status = uint8_t(message);
    const size_t length = shortLength(status);
    if (length == 0)
        return;
    const uint8_t bytes[3] = {status, uint8_t((message >> 8) & 0x7F),
                              uint8_t((message >> 16) & 0x7F)};
    if (m_device) {
        m_device->sendShort(std::span<const uint8_t>(bytes, length));
    } else if (m_instrument && m_instrument->isLoaded()) {
        uint32_t masked = 0;
        for (size_t i = 0; i < length; ++i)
            masked |= uint32_t(bytes[i]) << (8 * i);
        m_instrument->queueShort(masked);
    }
}

void COutPort::SendShort(uint32_t message)
{
    PortGuard guard(m_semaphore, "SendShort", m_lockWait);
    if (guard)
        sendShortLocked(message);
}

void COutPort::sendShortLocked(uint32_t message)
{
    const uint8_t status = uint8_t(message);
    const int channel = status & 15;
    if (midi::isChannelStatus(status))
        message = maskedChannelMessage(message);
    const uint8_t data1 = uint8_t(message >> 8);
    const uint8_t data2 = uint8_t(message >> 16);
    ChannelState& state = channelState(channel);
    switch (midi::statusOf(status)) {
    case 0x10: {
        // The song's set-RPN event: number in data 1, the value in the top 16 bits.
        const int rpn = data1 & 0x7F;
        const int value = int((message >> 16) & 0x3FFF);
        const int slot = rpnSlot(rpn);
        if (slot >= 0 && state.rpn[size_t(slot)].get() != value)
            sendRpnLocked(channel, rpn, value);
        return;
    }
    case midi::kNoteOff:
        noteOffLocked((message & 0xFF00FF00u) | midi::kNoteOn | uint32_t(channel));
        return;
    case midi::kNoteOn:
        if (data2 == 0)
            noteOffLocked(message);
        else
            noteOnLocked(message);
        return;
    case midi::kPolyPressure: state.keyPressure[data1].set(data2); break;
    case midi::kControlChange: controllerLocked(state, data1, data2); break;
    case midi::kProgramChange: programLocked(state, data1); break;
    case midi::kChannelPressure: state.channelPressure.set(data1); break;
    case midi::kPitchBend: state.pitchBend.set(uint16_t(data1 | data2 << 8)); break;
    default: break;
    }
    SendRaw(message);
}

void COutPort::controllerLocked(ChannelState& state, uint8_t controller, uint8_t value)
{
    state.controllers[controller].set(value);
    if (controller == kBankMsb || controller == kBankLsb)
        state.program.set(kUnsetByte);
    else if (controller == kDataEntryLsb)
        dataEntryLocked(state);
    else if (controller == kResetAllControllers)
        resetAllControllersLocked(state);
}

// What reset-all-controllers returns to its defaults the cache no longer
// knows, so the faders and Resend do not bring the old values back; the
// parameter numbers it nulls go too.
void COutPort::resetAllControllersLocked(ChannelState& state)
{
    for (int controller = 0; controller < int(state.controllers.size()); ++controller) {
        if (clearedByResetAll(controlChange(0, controller, 0)))
            state.controllers[size_t(controller)].set(kUnsetByte);
    }
    for (const uint8_t number : {kRpnMsb, kRpnLsb, cc::kNrpnMsb, cc::kNrpnLsb})
        state.controllers[number].set(kUnsetByte);
    state.channelPressure.set(kUnsetByte);
    state.pitchBend.set(kUnsetWord);
}

// CC38 completes a data entry for the RPN that CC101 and CC100 selected.
void COutPort::dataEntryLocked(ChannelState& state)
{
    const uint8_t msb = state.controllers[kRpnMsb].get();
    const uint8_t lsb = state.controllers[kRpnLsb].get();
    if (msb != kUnsetByte && lsb != kUnsetByte) {
        const int slot = rpnSlot(msb * 128 + lsb);
        if (slot >= 0) {
            // Without a known CC6 the device's value is not known either.
            const uint8_t coarse = state.controllers[kDataEntryMsb].get();
            const uint8_t fine = state.controllers[kDataEntryLsb].get();
            state.rpn[size_t(slot)].set(coarse == kUnsetByte ? kUnsetValue
                                                             : coarse * 128 + fine);
        }
    }
    state.controllers[kRpnMsb].set(kUnsetByte);
}

void COutPort::programLocked(ChannelState& state, uint8_t program)
{
    const uint8_t msb = state.controllers[kBankMsb].get();
    const uint8_t lsb = state.controllers[kBankLsb].get();
    state.bank.set(uint16_t((msb != kUnsetByte ? msb * 128 : 0) + (lsb != kUnsetByte ? lsb : 0)));
    state.program.set(program);
    state.rpn[size_t(rpnSlot(0))].set(kUnsetValue);
}

void COutPort::SendRpn(int channel, int rpn, int value)
{
    PortGuard guard(m_semaphore, "SendRpn", m_lockWait);
    if (guard)
        sendRpnLocked(channel, rpn, value);
}

void COutPort::sendRpnLocked(int channel, int rpn, int value)
{
    if (value < 0 || rpn < 0)
        return;
    value = std::min(value, 16383);
    rpn &= 16383;
    SendRaw(controlChange(channel, kRpnMsb, uint8_t(rpn / 128)));
    SendRaw(controlChange(channel, kRpnLsb, uint8_t(rpn % 128)));
    SendRaw(controlChange(channel, kDataEntryMsb, uint8_t(value / 128)));
    SendRaw(controlChange(channel, kDataEntryLsb, uint8_t(value % 128)));
    const int slot = rpnSlot(rpn);
    if (slot >= 0)
        channelState(channel).rpn[size_t(slot)].set(value);
}

void COutPort::SelectPatch(int patch, uint32_t note, bool audition)
{
    if (patch < 0)
        return;
    PortGuard guard(m_semaphore, "SelectPatch", m_lockWait);
    if (!guard)
        return;
    const int channel = int(note & 15);
    const int bank = patch / 256;
    sendShortLocked(controlChange(channel, kVolume, 127));
    sendShortLocked(controlChange(channel, kBankMsb, uint8_t(bank / 128)));
    sendShortLocked(controlChange(channel, kBankLsb, uint8_t(bank % 128)));
    sendShortLocked(midi::kProgramChange | uint32_t(channel) | uint32_t(patch % 128) << 8);
    if (audition) {
        sendShortLocked(note);
        // The note-off keeps the note's tag, or it would match no held note.
        sendShortLocked(note & 0xFF00FFFFu);
    }
}

void COutPort::SendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff)
{
    PortGuard guard(m_semaphore, "SendBankProgram", m_lockWait);
    if (guard)
        sendBankProgramLocked(int(channelMessage & 15), bank, program, notesOff);
}

void COutPort::sendBankProgramLocked(int channel, int bank, int program, bool notesOff)
{
    if (notesOff)
        allNotesOffLocked();
    if (bank >= 0) {
        sendShortLocked(controlChange(channel, kBankMsb, uint8_t((bank / 128) & 0x7F)));
        sendShortLocked(controlChange(channel, kBankLsb, uint8_t(bank % 128)));
    }
    if (program >= 0)
        sendShortLocked(midi::kProgramChange | uint32_t(channel) | uint32_t(program & 0x7F) << 8);
}

void COutPort::SendMtcFullFrame(const CSmpteTime& time)
{
    const auto bytes = mtcFullFrame(time);
    SendSysEx(bytes.data(), bytes.size());
}

void COutPort::SendMtcQuarterFrame(const CSmpteTime& time, int piece)
{
    if (!m_device)
        return;
    PortGuard guard(m_semaphore, "SendMtcQuarterFrame", m_lockWait);
    if (guard)
        SendRaw(mtcQuarterFrame(time, piece));
}

void COutPort::setUnscaledVolume(int channel, int value)
{
    PortGuard guard(m_semaphore, "setUnscaledVolume", m_lockWait);
    if (guard)
        channelState(channel).unscaledVolume.set(uint8_t(std::clamp(value, 0, 127)));
}

int COutPort::program(int channel) const
{
    const uint8_t value = channelState(channel).program.get();
    return value == kUnsetByte ? -1 : value;
}

int COutPort::bank(int channel) const
{
    const uint16_t value = channelState(channel).bank.get();
    return value == kUnsetWord ? -1 : value;
}

int COutPort::controllerValue(int channel, int controller) const
{
    if (controller < 0 || controller > 127)
        return -1;
    const uint8_t value = channelState(channel).controllers[size_t(controller)].get();
    return value == kUnsetByte ? -1 : value;
}

int COutPort::unscaledVolume(int channel) const
{
    return channelState(channel).unscaledVolume.get();
}

int COutPort::keyPressure(int channel, int key) const
{
    const uint8_t value = channelState(channel).keyPressure[size_t(key & 0x7F)].get();
    return value == kUnsetByte ? -1 : value;
}

int COutPort::channelPressure(int channel) const
{
    const uint8_t value = channelState(channel).channelPressure.get();
    return value == kUnsetByte ? -1 : value;
}

int COutPort::pitchBend(int channel) const
{
    const uint16_t value = channelState(channel).pitchBend.get();
    return value == kUnsetWord ? -1 : (value >> 8) * 128 + (value & 0x7F);
}

int COutPort::rpnValue(int channel, int rpn) const
{
    const int slot = rpnSlot(rpn);
    if (slot < 0)
        return -1;
    const int32_t value = channelState(channel).rpn[size_t(slot)].get();
    return value == kUnsetValue ? -1 : value;
}

int COutPort::deviceValue(DeviceValue value) const
{
    return m_deviceValues[size_t(value)].get();
}

int COutPort::destination(DestinationTable table, int channel, size_t index) const
{
    const ChannelState& state = channelState(channel);
    uint8_t value = kUnsetByte;
    switch (table) {
    case DestinationTable::ChannelPressure:
        if (index < kPressureDestinationBytes)
            value = state.pressureDestinations[index].get();
        break;
    case DestinationTable::KeyPressure:
        if (index < kPressureDestinationBytes)
            value = state.keyPressureDestinations[index].get();
        break;
    case DestinationTable::ControlChange:
        if (index < kControlDestinationBytes)
            value = state.controlDestinations[index].get();
        break;
    }
    return value == kUnsetByte ? -1 : value;
}

} // namespace rz
