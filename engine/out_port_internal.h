#pragma once

#include <cstdint>

// Shared by the files of COutPort only.
namespace rz::out_port_detail {

// Unset marks in the caches.
inline constexpr uint8_t kUnsetByte = 0x80;
inline constexpr uint16_t kUnsetWord = 0x8080;
inline constexpr int32_t kUnsetValue = int32_t(0x80808080u);
inline constexpr int32_t kUnsetDeviceValue = -1;
inline constexpr uint16_t kBendCentre = 0x4000; // data bytes 00 40

inline constexpr uint8_t kBankMsb = 0;
inline constexpr uint8_t kDataEntryMsb = 6;
inline constexpr uint8_t kVolume = 7;
inline constexpr uint8_t kBankLsb = 32;
inline constexpr uint8_t kDataEntryLsb = 38;
inline constexpr uint8_t kSustain = 64;
inline constexpr uint8_t kRpnLsb = 100;
inline constexpr uint8_t kRpnMsb = 101;
inline constexpr uint8_t kAllSoundOff = 120;
inline constexpr uint8_t kResetAllControllers = 121;

inline uint32_t controlChange(int channel, uint8_t controller, uint8_t value)
{
    return 0xB0u | uint32_t(channel & 15) | uint32_t(controller & 0x7F) << 8
           | uint32_t(value & 0x7F) << 16;
}

// Index into a channel's RPN cache: RPN 5, 1, 2, 0; -1 for numbers not cached.
inline int rpnSlot(int rpn)
{
    switch (rpn) {
    case 5: return 0;
    case 1: return 1;
    case 2: return 2;
    case 0: return 3;
    default: return -1;
    }
}

inline constexpr int kCachedRpns[4] = {5, 1, 2, 0};

} // namespace rz::out_port_detail
