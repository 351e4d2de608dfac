#include "tests/support/fake_midi_out.h"

namespace rz {

void FakeMidiOut::sendShort(uint32_t taggedMessage)
{
    log.record("sendShort", taggedMessage);
    shortMessages.push_back(taggedMessage);
}

void FakeMidiOut::sendSysEx(const uint8_t* bytes, size_t length)
{
    log.record("sendSysEx", length);
    sysex.emplace_back(bytes, bytes + length);
}

void FakeMidiOut::sendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff)
{
    log.record("sendBankProgram", channelMessage & 15, bank, program, notesOff);
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

} // namespace rz
