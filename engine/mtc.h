#pragma once

#include "core/smpte_time.h"

#include <array>
#include <cstdint>

namespace rz {

// A time as MIDI time code carries it: every field in range and the rate in
// the code's two bits.
struct MtcFields {
    uint8_t rateCode = 0; // 0 24 fps, 1 25, 2 29.97 drop, 3 30
    uint8_t hours = 0;    // 0..23; time code wraps a day
    uint8_t minutes = 0;
    uint8_t seconds = 0;
    uint8_t frames = 0;
};

// The one mapping from a CSmpteTime to time code, for every sender. Time
// code has no millisecond rate: a time at rate 4 goes out as 30 fps,
// non-drop, at the frame of the same instant.
MtcFields mtcFields(const CSmpteTime& time);

// F0 7F 00 01 01 hr mn sc fr F7, hr = rate code x 32 + hours.
inline constexpr size_t kMtcFullFrameBytes = 10;
std::array<uint8_t, kMtcFullFrameBytes> mtcFullFrame(const CSmpteTime& time);

// The short message F1 dd of quarter frame `piece` (0..7, masked), status in
// the low byte.
uint32_t mtcQuarterFrame(const CSmpteTime& time, int piece);

} // namespace rz
