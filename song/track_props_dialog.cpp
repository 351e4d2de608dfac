#include "song/track_props_dialog.h"

#include "core/field_number.h"
#include "song/track.h"

#include <array>

namespace rz {
namespace {

// The offsets the dialog takes; the time offset as the track list's cell does.
constexpr int32_t kMaxKeyOffset = 127;
constexpr int32_t kMaxTimeOffset = 4096;

void setIf(int32_t& to, int32_t value, int32_t low, int32_t high)
{
    if (value >= low && value <= high)
        to = value;
}

template <size_t N>
void setAllIf(std::array<int32_t, N>& to, const std::array<int32_t, N>& from, int32_t low, int32_t high)
{
    for (size_t i = 0; i < N; ++i)
        setIf(to[i], from[i], low, high);
}

template <class T>
void mix(T& field, const T& other, const T& mixed)
{
    if (field != other)
        field = mixed;
}

template <size_t N>
void mixAll(std::array<int32_t, N>& fields, const std::array<int32_t, N>& other, int32_t mixed)
{
    for (size_t i = 0; i < N; ++i)
        mix(fields[i], other[i], mixed);
}

// An offset text counts as different when its number does.
void mixOffset(std::string& text, const std::string& other)
{
    if (text != other && fieldNumber(text, INT32_MIN, INT32_MAX) != fieldNumber(other, INT32_MIN, INT32_MAX))
        text.clear();
}

} // namespace

TrackPropsParams paramsOf(const CTrack& t)
{
    TrackPropsParams p;
    p.name = t.name;
    p.keyText = std::to_string(t.key);
    p.timeText = std::to_string(t.timeOffset);
    p.velocityText = std::to_string(t.velocityOffset);
    p.kind = t.type;
    p.clef = t.notationSetting;
    p.splitNote = t.notationValue + 60;
    p.inputChannel = t.inputChannel + 1;
    p.bank = t.bank;
    p.port = t.port;
    p.inputPort = t.inputDevice;
    p.patch = t.patch;
    p.channel = t.channel;
    p.rpnValues = t.rpnValues;
    p.initialControllers = t.initialControllers;
    p.channelPressureDest = t.channelPressureDest;
    p.keyPressureDest = t.keyPressureDest;
    p.controllerDest = t.controllerDest;
    p.destController = t.destController;
    p.color = t.color;
    p.playEnabled = t.playEnabled != 0 ? 1 : 0;
    return p;
}

void mixIn(TrackPropsParams& p, const TrackPropsParams& o)
{
    const TrackPropsParams unset;
    mix(p.name, o.name, unset.name);
    mixOffset(p.keyText, o.keyText);
    mixOffset(p.timeText, o.timeText);
    mixOffset(p.velocityText, o.velocityText);
    mix(p.kind, o.kind, unset.kind);
    mix(p.clef, o.clef, unset.clef);
    mix(p.splitNote, o.splitNote, unset.splitNote);
    mix(p.inputChannel, o.inputChannel, unset.inputChannel);
    mix(p.bank, o.bank, unset.bank);
    mix(p.port, o.port, unset.port);
    mix(p.inputPort, o.inputPort, unset.inputPort);
    mix(p.patch, o.patch, unset.patch);
    mix(p.channel, o.channel, unset.channel);
    mixAll(p.rpnValues, o.rpnValues, -2);
    mixAll(p.initialControllers, o.initialControllers, -2);
    mixAll(p.channelPressureDest, o.channelPressureDest, -2);
    mixAll(p.keyPressureDest, o.keyPressureDest, -2);
    mixAll(p.controllerDest, o.controllerDest, -2);
    mix(p.destController, o.destController, unset.destController);
    mix(p.color, o.color, kMixedTrackColor);
    mix(p.playEnabled, o.playEnabled, unset.playEnabled);
}

CTrackProps changeOf(int32_t index, const TrackPropsParams& p)
{
    CTrackProps c(index);
    c.name = p.name;
    setIf(c.playEnabled, p.playEnabled, 0, 1);
    setIf(c.port, p.port, 0, 15);
    setIf(c.channel, p.channel, 0, 15);
    setIf(c.inputDevice, p.inputPort, 0, 15);
    if (p.inputChannel >= 0 && p.inputChannel <= 16)
        c.inputChannel = p.inputChannel - 1;
    setIf(c.bank, p.bank, -1, 16383);
    setIf(c.patch, p.patch, -1, 127);
    c.key = fieldNumber(p.keyText, -kMaxKeyOffset, kMaxKeyOffset).value_or(c.key);
    c.velocityOffset = fieldNumber(p.velocityText, -kMaxKeyOffset, kMaxKeyOffset).value_or(c.velocityOffset);
    c.timeOffset = fieldNumber(p.timeText, -kMaxTimeOffset, kMaxTimeOffset).value_or(c.timeOffset);
    setAllIf(c.initialControllers, p.initialControllers, -1, 127);
    setAllIf(c.rpnValues, p.rpnValues, -1, 16383);
    setAllIf(c.channelPressureDest, p.channelPressureDest, -1, 127);
    setAllIf(c.keyPressureDest, p.keyPressureDest, -1, 127);
    setAllIf(c.controllerDest, p.controllerDest, -1, 127);
    setIf(c.destController, p.destController, -1, 127);
    setIf(c.notationSetting, p.clef, 0, 255);
    if (p.splitNote >= 0 && p.splitNote <= 127)
        c.notationValue = p.splitNote - 60;
    if ((p.color & 0xFF000000) == 0)
        c.color = p.color;
    return c;
}

} // namespace rz
