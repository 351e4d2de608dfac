#pragma once

#include <cstdint>

// The MIDI vocabulary: status bytes, controller numbers and the packers of
// short messages. A short message travels as one 32-bit word: status in the
// low byte, then the first and second data bytes.
namespace rz::midi {

// Channel messages; the low four bits carry the channel.
inline constexpr uint8_t kNoteOff = 0x80;
inline constexpr uint8_t kNoteOn = 0x90;
inline constexpr uint8_t kPolyPressure = 0xA0;
inline constexpr uint8_t kControlChange = 0xB0;
inline constexpr uint8_t kProgramChange = 0xC0;
inline constexpr uint8_t kChannelPressure = 0xD0;
inline constexpr uint8_t kPitchBend = 0xE0;

// System common messages.
inline constexpr uint8_t kSysEx = 0xF0;
inline constexpr uint8_t kQuarterFrame = 0xF1;
inline constexpr uint8_t kSongPosition = 0xF2;
inline constexpr uint8_t kSongSelect = 0xF3;
inline constexpr uint8_t kEndOfSysEx = 0xF7;

// System real-time messages.
inline constexpr uint8_t kClock = 0xF8;
inline constexpr uint8_t kTick = 0xF9;
inline constexpr uint8_t kStart = 0xFA;
inline constexpr uint8_t kContinue = 0xFB;
inline constexpr uint8_t kStop = 0xFC;
inline constexpr uint8_t kActiveSensing = 0xFE;
inline constexpr uint8_t kSystemReset = 0xFF;

constexpr uint32_t shortMessage(uint8_t status, int data1, int data2 = 0)
{
    return uint32_t(status) | uint32_t(data1 & 0x7F) << 8 | uint32_t(data2 & 0x7F) << 16;
}

constexpr uint32_t controlChange(int channel, int controller, int value)
{
    return shortMessage(uint8_t(kControlChange | (channel & 15)), controller, value);
}

constexpr uint32_t programChange(int channel, int program)
{
    return shortMessage(uint8_t(kProgramChange | (channel & 15)), program);
}

} // namespace rz::midi

// Controller numbers.
namespace rz::cc {

inline constexpr uint8_t kBankMsb = 0;
inline constexpr uint8_t kModulation = 1;
inline constexpr uint8_t kDataEntryMsb = 6;
inline constexpr uint8_t kVolume = 7;
inline constexpr uint8_t kPan = 10;
inline constexpr uint8_t kExpression = 11;
inline constexpr uint8_t kBankLsb = 32;
inline constexpr uint8_t kDataEntryLsb = 38;
inline constexpr uint8_t kSustain = 64;
inline constexpr uint8_t kPortamento = 65;
inline constexpr uint8_t kSostenuto = 66;
inline constexpr uint8_t kSoftPedal = 67;
inline constexpr uint8_t kDataIncrement = 96;
inline constexpr uint8_t kDataDecrement = 97;
inline constexpr uint8_t kNrpnLsb = 98;
inline constexpr uint8_t kNrpnMsb = 99;
inline constexpr uint8_t kRpnLsb = 100;
inline constexpr uint8_t kRpnMsb = 101;
inline constexpr uint8_t kAllSoundOff = 120;
inline constexpr uint8_t kResetAllControllers = 121;
inline constexpr uint8_t kLocalControl = 122;
inline constexpr uint8_t kAllNotesOff = 123;
// Channel mode messages: each also ends the channel's notes.
inline constexpr uint8_t kOmniOff = 124;
inline constexpr uint8_t kOmniOn = 125;
inline constexpr uint8_t kMonoOn = 126; // value: channel count, 0 as many as voices
inline constexpr uint8_t kPolyOn = 127;
inline constexpr uint8_t kReverbSend = 91;
inline constexpr uint8_t kChorusSend = 93;

} // namespace rz::cc
