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

int FakeMidiOut::controllerValue(int channel, int controller) const
{
    return controller >= 0 && controller < 128 ? cache(channel).controllers[size_t(controller)] : -1;
}

} // namespace rz
