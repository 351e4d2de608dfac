#include "engine/device_setup.h"

#include "core/midi_bytes.h"
#include "core/muldiv.h"
#include "engine/out_port.h"
#include "engine/synthdb/synth_db_table.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace rz {

namespace {

constexpr uint8_t kUniversalRealTime = 0x7F;
constexpr uint8_t kAllDevices = 0x7F;
constexpr uint8_t kDeviceControl = 0x04;
constexpr uint8_t kMasterVolume = 0x01;
constexpr uint8_t kMasterFine = 0x03;
constexpr uint8_t kMasterCoarse = 0x04;
constexpr uint8_t kGlobalParameter = 0x05;
constexpr uint8_t kReverbSlot = 0x01;
constexpr uint8_t kChorusSlot = 0x02;
constexpr int kMaxFader = 127;
constexpr int kFullVolumeDefault = 127;
constexpr int kUnsetReverbTypeSent = kDeviceDefaultReverbType;
constexpr int kUnsetChorusTypeSent = kDeviceDefaultChorusType;

struct FaderSpec {
    DeviceValue cache;
    uint8_t slot;      // reverb or chorus; 0 for the volume
    uint8_t parameter; // within the slot
};

constexpr FaderSpec kFaders[kDeviceFaderCount] = {
    {DeviceValue::ReverbTime, kReverbSlot, 1},
    {DeviceValue::ChorusRate, kChorusSlot, 1},
    {DeviceValue::ChorusSendToReverb, kChorusSlot, 4},
    {DeviceValue::ChorusFeedback, kChorusSlot, 3},
    {DeviceValue::ChorusDepth, kChorusSlot, 2},
    {DeviceValue::MasterVolume, 0, 0},
};

const FaderSpec& specOf(DeviceFader fader)
{
    return kFaders[size_t(fader)];
}

// Reverb types 0-4 and 8; the last column is the unset type.
int reverbTimeDefault(int type)
{
    switch (type) {
    case 0: return 44;
    case 1: return 50;
    case 2: return 56;
    case 8: return 50;
    default: return 64;
    }
}

struct ChorusDefaults {
    int rate, depth, feedback;
};

ChorusDefaults chorusDefaults(int type)
{
    constexpr ChorusDefaults kTypes[] = {{3, 5, 0},  {9, 19, 5},  {3, 19, 8},
                                         {9, 16, 16}, {2, 24, 64}, {1, 5, 112}};
    if (type >= 0 && size_t(type) < std::size(kTypes))
        return kTypes[type];
    return {3, 19, 8};
}

std::string_view trimLeft(std::string_view text)
{
    const size_t start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// A number at the start of the text, as the user typed it; nothing when
// there is none. Locale-free, so a comma never stands for the point.
std::optional<double> leadingNumber(std::string_view text)
{
    text = trimLeft(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int clampFader(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::clamp(value, 0.0, double(kMaxFader)));
}

std::string format(const char* pattern, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::vector<uint8_t> globalParameterMessage(uint8_t slot, uint8_t parameter, int value)
{
    return {midi::kSysEx, kUniversalRealTime, kAllDevices, kDeviceControl, kGlobalParameter,
            0x01, 0x01, 0x01, 0x01, slot, parameter, uint8_t(value & 0x7F), midi::kEndOfSysEx};
}

bool isDeviceControl(const CMidiEvent& event)
{
    if (event.kind() != midi::kSysEx)
        return false;
    const std::span<const uint8_t> data = event.data.bytes();
    return data.size() > 3 && data[1] == kUniversalRealTime && data[3] == kDeviceControl;
}

CMidiEvent sysExEvent(const std::vector<uint8_t>& message)
{
    CMidiEvent event;
    event.message = midi::kSysEx;
    event.tick = 0;
    event.SetData(std::span<const uint8_t>(message).subspan(1), true);
    return event;
}

std::vector<std::vector<uint8_t>> setupMessages(const PortSetupValues& v)
{
    std::vector<std::vector<uint8_t>> messages;
    auto add = [&](int value, auto make) {
        if (value >= 0)
            messages.push_back(make(value));
    };
    add(v.volume, [](int x) { return deviceFaderMessage(DeviceFader::MasterVolume, x); });
    add(v.coarseTuning, [](int x) { return tuningMessage(true, x); });
    add(v.fineTuning, [](int x) { return tuningMessage(false, x); });
    add(v.reverbType, reverbTypeMessage);
    add(v.reverbTime, [](int x) { return deviceFaderMessage(DeviceFader::ReverbTime, x); });
    add(v.chorusType, chorusTypeMessage);
    add(v.chorusRate, [](int x) { return deviceFaderMessage(DeviceFader::ChorusRate, x); });
    add(v.chorusDepth, [](int x) { return deviceFaderMessage(DeviceFader::ChorusDepth, x); });
    add(v.chorusFeedback,
        [](int x) { return deviceFaderMessage(DeviceFader::ChorusFeedback, x); });
    add(v.chorusSendToReverb,
        [](int x) { return deviceFaderMessage(DeviceFader::ChorusSendToReverb, x); });
    return messages;
}

} // namespace

size_t effectTypeItemIndex(std::span<const EffectTypeItem> items, int type)
{
    for (size_t i = 1; i < items.size(); ++i) {
        if (items[i].type == type)
            return i;
    }
    return 0;
}

std::string deviceFaderText(DeviceFader fader, int value)
{
    if (value < 0)
        return {};
    const double v = value;
    switch (fader) {
    case DeviceFader::ReverbTime: return format("%3.1f", std::exp((v - 40) * 0.025));
    case DeviceFader::ChorusRate: return format("%4.1f", v * 0.122);
    case DeviceFader::ChorusSendToReverb: return format("%3.0f", v * 0.787);
    case DeviceFader::ChorusFeedback: return format("%3.0f", v * 0.763);
    case DeviceFader::ChorusDepth: return format("%3.1f", (v + 1) * 0.3125);
    case DeviceFader::MasterVolume: break;
    }
    return std::to_string(value);
}

std::optional<int> deviceFaderFromText(DeviceFader fader, std::string_view text)
{
    const std::optional<double> typed = leadingNumber(text);
    if (!typed)
        return std::nullopt;
    const double x = *typed;
    double value = 0;
    switch (fader) {
    case DeviceFader::ReverbTime:
        if (x <= 0)
            return 0;
        value = std::log(x) * 40 + 40;
        break;
    case DeviceFader::ChorusRate: value = x / 0.122; break;
    case DeviceFader::ChorusSendToReverb: value = x / 0.787; break;
    case DeviceFader::ChorusFeedback: value = x / 0.763; break;
    case DeviceFader::ChorusDepth: value = x * 3.2 - 1; break;
    case DeviceFader::MasterVolume: return clampFader(std::trunc(x));
    }
    return clampFader(value + 0.5);
}

int deviceFaderDefault(DeviceFader fader, int reverbType, int chorusType)
{
    const ChorusDefaults chorus = chorusDefaults(chorusType);
    switch (fader) {
    case DeviceFader::ReverbTime: return reverbTimeDefault(reverbType);
    case DeviceFader::ChorusRate: return chorus.rate;
    case DeviceFader::ChorusSendToReverb: return 0;
    case DeviceFader::ChorusFeedback: return chorus.feedback;
    case DeviceFader::ChorusDepth: return chorus.depth;
    case DeviceFader::MasterVolume: break;
    }
    return kFullVolumeDefault;
}

std::vector<uint8_t> deviceFaderMessage(DeviceFader fader, int value)
{
    const FaderSpec& spec = specOf(fader);
    if (fader == DeviceFader::MasterVolume)
        return {midi::kSysEx, kUniversalRealTime, kAllDevices, kDeviceControl, kMasterVolume,
                0x7F, uint8_t(value & 0x7F), midi::kEndOfSysEx};
    return globalParameterMessage(spec.slot, spec.parameter, value);
}

std::vector<uint8_t> reverbTypeMessage(int type)
{
    return globalParameterMessage(kReverbSlot, 0, type);
}

std::vector<uint8_t> chorusTypeMessage(int type)
{
    return globalParameterMessage(kChorusSlot, 0, type);
}

std::vector<uint8_t> tuningMessage(bool coarse, int value)
{
    if (value < 0)
        value = kTuningCentre;
    value = std::min(value, kMaxFourteenBit);
    return {midi::kSysEx, kUniversalRealTime, kAllDevices, kDeviceControl,
            coarse ? kMasterCoarse : kMasterFine, uint8_t(value & 0x7F),
            uint8_t((value >> 7) & 0x7F), midi::kEndOfSysEx};
}

std::string tuningText(int hundredths)
{
    const int magnitude = std::abs(hundredths);
    char text[32];
    std::snprintf(text, sizeof text, "%c%d.%02d", hundredths < 0 ? '-' : '+', magnitude / 100,
                  magnitude % 100);
    return text;
}

std::string fineTuningText(int value)
{
    return value < 0 ? std::string() : tuningText(MulDiv(value, 10000, 8192) - 10000);
}

std::string coarseTuningText(int value)
{
    return value < 0 ? std::string() : tuningText(MulDiv(value, 100, 128) - 6400);
}

int DeviceSetupModel::cachedFader(DeviceFader fader) const
{
    if (!m_port)
        return kDeviceUnset;
    const int value = m_port->deviceValue(specOf(fader).cache);
    if (value < 0)
        return kDeviceUnset;
    return fader == DeviceFader::MasterVolume ? value / 128 : std::min(value, kMaxFader);
}

int DeviceSetupModel::cachedReverbType() const
{
    return m_port ? m_port->deviceValue(DeviceValue::ReverbType) : kDeviceUnset;
}

int DeviceSetupModel::cachedChorusType() const
{
    return m_port ? m_port->deviceValue(DeviceValue::ChorusType) : kDeviceUnset;
}

void DeviceSetupModel::send(const std::vector<uint8_t>& message)
{
    if (m_port)
        m_port->SendSysEx(message.data(), message.size());
}

void DeviceSetupModel::store(DeviceValue which, int value)
{
    if (m_port)
        m_port->setDeviceValue(which, value);
}

void DeviceSetupModel::faderMoved(DeviceFader fader, int value, int reverbType, int chorusType)
{
    if (!m_port)
        return;
    if (value >= 0) {
        send(deviceFaderMessage(fader, std::min(value, kMaxFader)));
        return;
    }
    send(deviceFaderMessage(fader, deviceFaderDefault(fader, reverbType, chorusType)));
    store(specOf(fader).cache, kDeviceUnset);
}

int DeviceSetupModel::faderTyped(DeviceFader fader, std::string_view text)
{
    if (!m_port)
        return kDeviceUnset;
    const DeviceValue cache = specOf(fader).cache;
    const std::optional<int> value = deviceFaderFromText(fader, text);
    if (!value) {
        if (m_port->deviceValue(cache) >= 0)
            store(cache, kDeviceUnset);
        return kDeviceUnset;
    }
    store(cache, fader == DeviceFader::MasterVolume ? *value * 128 + 127 : *value);
    return *value;
}

int DeviceSetupModel::reverbTypeChosen(int type)
{
    if (!m_port)
        return kDeviceUnset;
    if (type >= 0) {
        send(reverbTypeMessage(type));
        return reverbTimeDefault(type);
    }
    send(reverbTypeMessage(kUnsetReverbTypeSent));
    store(DeviceValue::ReverbType, kDeviceUnset);
    store(DeviceValue::ReverbTime, kDeviceUnset);
    return kDeviceUnset;
}

std::array<int, 4> DeviceSetupModel::chorusTypeChosen(int type)
{
    if (!m_port)
        return {kDeviceUnset, kDeviceUnset, kDeviceUnset, kDeviceUnset};
    if (type >= 0) {
        send(chorusTypeMessage(type));
        const ChorusDefaults defaults = chorusDefaults(type);
        return {defaults.rate, 0, defaults.feedback, defaults.depth};
    }
    send(chorusTypeMessage(kUnsetChorusTypeSent));
    for (DeviceValue which : {DeviceValue::ChorusType, DeviceValue::ChorusSendToReverb,
                              DeviceValue::ChorusRate, DeviceValue::ChorusDepth,
                              DeviceValue::ChorusFeedback})
        store(which, kDeviceUnset);
    return {kDeviceUnset, kDeviceUnset, kDeviceUnset, kDeviceUnset};
}

int DeviceSetupModel::fineTuning() const
{
    return m_port ? m_port->deviceValue(DeviceValue::MasterFineTuning) : kDeviceUnset;
}

int DeviceSetupModel::coarseTuning() const
{
    return m_port ? m_port->deviceValue(DeviceValue::MasterCoarseTuning) : kDeviceUnset;
}

// Unset sends the centre and stays unset; a value goes out clamped.
int DeviceSetupModel::sendTuning(bool coarse, int value)
{
    if (!m_port)
        return kDeviceUnset;
    send(tuningMessage(coarse, value));
    if (value < 0) {
        store(coarse ? DeviceValue::MasterCoarseTuning : DeviceValue::MasterFineTuning,
              kDeviceUnset);
        return kDeviceUnset;
    }
    return std::min(value, kMaxFourteenBit);
}

int DeviceSetupModel::fineStepped(bool up)
{
    int value = fineTuning();
    if (value < 0)
        value = kTuningCentre;
    value = std::clamp(value + (up ? 1 : -1), 0, kMaxFourteenBit);
    return sendTuning(false, value);
}

int DeviceSetupModel::coarseStepped(bool up, std::string_view editText)
{
    const std::optional<double> typed = leadingNumber(editText);
    const int whole = typed ? int(std::clamp(std::trunc(*typed), -64.0, 64.0)) : 0;
    const int value = std::clamp((whole + (up ? 1 : -1) + 64) * 128, 0, kMaxFourteenBit);
    return sendTuning(true, value);
}

int DeviceSetupModel::fineTyped(std::string_view text)
{
    const std::optional<double> typed = leadingNumber(text);
    if (!typed)
        return sendTuning(false, kDeviceUnset);
    const double steps = std::clamp(std::floor(*typed * 100 + 10000), 0.0, 20000.0);
    return sendTuning(false, std::max(MulDiv(int32_t(steps), 8192, 10000), 0));
}

int DeviceSetupModel::coarseTyped(std::string_view text)
{
    const std::optional<double> typed = leadingNumber(text);
    if (!typed)
        return sendTuning(true, kDeviceUnset);
    const double steps = std::clamp(std::floor(*typed * 100 + 6400), 0.0, 12800.0);
    return sendTuning(true, std::max(MulDiv(int32_t(steps), 128, 100), 0));
}

std::unique_ptr<CUndoRecord> BuildPortSetupEventsRecord(const CSongDoc& song, int portNumber,
                                                        const PortSetupValues& values)
{
    if (song.tracks.size() < 2)
        return nullptr;
    EventListBuilder builder;
    int target = -1;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        const CTrack& track = *song.tracks[t];
        if (track.port != portNumber)
            continue;
        if (target < 0 && t >= 1)
            target = int(t);
        for (size_t i = 0; i < track.events.size() && track.events[i].tick == 0; ++i) {
            if (isDeviceControl(track.events[i]))
                builder.remove(uint32_t(t << 24 | i));
        }
    }
    if (target < 0)
        return nullptr;
    const uint32_t place = uint32_t(target) << 24 | kComputedPosition;
    for (const std::vector<uint8_t>& message : setupMessages(values))
        builder.insert(sysExEvent(message), place);
    if (builder.empty())
        return nullptr;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Port Setup Events";
    record->events = builder.build();
    return record;
}

std::vector<SynthChoice> readSynthChoices(Table& synths)
{
    std::vector<SynthChoice> choices;
    for (bool found = synths.moveFirst(); found; found = synths.moveNext())
        choices.push_back({synths.intField("SynthNumber"), synths.textField("SynthName")});
    return choices;
}

} // namespace rz
