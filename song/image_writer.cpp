#include "song/image_writer.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/midi_bytes.h"
#include "song/audio_clip.h"
#include "song/seek_point.h"
#include "song/track.h"
#include "song/track_encoder.h"

namespace rz {
namespace {

// Controller numbers the encoder writes itself.
using cc::kBankLsb;
using cc::kBankMsb;
using cc::kDataDecrement;
using cc::kDataIncrement;
using cc::kNrpnLsb;
using cc::kNrpnMsb;
using cc::kRpnLsb;
using cc::kRpnMsb;
constexpr uint8_t kDataMsb = cc::kDataEntryMsb;
constexpr uint8_t kDataLsb = cc::kDataEntryLsb;

// NRPN values that stand for data increment and decrement.
constexpr int32_t kNrpnDecrement = 0x8000;
constexpr int32_t kNrpnIncrement = 0x8001;

// Order in which the initial RPN values and controllers are written: the
// named ones, then sound controllers 2..9.
constexpr std::array<uint8_t, 4> kSettingsRpnOrder = {0, 1, 2, 5};
constexpr std::array<uint8_t, 14> kSettingsControllerOrder = [] {
    std::array<uint8_t, 14> order{cc::kVolume,     cc::kPan,          cc::kReverbSend,
                                  cc::kChorusSend, cc::kCelesteSend, cc::kPortamentoTime};
    for (size_t i = 6; i < order.size(); ++i)
        order[i] = uint8_t(cc::kSoundController2 + (i - 6));
    return order;
}();

template <size_t N>
size_t slotOf(const std::array<uint8_t, N>& numbers, uint8_t number)
{
    return size_t(std::find(numbers.begin(), numbers.end(), number) - numbers.begin());
}

bool anySet(std::span<const int32_t> values)
{
    return std::any_of(values.begin(), values.end(), [](int32_t v) { return v >= 0; });
}

// Destination settings: the universal SysEx header, the kind, the channel,
// the extra bytes, then (parameter, range) for each set parameter, and F7.
std::vector<uint8_t> destinationPayload(uint8_t kind, uint8_t channel,
                                        std::span<const int32_t> ranges,
                                        std::span<const uint8_t> extra)
{
    std::vector<uint8_t> payload = {0x7F, 0x7F, 0x09, kind, channel};
    payload.insert(payload.end(), extra.begin(), extra.end());
    for (size_t parameter = 0; parameter < ranges.size(); ++parameter) {
        if (ranges[parameter] >= 0) {
            payload.push_back(uint8_t(parameter));
            payload.push_back(uint8_t(ranges[parameter] & 0x7F));
        }
    }
    payload.push_back(midi::kEndOfSysEx);
    return payload;
}

// Where the song's "WaveData" folder starts in a clip's path: the last whole
// path component of that name (a song folder may itself lie below one).
size_t findWaveDataFolder(const std::string& path)
{
    constexpr std::string_view kFolder = "WaveData";
    auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
    for (size_t at = path.rfind(kFolder); at != std::string::npos;
         at = at == 0 ? std::string::npos : path.rfind(kFolder, at - 1)) {
        const size_t after = at + kFolder.size();
        if ((at == 0 || isSeparator(path[at - 1])) && after < path.size()
            && isSeparator(path[after]))
            return at;
    }
    return std::string::npos;
}

// The path up to the "WaveData" folder is the song's own folder, left out so
// the song can move; nothing before it names the song's folder already.
bool isSongFolder(std::string_view before, const std::filesystem::path& songFolder)
{
    if (before.empty())
        return true;
    if (songFolder.empty())
        return false;
    auto trimmed = [](std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        return path;
    };
    return trimmed(std::string(before)) == trimmed(songFolder.string());
}

// The reader takes "digits||" at the front of a clip's text as its number.
bool readsAsNumbered(std::string_view text)
{
    return !text.empty() && text[0] >= '0' && text[0] <= '9' && text.find("||") != std::string_view::npos;
}

} // namespace

void appendBlock(std::vector<uint8_t>& bytes, std::span<const uint8_t> block)
{
    const size_t length = std::min<size_t>(block.size(), kMaxVarLen);
    WriteVarLen(bytes, uint32_t(length));
    bytes.insert(bytes.end(), block.begin(), block.begin() + std::ptrdiff_t(length));
}

void ImageWriter::status(uint8_t value)
{
    if (value != runningStatus) {
        bytes.push_back(value);
        runningStatus = value;
    }
}

void ImageWriter::channelMessage(uint8_t statusByte, uint8_t data1)
{
    status(statusByte);
    bytes.push_back(data1 & 0x7F);
}

void ImageWriter::channelMessage(uint8_t statusByte, uint8_t data1, uint8_t data2)
{
    status(statusByte);
    bytes.push_back(data1 & 0x7F);
    bytes.push_back(data2 & 0x7F);
}

void ImageWriter::follow(uint8_t channel, uint8_t number, uint8_t value, int32_t tick)
{
    if (selections != nullptr)
        (*selections)[channel & 15].follow(number, value, tick);
}

void ImageWriter::chase(uint32_t message, uint32_t mask, int32_t tick)
{
    SetKeyedValue(message, mask, tick, chaseMessages, chaseTicks);
}

void ImageWriter::controller(uint8_t channel, uint8_t number, uint8_t value, int32_t tick)
{
    number &= 0x7F;
    value &= 0x7F;
    channelMessage(uint8_t(midi::kControlChange | channel), number, value);
    follow(channel, number, value, tick);
    const uint32_t message = midi::kControlChange | channel | uint32_t(number) << 8 | uint32_t(value) << 16;
    switch (controllerChase(number)) {
    case ControllerChase::Value:
    case ControllerChase::Mode:
        chase(message, chaseKeyMask(message), tick);
        break;
    case ControllerChase::ResetAll:
        clearChasedByResetAll(channel);
        chase(message, chaseKeyMask(message), tick); // so other tracks' earlier values stay cleared
        break;
    case ControllerChase::None:
        break;
    }
    // A selection written as a plain controller changes what a data entry
    // addresses: the next RPN or NRPN writes its own selection.
    if (number >= kNrpnLsb && number <= kRpnMsb)
        selectedParameter = kNoSelectedParameter;
}

void ImageWriter::clearChasedByResetAll(uint8_t channel)
{
    for (size_t i = chaseMessages.size(); i-- > 0;) {
        if ((chaseMessages[i] & 0x0F) == channel && clearedByResetAll(chaseMessages[i])) {
            chaseMessages.erase(chaseMessages.begin() + std::ptrdiff_t(i));
            chaseTicks.erase(chaseTicks.begin() + std::ptrdiff_t(i));
        }
    }
}

void ImageWriter::program(uint8_t channel, uint8_t programNumber, int32_t bank, int32_t tick)
{
    if (bank >= 0) {
        controller(channel, kBankMsb, uint8_t((bank >> 7) & 0x7F), tick);
        bytes.push_back(0);
        controller(channel, kBankLsb, uint8_t(bank & 0x7F), tick);
        bytes.push_back(0);
    }
    programNumber &= 0x7F;
    channelMessage(uint8_t(midi::kProgramChange | channel), programNumber);
    chase(midi::kProgramChange | channel | uint32_t(programNumber) << 8, 0xFF, tick);
}

void ImageWriter::rpn(uint8_t channel, uint8_t number, uint32_t value, int32_t tick)
{
    if (selectEveryDataEntry)
        selectedParameter = kNoSelectedParameter;
    number &= 0x7F;
    value &= 0x3FFF;
    const uint8_t statusByte = uint8_t(midi::kControlChange | channel);
    const uint32_t key = uint32_t(number) << 8 | 0x10 | channel;
    if (selectedParameter != key) {
        channelMessage(statusByte, kRpnMsb, 0);
        bytes.push_back(0);
        channelMessage(statusByte, kRpnLsb, number);
        bytes.push_back(0);
        selectedParameter = key;
        follow(channel, kRpnMsb, 0, tick);
        follow(channel, kRpnLsb, number, tick);
    }
    dataEntry(channel, value);
    chase(0x10u | channel | uint32_t(number) << 8 | value << 16, 0xFFFF, tick);
}

void ImageWriter::nrpn(uint8_t channel, uint32_t number, int32_t value, int32_t tick)
{
    if (selectEveryDataEntry)
        selectedParameter = kNoSelectedParameter;
    number &= 0x3FFF;
    const uint8_t statusByte = uint8_t(midi::kControlChange | channel);
    const uint32_t key = number << 8 | 0x20 | channel;
    if (selectedParameter != key) {
        channelMessage(statusByte, kNrpnMsb, uint8_t(number >> 7));
        bytes.push_back(0);
        channelMessage(statusByte, kNrpnLsb, uint8_t(number));
        bytes.push_back(0);
        selectedParameter = key;
        follow(channel, kNrpnMsb, uint8_t(number >> 7), tick);
        follow(channel, kNrpnLsb, uint8_t(number & 0x7F), tick);
    }
    if (value == kNrpnDecrement)
        channelMessage(statusByte, kDataDecrement, 0);
    else if (value == kNrpnIncrement)
        channelMessage(statusByte, kDataIncrement, 0);
    else
        dataEntry(channel, uint32_t(value) & 0x3FFF);
}

void ImageWriter::dataEntry(uint8_t channel, uint32_t value)
{
    const uint8_t statusByte = uint8_t(midi::kControlChange | channel);
    channelMessage(statusByte, kDataMsb, uint8_t(value >> 7));
    bytes.push_back(0);
    channelMessage(statusByte, kDataLsb, uint8_t(value));
    // A data entry leaves the selection as it is: its tick is not used.
    follow(channel, kDataMsb, uint8_t((value >> 7) & 0x7F), 0);
    follow(channel, kDataLsb, uint8_t(value & 0x7F), 0);
}

void ImageWriter::sysex(std::span<const uint8_t> payload)
{
    runningStatus = 0;
    bytes.push_back(midi::kSysEx);
    appendBlock(bytes, payload);
}

void writeInitialSettings(const CTrack& track, ImageWriter& writer, int32_t tick)
{
    const uint8_t channel = uint8_t(track.channel & 0x0F);
    bool first = true;
    auto nextItem = [&] {
        if (!first)
            writer.bytes.push_back(0);
        first = false;
    };
    if (track.bank >= 0) {
        nextItem();
        writer.controller(channel, kBankMsb, uint8_t((track.bank >> 7) & 0x7F), tick);
        // Some synths take bank MSB alone; their LSB 0 is left out.
        if (track.bank % 128 != 0 || (track.technology & 0x80) == 0) {
            nextItem();
            writer.controller(channel, kBankLsb, uint8_t(track.bank & 0x7F), tick);
        }
    }
    if (track.patch >= 0) {
        nextItem();
        writer.program(channel, uint8_t(track.patch), -1, tick);
    }
    for (uint8_t number : kSettingsRpnOrder) {
        const int32_t value = track.rpnValues[slotOf(kInitialRpnNumbers, number)];
        if (value >= 0) {
            nextItem();
            writer.rpn(channel, number, uint32_t(value), tick);
        }
    }
    for (uint8_t number : kSettingsControllerOrder) {
        const int32_t value = track.initialControllers[slotOf(kInitialControllerNumbers, number)];
        if (value >= 0) {
            nextItem();
            writer.controller(channel, number, uint8_t(value), tick);
        }
    }
    if (anySet(track.channelPressureDest)) {
        nextItem();
        writer.sysex(destinationPayload(0x01, channel, track.channelPressureDest, {}));
    }
    if (track.destController >= 0 && anySet(track.controllerDest)) {
        nextItem();
        const uint8_t controllerNumber = uint8_t(track.destController & 0x7F);
        writer.sysex(destinationPayload(0x03, channel, track.controllerDest,
                                        std::span(&controllerNumber, 1)));
    }
}

std::string clipText(const CAudioClip& clip, const std::filesystem::path& songFolder)
{
    std::string text = clip.fileName;
    const size_t folder = findWaveDataFolder(text);
    if (folder != std::string::npos && isSongFolder(std::string_view(text).substr(0, folder), songFolder)) {
        text.erase(0, folder);
        std::replace(text.begin(), text.end(), '/', '\\');
    }
    if (clip.number > 1 || readsAsNumbered(text))
        text = std::to_string(clip.number) + "||" + text;
    return text;
}

} // namespace rz
