#include "views/slider/slider_model.h"

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "song/volume_scale.h"

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

using midi::kChannelPressure;
using midi::kControlChange;
using midi::kPitchBend;

constexpr uint32_t kControllerBits = 0xFFFF; // status and controller number
constexpr uint32_t kStatusBits = 0xFF;

struct ControllerName {
    uint8_t number;
    const char* name;
};

constexpr ControllerName kNames[] = {
    {cc::kModulation, "Mod wheel (1)"}, {cc::kVolume, "Volume (7)"},       {cc::kPan, "Pan (10)"},
    {cc::kExpression, "Expression (11)"}, {cc::kReverbSend, "Reverb (91)"}, {cc::kChorusSend, "Chorus (93)"},
    {cc::kDataDecrement, "Aftertouch (97)"},
};

uint8_t kindOf(uint32_t choice)
{
    return midi::statusOf(choice);
}

uint8_t controllerOf(uint32_t choice)
{
    return midi::firstDataByte(choice);
}

// The bits two events must share to hold the same message.
uint32_t comparedBits(uint32_t choice)
{
    return kindOf(choice) == kControlChange ? kControllerBits : kStatusBits;
}

int clampValue(int value)
{
    return std::clamp(value, 0, SliderModel::kMaxValue);
}

bool isSet(int value)
{
    return value >= 0 && value <= SliderModel::kMaxValue;
}

// The selected rows above the conductor whose tracks are MIDI tracks.
std::vector<int> sliderRows(const CSongDoc& song)
{
    std::vector<int> rows;
    for (size_t t = 1; t + 1 < song.tracks.size(); ++t)
        if (song.tracks[t]->type == kMidiTrack && isRowSelected(song, t))
            rows.push_back(int(t));
    return rows;
}

} // namespace

namespace slider_choice {

uint32_t fromStored(int64_t stored)
{
    const uint32_t choice = uint32_t(stored);
    if (stored < 0 || stored > 0xFFFF)
        return kDefault;
    if (choice == kChannelPressure || choice == kPitchBend)
        return choice;
    if (kindOf(choice) == kControlChange && (choice & 0x0F) == 0 && (choice >> 8) <= midi::kDataMask)
        return choice;
    return kDefault;
}

std::string name(uint32_t choice)
{
    if (kindOf(choice) == kChannelPressure)
        return "Pressure";
    if (kindOf(choice) == kPitchBend)
        return "Pitch wheel";
    const uint8_t number = controllerOf(choice);
    for (const ControllerName& entry : kNames)
        if (entry.number == number)
            return entry.name;
    char text[32];
    std::snprintf(text, sizeof text, "Controller %d", int(number));
    return text;
}

} // namespace slider_choice

bool SliderModel::rebuild(const CSongDoc* song, uint32_t choice)
{
    std::vector<int> rows = song ? sliderRows(*song) : std::vector<int>{};
    const bool changed = rows != m_rows || choice != m_choice;
    m_choice = choice;
    m_rows = std::move(rows);
    m_messages.clear();
    for (const int row : m_rows)
        m_messages.push_back(choice | uint32_t(song->tracks[size_t(row)]->channel & 0x0F));
    if (changed)
        m_values.assign(m_rows.size(), kUnset);
    return changed;
}

void SliderModel::setValue(size_t fader, int value)
{
    m_values[fader] = isSet(value) ? value : kUnset;
}

std::vector<size_t> SliderModel::drag(size_t fader, int value, int step, FaderGroup group)
{
    std::vector<size_t> moved{fader};
    m_values[fader] = clampValue(value);
    if (group == FaderGroup::None)
        return moved;
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (i == fader)
            continue;
        if (group == FaderGroup::SameValue)
            m_values[i] = m_values[fader];
        else if (isSet(m_values[i]))
            m_values[i] = clampValue(m_values[i] + step);
        else
            continue;
        moved.push_back(i);
    }
    return moved;
}

IMidiOut* SliderModel::portOf(const CSongDoc& song, size_t fader) const
{
    const size_t row = size_t(m_rows[fader]);
    return row < song.tracks.size() ? song.tracks[row]->outputPort : nullptr;
}

uint32_t SliderModel::send(CSongDoc& song, size_t fader) const
{
    IMidiOut* port = portOf(song, fader);
    const int value = m_values[fader];
    if (!port || !isSet(value))
        return 0;
    const uint32_t message = m_messages[fader];
    const uint8_t status = uint8_t(message & 0xFF);
    const int channel = midi::channelOf(message);
    uint32_t out = 0;
    if (kindOf(message) == kChannelPressure) {
        out = midi::shortMessage(status, value);
    } else if (kindOf(message) == kPitchBend) {
        out = midi::shortMessage(status, 0, value);
    } else if (controllerOf(message) == cc::kVolume) {
        port->setUnscaledVolume(channel, value);
        const CTrack& track = *song.tracks[size_t(m_rows[fader])];
        const VolumeScale scale{song.relativeVolume, song.context().engine.masterVolume()};
        out = midi::controlChange(channel, cc::kVolume, ScaleVolume(value, track.volume, scale));
    } else {
        out = midi::controlChange(channel, controllerOf(message), value);
    }
    port->SendShort(out);
    return out;
}

int SliderModel::portValue(const CSongDoc& song, size_t fader) const
{
    const IMidiOut* port = portOf(song, fader);
    if (!port)
        return kUnset;
    const uint32_t message = m_messages[fader];
    const int channel = midi::channelOf(message);
    int value = kUnset;
    switch (kindOf(message)) {
    case kChannelPressure: value = port->channelPressure(channel); break;
    case kPitchBend: {
        const int bend = port->pitchBend(channel);
        value = bend < 0 ? kUnset : bend >> 7;
        break;
    }
    default:
        value = controllerOf(message) == cc::kVolume ? port->unscaledVolume(channel)
                                                      : port->controllerValue(channel, controllerOf(message));
        break;
    }
    return isSet(value) ? value : kUnset;
}

std::vector<size_t> SliderModel::refresh(const CSongDoc& song, size_t skip)
{
    std::vector<size_t> changed;
    for (size_t i = m_values.size(); i-- > 0;) {
        if (i == skip)
            continue;
        const int value = portValue(song, i);
        if (value != kUnset && value != m_values[i]) {
            m_values[i] = value;
            changed.push_back(i);
        }
    }
    return changed;
}

// The fader's message with its value; a pitch wheel keeps the port's low
// byte while the port still holds the fader's value.
uint32_t SliderModel::snapshotMessage(const CSongDoc& song, size_t fader) const
{
    const uint32_t message = m_messages[fader];
    const uint8_t status = uint8_t(message & 0xFF);
    const int value = m_values[fader];
    switch (kindOf(message)) {
    case kChannelPressure: return midi::shortMessage(status, value);
    case kPitchBend: {
        const int bend = portOf(song, fader)->pitchBend(midi::channelOf(message));
        const int lsb = bend >= 0 && bend >> 7 == value ? bend & midi::kDataMask : 0;
        return midi::shortMessage(status, lsb, value);
    }
    default: return midi::shortMessage(status, controllerOf(message), value);
    }
}

std::unique_ptr<CUndoRecord> SliderModel::snapshotRecord(const CSongDoc& song) const
{
    const int32_t at = song.position();
    const uint32_t mask = comparedBits(m_choice);
    EventListBuilder events;
    for (size_t i = m_values.size(); i-- > 0;) {
        if (!portOf(song, i) || !isSet(m_values[i]))
            continue;
        const uint32_t track = uint32_t(m_rows[i]);
        CMidiEvent event;
        event.tick = at;
        event.message = snapshotMessage(song, i);
        const std::vector<CMidiEvent>& existing = song.tracks[track]->events;
        for (size_t k = 0; k < existing.size(); ++k)
            if (existing[k].tick == at && (existing[k].message & mask) == (event.message & mask))
                events.remove(track << 24 | uint32_t(k));
        events.insert(std::move(event), placedOn(track));
    }
    if (events.empty())
        return nullptr;
    auto record = std::make_unique<CUndoRecord>();
    record->label = "Slider snapshot";
    record->flags = kUndoEvents;
    record->events = events.build();
    return record;
}

} // namespace rz
