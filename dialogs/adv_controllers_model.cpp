#include "dialogs/adv_controllers_model.h"

#include "core/leading_number.h"
#include "core/midi_bytes.h"
#include "song/event_format.h"
#include "song/track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace rz {
namespace {

constexpr int32_t kMax14 = 16383;
constexpr int32_t kCentre14 = 8192;
constexpr int32_t kCentre7 = 64;
constexpr int32_t kSemitone = 128; // raw steps of one semitone in the ranges and coarse tune
// Fine tune: hundredths of a cent from -10000 to +10000 over the 14 bits.
constexpr int64_t kFineTuneHundredths = 10000;
// Coarse tune: hundredths of a semitone below the centre.
constexpr int64_t kCoarseOffsetHundredths = 6400;
// Typed decimals are floored after x 100; this keeps "0.29" from flooring to 28.
constexpr double kDecimalSlack = 1e-7;

// The destination setting's universal real-time message: any device,
// controller destination, then the source.
constexpr uint8_t kUniversalRealTime = 0x7F;
constexpr uint8_t kAnyDevice = 0x7F;
constexpr uint8_t kControllerDestination = 0x09;
constexpr uint8_t kSourceChannelPressure = 0x01;
constexpr uint8_t kSourceControlChange = 0x03;

template <class... Args>
std::string formatValue(const char* pattern, Args... args)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

std::string trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

// A typed decimal as atof reads it; hundredths floored.
int64_t hundredths(const std::string& text)
{
    const double x = std::clamp(std::strtod(text.c_str(), nullptr), -1e9, 1e9);
    return int64_t(std::floor(x * 100 + kDecimalSlack));
}

// "+1.25" / "-0.50" of hundredths.
std::string signedHundredths(int64_t h)
{
    const int64_t magnitude = h < 0 ? -h : h;
    return formatValue("%c%lld.%02lld", h < 0 ? '-' : '+', (long long)(magnitude / 100), (long long)(magnitude % 100));
}

int32_t clamp14(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, 0, kMax14));
}

std::vector<uint8_t> destinationMessage(std::initializer_list<uint8_t> head,
                                        const std::array<int32_t, kDestinationCount>& values)
{
    std::vector<uint8_t> bytes{midi::kSysEx, kUniversalRealTime, kAnyDevice, kControllerDestination};
    for (uint8_t byte : head)
        bytes.push_back(byte);
    for (size_t i = 0; i < kDestinationCount; ++i) {
        if (values[i] < 0)
            continue;
        bytes.push_back(uint8_t(i));
        bytes.push_back(uint8_t(std::min(values[i], 127)));
    }
    bytes.push_back(midi::kEndOfSysEx);
    return bytes;
}

} // namespace

const std::array<AdvControllerRow, 14> kAdvControllerRows = {{
    {"Volume", 1024, 1255, cc::kVolume, false, 100},
    {"Pan", 1032, 1256, cc::kPan, true, 64},
    {"Portamento time", 1031, 1055, cc::kPortamentoTime, false, 0},
    {"Resonance", 1029, 1056, cc::kTimbre, true, 64},
    {"Brightness", 1035, 1057, cc::kBrightness, true, 64},
    {"Attack", 1037, 1058, cc::kAttackTime, true, 64},
    {"Decay", 1034, 1059, cc::kDecayTime, true, 64},
    {"Release", 1030, 1060, cc::kReleaseTime, true, 64},
    {"Rate", 1025, 1061, cc::kVibratoRate, true, 64},
    {"Depth", 1026, 1062, cc::kVibratoDepth, true, 64},
    {"Delay", 1027, 1063, cc::kVibratoDelay, true, 64},
    {"Reverb", 1028, 1067, cc::kReverbSend, false, 40},
    {"Chorus", 1036, 1068, cc::kChorusSend, false, 0},
    {"Delay", 1033, 1069, cc::kCelesteSend, false, 0},
}};

const std::array<RpnFieldRow, 4> kRpnFieldRows = {{
    {RpnField::BendRange, "Pitch bend range (+/- semitones):", 1071, 1155, 0},
    {RpnField::FineTune, "Fine tune (cents):", 1070, 1210, 1},
    {RpnField::CoarseTune, "Coarse tune (semitones):", 1292, 1293, 2},
    {RpnField::ModDepth, "Mod Depth Range (semitones):", 1072, 1211, 5},
}};

const std::array<DestinationRow, kDestinationCount> kDestinationRows = {{
    {"Pitch (semitones):", 1073, 1027},
    {"Filter cutoff (cents):", 1074, 1156},
    {"Amplitude (%):", 1075, 1213},
    {"LFO pitch depth (cents):", 1076, 1214},
    {"LFO filter depth (cents):", 1077, 1157},
    {"LFO amplitude depth (%):", 1078, 1215},
}};

size_t initialControllerSlot(uint8_t controller)
{
    const auto at = std::find(kInitialControllerNumbers.begin(), kInitialControllerNumbers.end(), controller);
    return size_t(at - kInitialControllerNumbers.begin());
}

std::string controllerValueText(const AdvControllerRow& row, int32_t value)
{
    if (value < 0)
        return {};
    return formatValue("%d", row.centred ? value - kCentre7 : value);
}

int32_t parseControllerValue(const AdvControllerRow& row, std::string_view text)
{
    const std::string typed = trimBlanks(text);
    if (typed.empty())
        return -1;
    const int value = leadingNumber(typed);
    if (row.centred)
        return std::clamp(value, -kCentre7, kCentre7 - 1) + kCentre7;
    return std::clamp(value, 0, 127);
}

size_t rpnSlot(int rpn)
{
    const auto at = std::find(kInitialRpnNumbers.begin(), kInitialRpnNumbers.end(), rpn);
    return size_t(at - kInitialRpnNumbers.begin());
}

std::string rpnFieldText(RpnField field, int32_t value)
{
    if (value < 0)
        return {};
    switch (field) {
    case RpnField::BendRange:
        return FormatBendRange(value);
    case RpnField::FineTune:
        return signedHundredths(int64_t(value) * 20000 / 16384 - kFineTuneHundredths);
    case RpnField::CoarseTune:
        return signedHundredths(int64_t(value) * 100 / kSemitone - kCoarseOffsetHundredths);
    case RpnField::ModDepth: {
        const int64_t h = int64_t(value) * 100 / kSemitone;
        return formatValue("%lld.%02lld", (long long)(h / 100), (long long)(h % 100));
    }
    }
    return {};
}

int32_t parseRpnField(RpnField field, std::string_view text)
{
    const std::string typed = trimBlanks(text);
    if (typed.empty())
        return -1;
    switch (field) {
    case RpnField::BendRange: {
        // MSB semitones, LSB cents: rounded to the nearest cent.
        const double x = std::clamp(std::strtod(typed.c_str(), nullptr), 0.0, 128.0);
        return BendRangeFromCents(std::llround(x * 100));
    }
    case RpnField::FineTune:
        return clamp14((hundredths(typed) + kFineTuneHundredths) * kCentre14 / kFineTuneHundredths);
    case RpnField::CoarseTune:
        return clamp14((hundredths(typed) + kCoarseOffsetHundredths) * kSemitone / 100);
    case RpnField::ModDepth:
        return clamp14(hundredths(typed) * kSemitone / 100);
    }
    return -1;
}

int32_t spinRpnField(RpnField field, int32_t value, std::string_view shown, int direction)
{
    switch (field) {
    case RpnField::CoarseTune:
        return clamp14(int64_t(leadingNumber(trimBlanks(shown)) + direction + kCentre7) * kSemitone);
    case RpnField::BendRange:
        return clamp14(int64_t(value < 0 ? 0 : value) + direction * kSemitone);
    case RpnField::FineTune:
        return clamp14(int64_t(value < 0 ? kCentre14 : value) + direction);
    case RpnField::ModDepth:
        return clamp14(int64_t(value < 0 ? 0 : value) + direction);
    }
    return value;
}

int32_t rpnValueToSend(int32_t value)
{
    return value < 0 ? kCentre14 : std::min(value, kMax14);
}

std::string destinationText(size_t index, int32_t value)
{
    if (value < 0)
        return {};
    const int v = std::min(value, 127);
    const auto signedText = [](int x) { return formatValue("%c%d", x < 0 ? '-' : '+', std::abs(x)); };
    switch (index) {
    case 0: return signedText(v - kCentre7);
    case 1: return signedText((v - kCentre7) * 150);
    case 2: return formatValue("%d", (v * 100 + 32) / 64);
    case 3: return formatValue("%d", (v * 600 + 63) / 127);
    case 4: return formatValue("%d", (v * 2400 + 63) / 127);
    case 5: return formatValue("%d", (v * 100 + 63) / 127);
    default: return {};
    }
}

int32_t parseDestination(size_t index, std::string_view text)
{
    const std::string typed = trimBlanks(text);
    if (typed.empty())
        return -1;
    const int64_t number = leadingNumber(typed) + (index <= 1 ? kCentre7 : 0);
    // Stored in a data byte: held within 0..127.
    return int32_t(std::clamp<int64_t>(number, 0, 127));
}

int32_t spinDestination(size_t index, int32_t value, int direction)
{
    const int32_t start = value >= 0 ? value : (index <= 1 ? kCentre7 : 0);
    return std::clamp(start + direction, 0, 127);
}

bool validDestinationController(int32_t controller)
{
    return (controller >= 1 && controller <= 31) || (controller >= 64 && controller <= 95);
}

std::optional<std::vector<uint8_t>> channelPressureDestinationMessage(
    int channel, const std::array<int32_t, kDestinationCount>& values)
{
    return destinationMessage({kSourceChannelPressure, uint8_t(channel & 0x0F)}, values);
}

std::optional<std::vector<uint8_t>> controllerDestinationMessage(
    int channel, int32_t controller, const std::array<int32_t, kDestinationCount>& values)
{
    if (!validDestinationController(controller))
        return std::nullopt;
    return destinationMessage({kSourceControlChange, uint8_t(channel & 0x0F), uint8_t(controller)}, values);
}

} // namespace rz
