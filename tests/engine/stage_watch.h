#pragma once

// What a synthesizer on the far end of a port would be sounding, read from
// the messages the port sent: the notes per channel and key, and the pedal.
// Reports a note struck twice without its note-off, and a note-off for a
// note that is not sounding.

#include "tests/support/recording_midi_device.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rz {

class StageWatch {
public:
    // Reads what the device was sent since the last call and forgets it.
    // The first fault found, empty when none.
    std::string take(RecordingMidiDevice& device)
    {
        const std::vector<RecordingMidiDevice::Message> sent = device.messages();
        device.clear();
        std::string fault;
        for (const auto& message : sent) {
            if (message.isLong || message.bytes.empty())
                continue;
            const std::string found = hear(message.bytes);
            if (fault.empty())
                fault = found;
        }
        return fault;
    }

    // Empty when nothing sounds and every pedal is up; else what does.
    std::string sounding() const
    {
        std::string text;
        for (int channel = 0; channel < 16; ++channel) {
            for (int key = 0; key < 128; ++key) {
                if (m_notes[size_t(channel)][size_t(key)])
                    text += " note " + std::to_string(key) + " ch " + std::to_string(channel);
            }
            if (m_pedal[size_t(channel)])
                text += " pedal ch " + std::to_string(channel);
        }
        return text;
    }

    bool noteOn(int channel, int key) const { return m_notes[size_t(channel)][size_t(key)]; }
    bool pedalDown(int channel) const { return m_pedal[size_t(channel)]; }

private:
    std::string hear(const std::vector<uint8_t>& bytes)
    {
        const uint8_t status = bytes[0];
        if (status >= 0xF0 || bytes.size() < 3)
            return {};
        const size_t channel = status & 15u;
        const uint8_t kind = status & 0xF0u;
        const uint8_t key = bytes[1] & 0x7Fu;
        if (kind == 0x90 && bytes[2] != 0) {
            if (m_notes[channel][key])
                return "note-on twice: " + hexBytes(bytes);
            m_notes[channel][key] = true;
        } else if (kind == 0x80 || kind == 0x90) {
            if (!m_notes[channel][key])
                return "note-off for a silent note: " + hexBytes(bytes);
            m_notes[channel][key] = false;
        } else if (kind == 0xB0 && bytes[1] == 64) {
            m_pedal[channel] = bytes[2] >= 64;
        } else if (kind == 0xB0 && (bytes[1] == 120 || bytes[1] == 123)) {
            m_notes[channel].fill(false);
        }
        return {};
    }

    std::array<std::array<bool, 128>, 16> m_notes{};
    std::array<bool, 16> m_pedal{};
};

} // namespace rz
