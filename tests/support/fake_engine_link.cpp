#include "tests/support/fake_engine_link.h"

namespace rz {

void FakeEngineLink::Stop(bool reset) { log.record("Stop", reset); }

void FakeEngineLink::Play(int32_t tick) { log.record("Play", tick); }

int FakeEngineLink::outputMapEntry(int portNumber) const
{
    return portNumber >= 0 && portNumber < int(outputMap.size()) ? outputMap[size_t(portNumber)]
                                                                  : -1;
}

IMidiOut* FakeEngineLink::openOutPort(int index)
{
    log.record("openOutPort", index);
    return index >= 0 && index < int(ports.size()) ? ports[size_t(index)] : nullptr;
}

void FakeEngineLink::ResetPortChannelStates() { log.record("ResetPortChannelStates"); }

void FakeEngineLink::ResetOutPorts() { log.record("ResetOutPorts"); }

void FakeEngineLink::SendSynthResets() { log.record("SendSynthResets"); }

void FakeEngineLink::RebuildThruTracks() { log.record("RebuildThruTracks"); }

} // namespace rz
