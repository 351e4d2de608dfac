#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/midi_out.h"
#include "tests/support/call_log.h"

namespace rz {

// Keeps the least of an output port's channel cache that locate reads, the
// way the real port's SendShort keeps it: controllers, bank and program,
// pressure, bend, RPN 0/1/2/5, the unscaled volume and the held notes with
// their tags. Logs every call, every tagged short message it is handed and
// every message it puts on the wire. Tests may also set the cache directly.
class FakeMidiOut : public IMidiOut {
public:
    struct ChannelCache {
        int program = -1;
        int bank = -1;
        int unscaledVolume = -1;
        int channelPressure = -1;
        int pitchBend = -1;
        std::array<int, 4> rpn = {-1, -1, -1, -1}; // RPN 0, 1, 2, 5
        std::array<int, 128> controllers = filledControllers();
    };

    CallLog log;
    std::vector<uint32_t> shortMessages;      // as handed to SendShort, tags included
    std::vector<uint32_t> wire;               // short messages as sent, no tags
    std::vector<std::vector<uint8_t>> sysex;
    std::vector<uint32_t> held;               // sounding notes with tags
    std::array<ChannelCache, 16> channels{};

    void SendShort(uint32_t taggedMessage) override;
    SysExResult SendSysEx(const uint8_t* bytes, size_t length) override;
    void SendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff) override;
    void setUnscaledVolume(int channel, int value) override;
    int program(int channel) const override { return cache(channel).program; }
    int bank(int channel) const override { return cache(channel).bank; }
    int controllerValue(int channel, int controller) const override;
    int unscaledVolume(int channel) const override { return cache(channel).unscaledVolume; }
    int channelPressure(int channel) const override { return cache(channel).channelPressure; }
    int pitchBend(int channel) const override { return cache(channel).pitchBend; }
    int rpnValue(int channel, int rpn) const override;
    std::vector<uint32_t> heldNotes() override { return held; }
    size_t copyHeldNotes(uint32_t* out, size_t capacity) override;
    void SendMtcFullFrame(const CSmpteTime& time) override;

    // Back to a port that has sent nothing; the logs are cleared too.
    void reset();

private:
    static std::array<int, 128> filledControllers()
    {
        std::array<int, 128> values{};
        values.fill(-1);
        return values;
    }
    const ChannelCache& cache(int channel) const { return channels[size_t(channel & 15)]; }
    void putOnWire(uint32_t message) { wire.push_back(message & 0xFFFFFFu); }
    void controller(int channel, int number, int value);
    void sendRpn(int channel, int rpn, int value);
    void noteOff(uint32_t message);
};

} // namespace rz
