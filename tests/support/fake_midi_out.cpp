#include "tests/support/fake_midi_out.h"

#include <algorithm>

#include "core/smpte_time.h"

namespace rz {

namespace {

int rpnSlot(int rpn)
{
    switch (rpn) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 2;
    case 5: return 3;
    default: return -1;
    }
}

uint32_t controlChange(int channel, int number, int value)
{
    return 0xB0u | uint32_t(channel & 15) | uint32_t(number & 0x7F) << 8
           | uint32_t(value & 0x7F) << 16;
}

// Status, key and tag: what a release must match.
constexpr uint32_t kNoteIdentity = 0xFF00FFFFu;

} // namespace

void FakeMidiOut::SendShort(uint32_t taggedMessage)
{
    log.record("SendShort", taggedMessage);
    shortMessages.push_back(taggedMessage);
    const uint8_t status = uint8_t(taggedMessage);
    const int channel = status & 15;
    const int data1 = (taggedMessage >> 8) & 0x7F;
    const int data2 = (taggedMessage >> 16) & 0x7F;
    ChannelCache& state = channels[size_t(channel)];
    switch (status & 0xF0) {
    case 0x10: {
        const int value = int((taggedMessage >> 16) & 0x3FFF);
        const int slot = rpnSlot(data1);
        if (slot >= 0 && state.rpn[size_t(slot)] != value)
            sendRpn(channel, data1, value);
        return;
    }
    case 0x80: noteOff((taggedMessage & 0xFF00FF00u) | 0x90u | uint32_t(channel)); return;
    case 0x90:
        if (data2 == 0) {
            noteOff(taggedMessage);
        } else {
            held.push_back(taggedMessage & 0xFF7F7FFFu);
            putOnWire(taggedMessage);
        }
        return;
    case 0xB0: controller(channel, data1, data2); break;
    case 0xC0:
        state.bank = (state.controllers[0] >= 0 ? state.controllers[0] * 128 : 0)
                     + std::max(state.controllers[32], 0);
        state.program = data1;
        state.rpn[0] = -1;
        break;
    case 0xD0: state.channelPressure = data1; break;
    case 0xE0: state.pitchBend = data2 * 128 + data1; break;
    default: break;
    }
    putOnWire(taggedMessage);
}

void FakeMidiOut::controller(int channel, int number, int value)
{
    ChannelCache& state = channels[size_t(channel)];
    state.controllers[size_t(number)] = value;
    if (number == 0 || number == 32) {
        state.program = -1;
    } else if (number == 38) {
        const int msb = state.controllers[101];
        const int lsb = state.controllers[100];
        const int coarse = state.controllers[6];
        const int slot = msb >= 0 && lsb >= 0 ? rpnSlot(msb * 128 + lsb) : -1;
        if (slot >= 0)
            state.rpn[size_t(slot)] = coarse < 0 ? -1 : coarse * 128 + value;
        state.controllers[101] = -1;
    }
}

// Like the real port: straight out, only RPN 0/1/2/5 cached.
void FakeMidiOut::sendRpn(int channel, int rpn, int value)
{
    putOnWire(controlChange(channel, 101, rpn / 128));
    putOnWire(controlChange(channel, 100, rpn % 128));
    putOnWire(controlChange(channel, 6, value / 128));
    putOnWire(controlChange(channel, 38, value % 128));
    channels[size_t(channel)].rpn[size_t(rpnSlot(rpn))] = value;
}

void FakeMidiOut::noteOff(uint32_t message)
{
    const uint32_t identity = message & kNoteIdentity;
    for (auto entry = held.rbegin(); entry != held.rend(); ++entry) {
        if ((*entry & kNoteIdentity) == identity) {
            held.erase(std::next(entry).base());
            putOnWire(message & 0xFFFFu);
            return;
        }
    }
}

SysExResult FakeMidiOut::SendSysEx(const uint8_t* bytes, size_t length)
{
    log.record("SendSysEx", length);
    sysex.emplace_back(bytes, bytes + length);
    return SysExResult::Delivered;
}

void FakeMidiOut::SendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff)
{
    log.record("SendBankProgram", channelMessage & 15, bank, program, notesOff);
    const int channel = int(channelMessage & 15);
    if (bank >= 0) {
        SendShort(controlChange(channel, 0, (bank / 128) & 0x7F));
        SendShort(controlChange(channel, 32, bank % 128));
    }
    if (program >= 0)
        SendShort(0xC0u | uint32_t(channel) | uint32_t(program & 0x7F) << 8);
}

void FakeMidiOut::setUnscaledVolume(int channel, int value)
{
    log.record("setUnscaledVolume", channel & 15, value);
    channels[size_t(channel & 15)].unscaledVolume = value;
}

int FakeMidiOut::controllerValue(int channel, int controller) const
{
    return controller >= 0 && controller < 128 ? cache(channel).controllers[size_t(controller)] : -1;
}

int FakeMidiOut::rpnValue(int channel, int rpn) const
{
    const int slot = rpnSlot(rpn);
    return slot < 0 ? -1 : cache(channel).rpn[size_t(slot)];
}

size_t FakeMidiOut::copyHeldNotes(uint32_t* out, size_t capacity)
{
    std::copy_n(held.begin(), std::min(capacity, held.size()), out);
    return held.size();
}

void FakeMidiOut::SendMtcFullFrame(const CSmpteTime& time)
{
    log.record("SendMtcFullFrame", time.Format());
}

void FakeMidiOut::reset()
{
    *this = FakeMidiOut();
}

} // namespace rz
