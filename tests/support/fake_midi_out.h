#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/midi_out.h"
#include "tests/support/call_log.h"

namespace rz {

// Records what is sent; the channel cache is whatever the test sets.
class FakeMidiOut : public IMidiOut {
public:
    struct ChannelCache {
        int program = -1;
        int bank = -1;
        int unscaledVolume = -1;
        std::array<int, 128> controllers = filledControllers();
    };

    CallLog log;
    std::vector<uint32_t> shortMessages;
    std::vector<std::vector<uint8_t>> sysex;
    std::array<ChannelCache, 16> channels{};

    void sendShort(uint32_t taggedMessage) override;
    void sendSysEx(const uint8_t* bytes, size_t length) override;
    void sendBankProgram(uint32_t channelMessage, int bank, int program, bool notesOff) override;
    void setUnscaledVolume(int channel, int value) override;
    int program(int channel) const override { return cache(channel).program; }
    int bank(int channel) const override { return cache(channel).bank; }
    int controllerValue(int channel, int controller) const override;
    int unscaledVolume(int channel) const override { return cache(channel).unscaledVolume; }

private:
    static std::array<int, 128> filledControllers()
    {
        std::array<int, 128> values{};
        values.fill(-1);
        return values;
    }
    const ChannelCache& cache(int channel) const { return channels[size_t(channel & 15)]; }
};

} // namespace rz
