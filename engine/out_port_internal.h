#pragma once

#include "core/midi_bytes.h"

#include <cstdint>

// Shared by the files of COutPort only.
namespace rz::out_port_detail {

// Unset marks in the caches.
inline constexpr uint8_t kUnsetByte = 0x80;
inline constexpr uint16_t kUnsetWord = 0x8080;
inline constexpr int32_t kUnsetValue = int32_t(0x80808080u);
inline constexpr int32_t kUnsetDeviceValue = -1;
inline constexpr uint16_t kBendCentre = 0x4000; // data bytes 00 40

using cc::kAllSoundOff;
using cc::kBankLsb;
using cc::kBankMsb;
using cc::kDataEntryLsb;
using cc::kDataEntryMsb;
using cc::kResetAllControllers;
using cc::kRpnLsb;
using cc::kRpnMsb;
using cc::kSustain;
using cc::kVolume;
using midi::controlChange;

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
