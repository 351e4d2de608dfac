#pragma once

#include <cstdint>

// The MIDI vocabulary: status bytes, controller numbers and the packers of
// short messages. A short message travels as one 32-bit word: status in the
// low byte, then the first and second data bytes.
namespace rz::midi {

// Channel messages; the low four bits carry the channel. Beside each, its
// data bytes (k key, v velocity or value, c controller, p program or
// pressure, l and m the low and high 7 bits of a 14-bit value).
inline constexpr uint8_t kNoteOff = 0x80;         // 0kkkkkkk 0vvvvvvv
inline constexpr uint8_t kNoteOn = 0x90;          // 0kkkkkkk 0vvvvvvv (v 0: a note-off)
inline constexpr uint8_t kPolyPressure = 0xA0;    // 0kkkkkkk 0ppppppp
inline constexpr uint8_t kControlChange = 0xB0;   // 0ccccccc 0vvvvvvv
inline constexpr uint8_t kProgramChange = 0xC0;   // 0ppppppp
inline constexpr uint8_t kChannelPressure = 0xD0; // 0ppppppp
inline constexpr uint8_t kPitchBend = 0xE0;       // 0lllllll 0mmmmmmm, 8192 the centre

// System common messages.
inline constexpr uint8_t kSysEx = 0xF0;        // data bytes up to kEndOfSysEx
inline constexpr uint8_t kQuarterFrame = 0xF1; // 0nnndddd: piece n, 4 bits d
inline constexpr uint8_t kSongPosition = 0xF2; // 0lllllll 0mmmmmmm sixteenths
inline constexpr uint8_t kSongSelect = 0xF3;   // 0sssssss
inline constexpr uint8_t kUndefinedF4 = 0xF4;
inline constexpr uint8_t kUndefinedF5 = 0xF5;
inline constexpr uint8_t kTuneRequest = 0xF6;
inline constexpr uint8_t kEndOfSysEx = 0xF7;

// System real-time messages: one byte each, allowed between any two bytes.
inline constexpr uint8_t kClock = 0xF8;
inline constexpr uint8_t kTick = 0xF9;
inline constexpr uint8_t kStart = 0xFA;
inline constexpr uint8_t kContinue = 0xFB;
inline constexpr uint8_t kStop = 0xFC;
inline constexpr uint8_t kUndefinedFD = 0xFD;
inline constexpr uint8_t kActiveSensing = 0xFE;
inline constexpr uint8_t kSystemReset = 0xFF;

// In a standard MIDI file the reset's byte starts a meta event instead:
// kMeta, type, length, data. The song's events keep it as their kind.
inline constexpr uint8_t kMeta = 0xFF;
// Meta event types the program acts on.
inline constexpr uint8_t kMetaText = 0x01;
inline constexpr uint8_t kMetaLyric = 0x05;
inline constexpr uint8_t kMetaPort = 0x21; // the track's output port
inline constexpr uint8_t kMetaEndOfTrack = 0x2F;

// A status byte has its top bit set; a data byte carries 7 bits.
inline constexpr uint8_t kStatusBit = 0x80;
inline constexpr uint8_t kDataMask = 0x7F;

// A channel message's kind without its channel.
inline constexpr uint8_t kKindMask = 0xF0;

// The parts of a message word (status in the low byte).
constexpr uint8_t statusOf(uint32_t message) { return uint8_t(message & kKindMask); }
constexpr int channelOf(uint32_t message) { return int(message & 0x0F); }
constexpr uint8_t firstDataByte(uint32_t message) { return uint8_t((message >> 8) & kDataMask); }
constexpr uint8_t secondDataByte(uint32_t message) { return uint8_t((message >> 16) & kDataMask); }

constexpr bool isStatusByte(uint32_t byte) { return (byte & 0xFF) >= kStatusBit; }
constexpr bool isDataByte(uint32_t byte) { return (byte & 0xFF) < kStatusBit; }
// 0x80..0xEF: a message of one channel.
constexpr bool isChannelStatus(uint32_t byte) { return isStatusByte(byte) && (byte & 0xFF) < kSysEx; }
// 0xF0 and above: system exclusive, system common or real time.
constexpr bool isSystemStatus(uint32_t byte) { return (byte & 0xFF) >= kSysEx; }
constexpr bool isRealTime(uint32_t byte) { return (byte & 0xFF) >= kClock; }

// The kind of a channel message, whatever its channel; a note-on of
// velocity 0 is still a note-on here.
constexpr bool isNoteOff(uint32_t message) { return statusOf(message) == kNoteOff; }
constexpr bool isNoteOn(uint32_t message) { return statusOf(message) == kNoteOn; }
constexpr bool isPolyPressure(uint32_t message) { return statusOf(message) == kPolyPressure; }
constexpr bool isController(uint32_t message) { return statusOf(message) == kControlChange; }
constexpr bool isProgramChange(uint32_t message) { return statusOf(message) == kProgramChange; }
constexpr bool isChannelPressure(uint32_t message) { return statusOf(message) == kChannelPressure; }
constexpr bool isPitchBend(uint32_t message) { return statusOf(message) == kPitchBend; }
constexpr bool isNote(uint32_t message) { return isNoteOn(message) || isNoteOff(message); }

// The status byte of a channel message kind on a channel 0..15.
constexpr uint8_t onChannel(uint8_t kind, int channel) { return uint8_t(kind | (channel & 0x0F)); }

constexpr uint32_t shortMessage(uint8_t status, int data1, int data2 = 0)
{
    return uint32_t(status) | uint32_t(data1 & kDataMask) << 8 | uint32_t(data2 & kDataMask) << 16;
}

constexpr uint32_t noteOn(int channel, int key, int velocity)
{
    return shortMessage(onChannel(kNoteOn, channel), key, velocity);
}

constexpr uint32_t controlChange(int channel, int controller, int value)
{
    return shortMessage(onChannel(kControlChange, channel), controller, value);
}

constexpr uint32_t programChange(int channel, int program)
{
    return shortMessage(onChannel(kProgramChange, channel), program);
}

} // namespace rz::midi

// Controller numbers.
namespace rz::cc {

inline constexpr uint8_t kBankMsb = 0;
inline constexpr uint8_t kModulation = 1;
inline constexpr uint8_t kPortamentoTime = 5;
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
inline constexpr uint8_t kSoundController2 = 71; // 71..78: sound controllers 2..9
inline constexpr uint8_t kTimbre = 71;
inline constexpr uint8_t kReleaseTime = 72;
inline constexpr uint8_t kAttackTime = 73;
inline constexpr uint8_t kBrightness = 74;
inline constexpr uint8_t kDecayTime = 75;
inline constexpr uint8_t kVibratoRate = 76;
inline constexpr uint8_t kVibratoDepth = 77;
inline constexpr uint8_t kVibratoDelay = 78;
inline constexpr uint8_t kSoundController9 = 78;
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
inline constexpr uint8_t kCelesteSend = 94;

} // namespace rz::cc

namespace rz {

// A 14-bit value is sent as MSB x 128 + LSB; programs run 0..127.
inline constexpr int kMsbFactor = 128;
inline constexpr int kMaxFourteenBit = 16383;
inline constexpr int kMaxProgram = 127;

} // namespace rz
