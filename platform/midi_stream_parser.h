#pragma once

#include "platform/midi_in_device.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace rz {

// Turns untrusted MIDI wire bytes into short messages and system-exclusive
// pieces for an IMidiInHandler. Running status applies to channel messages;
// system common messages cancel it; real-time bytes pass at once, even
// inside a system-exclusive message, and disturb nothing. Data bytes with no
// status to belong to are dropped. A system-exclusive message never grows
// past kMaxSysExInputBytes. Not thread-safe: one parser per input stream.
class MidiStreamParser {
public:
    void feed(std::span<const uint8_t> bytes, TickTime stamp, IMidiInHandler& handler);
    // Forgets running status and any part of a system-exclusive message,
    // without a notice.
    void reset();

    // Inside a system-exclusive message (including the dropped rest of one
    // that was too long).
    bool inSysEx() const { return m_sysEx != SysExState::None; }
    // Data bytes dropped because no status applied to them.
    uint64_t strayByteCount() const { return m_strayBytes; }

private:
    enum class SysExState : uint8_t { None, Collecting, Skipping };

    void feedByte(uint8_t byte, TickTime stamp, IMidiInHandler& handler);
    void startStatus(uint8_t status, TickTime stamp, IMidiInHandler& handler);
    void addData(uint8_t byte, TickTime stamp, IMidiInHandler& handler);
    void addSysExByte(uint8_t byte, TickTime stamp, IMidiInHandler& handler);
    void endSysEx(TickTime stamp, IMidiInHandler& handler);
    void emitShort(IMidiInHandler& handler, TickTime stamp);

    uint8_t m_status = 0;     // of the message being collected; 0 for none
    uint8_t m_needed = 0;     // data bytes the status takes
    uint8_t m_have = 0;       // data bytes collected
    std::array<uint8_t, 2> m_data{};
    bool m_running = false;   // m_status may repeat by running status

    SysExState m_sysEx = SysExState::None;
    std::array<uint8_t, kSysExPieceBytes> m_piece{};
    size_t m_pieceBytes = 0;
    size_t m_sysExBytes = 0;  // whole message so far, F0 included
    uint64_t m_strayBytes = 0;
};

// Data bytes after a status byte; -1 for a status that starts no short
// message (F0, F4, F5, F7 and the undefined real-time bytes F9 and FD).
int midiDataBytesAfter(uint8_t status);

} // namespace rz
