#include "engine/mtc.h"
#include "core/midi_bytes.h"

namespace rz {
namespace {

// A millisecond time keeps hundredths of a millisecond, so its fields can lie
// up to 10 us before the instant they were split from; the split adds 1 us.
constexpr double kMillisecondSlackUs = 9.0;

} // namespace

MtcFields mtcFields(const CSmpteTime& time)
{
    const bool milliseconds = time.rate() == kSmpteRateMs;
    const int rate = milliseconds ? kSmpteRate30 : clampSmpteRate(time.rate());
    // Composing and splitting again brings fields set out of range back into
    // range, and turns milliseconds into frames.
    CSmpteTime composed = time;
    const double us = composed.GetTime() + (milliseconds ? kMillisecondSlackUs : 0.0);
    const CSmpteTime inRange(us, rate);
    MtcFields fields;
    fields.rateCode = uint8_t(rate);
    fields.hours = uint8_t(inRange.hours() % 24);
    fields.minutes = uint8_t(inRange.minutes() & 0x3F);
    fields.seconds = uint8_t(inRange.seconds() & 0x3F);
    fields.frames = uint8_t(inRange.frames() & 0x1F);
    return fields;
}

std::array<uint8_t, kMtcFullFrameBytes> mtcFullFrame(const CSmpteTime& time)
{
    const MtcFields f = mtcFields(time);
    return {midi::kSysEx, 0x7F, 0x00, 0x01, 0x01, uint8_t(f.rateCode * 32 + f.hours),
            f.minutes, f.seconds, f.frames, midi::kEndOfSysEx};
}

uint32_t mtcQuarterFrame(const CSmpteTime& time, int piece)
{
    const MtcFields f = mtcFields(time);
    piece &= 7;
    uint8_t nibble = 0;
    switch (piece) {
    case 0: nibble = f.frames & 15; break;
    case 1: nibble = f.frames >> 4; break;
    case 2: nibble = f.seconds & 15; break;
    case 3: nibble = f.seconds >> 4; break;
    case 4: nibble = f.minutes & 15; break;
    case 5: nibble = f.minutes >> 4; break;
    case 6: nibble = f.hours & 15; break;
    default: nibble = uint8_t((f.hours >> 4) | (f.rateCode << 1)); break;
    }
    return midi::kQuarterFrame | uint32_t(piece * 16 + nibble) << 8;
}

} // namespace rz
