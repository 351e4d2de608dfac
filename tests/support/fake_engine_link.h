#pragma once

#include <vector>

#include "core/engine_link.h"
#include "tests/support/call_log.h"

namespace rz {

// Records every call (arguments included); tests set what it answers. The
// output map holds port indices into `ports` (-1 when a port is not open).
class FakeEngineLink : public IEngineLink {
public:
    CallLog log;
    TransportState state = TransportState::Stopped;
    std::vector<int> outputMap;
    std::vector<IMidiOut*> ports;
    const CCue* vamp = nullptr;
    int repetitionsLeft = 0;
    int advanceResetOption = 0;
    int master = 16383;

    TransportState transportState() const override { return state; }
    void Stop(bool reset) override;
    void Play(int32_t tick) override;
    int outputMapSize() const override { return int(outputMap.size()); }
    int outputMapEntry(int portNumber) const override;
    IMidiOut* openOutPort(int index) override;
    const CCue* activeVamp() const override { return vamp; }
    int vampRepetitionsLeft() const override { return repetitionsLeft; }
    int advanceReset() const override { return advanceResetOption; }
    void ResetPortChannelStates() override;
    void ResetOutPorts() override;
    void SendSynthResets() override;
    void RebuildThruTracks() override;
    int masterVolume() const override { return master; }
};

} // namespace rz
