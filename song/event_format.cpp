#include "song/event_format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "core/midi_bytes.h"
#include "core/muldiv.h"

namespace rz {
namespace {

constexpr size_t kMaxHexBytes = 10;

std::string format(const char* pattern, auto... args)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

std::string formatRpn(uint32_t message)
{
    const int parameter = int((message >> 8) & 0x7F);
    const int v = int((message >> 16) & 0x3FFF);
    switch (parameter) {
    case 0:
        return FormatBendRange(v);
    case 5: // semitones and 128ths
        return format("%d.%02d", v / 128, (v % 128) * 100 / 128);
    case 1: {
        const int x = MulDiv(v, 10000, 8192) - 10000;
        return format("%c%d.%02d", x < 0 ? '-' : '+', std::abs(x / 100), std::abs(x % 100));
    }
    case 2:
        return format("%d", v / 128);
    default:
        return format("%d (%d/%d)", v, v >> 7, v & 127);
    }
}

// Up to kMaxHexBytes bytes as "F0 41 10", then "..." when there are more.
std::string formatHex(std::span<const uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes.size() && i < kMaxHexBytes; ++i) {
        if (i > 0)
            text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    if (bytes.size() > kMaxHexBytes)
        text += "...";
    return text;
}

// Text bytes up to the first zero, unchanged.
std::string formatText(std::span<const uint8_t> bytes)
{
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
}

std::string formatMeta(const CMidiEvent& event)
{
    const uint8_t type = event.data1();
    if (type == 7 && event.clip())
        return event.clip()->baseName();
    if (type < 10)
        return formatText(event.data.bytes());
    return formatHex(event.data.bytes());
}

} // namespace

std::string FormatEventValue(const CMidiEvent& event)
{
    const uint8_t kind = event.kind();
    switch (midi::statusOf(kind)) {
    case 0x10:
        return formatRpn(event.message);
    case 0x20:
        return format("%d (%d/%d)", event.value2, event.value2 >> 7, event.value2 & 127);
    case midi::kNoteOn:
    case midi::kPolyPressure:
    case midi::kControlChange:
        return format("%d", event.data2());
    case midi::kChannelPressure:
        return format("%d", event.data1());
    case midi::kPitchBend:
        return format("%d", (event.data2() << 7 | event.data1()) - 8192);
    case midi::kSysEx:
        if (kind == midi::kMeta)
            return formatMeta(event);
        if (kind == midi::kSysEx || kind == midi::kEndOfSysEx)
            return formatHex(event.data.bytes());
        return {};
    default:
        return {};
    }
}

std::string FormatBendRange(int32_t value)
{
    const int32_t cents = (value >> 7) * 100 + (value & 127);
    return format("%d.%02d", cents / 100, cents % 100);
}

int32_t BendRangeFromCents(int64_t cents)
{
    const int64_t h = std::clamp<int64_t>(cents, 0, 127 * 100 + 99);
    return int32_t(h / 100 * 128 + h % 100);
}

} // namespace rz
