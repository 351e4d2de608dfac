#include "song/seek_point.h"

#include <algorithm>
#include <cassert>

#include "core/midi_bytes.h"

namespace rz {

namespace {

using cc::kDataEntryLsb;
using cc::kDataEntryMsb;
using cc::kNrpnLsb;
using cc::kNrpnMsb;
using cc::kRpnLsb;
using cc::kRpnMsb;

int withMsb(int number, int value) { return (number & 0x7F) | (value & 0x7F) << 7; }
int withLsb(int number, int value) { return (number & 0x3F80) | (value & 0x7F); }

} // namespace

const SeekPoint& SeekPointList::operator[](size_t stretch) const
{
    assert(stretch < m_stretches);
    if (m_points.size() == m_stretches) // no shared points
        return m_points[stretch];
    const auto after = std::upper_bound(m_firstStretch.begin(), m_firstStretch.end(), stretch);
    return m_points[size_t(after - m_firstStretch.begin()) - 1];
}

void SeekPointList::clear()
{
    m_points.clear();
    m_firstStretch.clear();
    m_stretches = 0;
}

void SeekPointList::append(SeekPoint point, size_t stretches)
{
    m_points.push_back(std::move(point));
    m_firstStretch.push_back(m_stretches);
    m_stretches += std::max<size_t>(stretches, 1);
}

ControllerChase controllerChase(int number)
{
    switch (number) {
    case kDataEntryMsb:
    case kDataEntryLsb:
    case cc::kDataIncrement:
    case cc::kDataDecrement:
    case kNrpnLsb:
    case kNrpnMsb:
    case kRpnLsb:
    case kRpnMsb:
    case cc::kAllSoundOff:
    case cc::kAllNotesOff:
        return ControllerChase::None;
    case cc::kResetAllControllers:
        return ControllerChase::ResetAll;
    case cc::kOmniOff:
    case cc::kOmniOn:
    case cc::kMonoOn:
    case cc::kPolyOn:
        return ControllerChase::Mode;
    default:
        return ControllerChase::Value;
    }
}

uint32_t chaseKeyMask(uint32_t message)
{
    const uint32_t kind = midi::statusOf(message);
    if (kind == midi::kControlChange
        && controllerChase(midi::firstDataByte(message)) == ControllerChase::Mode)
        return 0xFCFFu; // 124..127 differ in the low two bits of the number
    return kind == midi::kControlChange || kind == 0x10 ? 0xFFFFu : 0xFFu;
}

bool clearedByResetAll(uint32_t message)
{
    switch (midi::statusOf(message)) {
    case midi::kChannelPressure:
    case midi::kPitchBend:
        return true;
    case midi::kControlChange:
        switch (midi::firstDataByte(message)) {
        case cc::kModulation:
        case cc::kExpression:
        case cc::kSustain:
        case cc::kPortamento:
        case cc::kSostenuto:
        case cc::kSoftPedal:
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

bool ParameterSelection::follow(int controller, int value, int32_t at)
{
    switch (controller) {
    case kDataEntryMsb: data = withMsb(data, value); return true;
    case kDataEntryLsb: data = withLsb(data, value); return true;
    case kRpnMsb: rpn = withMsb(rpn, value); nrpn = kNone; break;
    case kRpnLsb: rpn = withLsb(rpn, value); nrpn = kNone; break;
    case kNrpnMsb: nrpn = withMsb(nrpn, value); rpn = kNone; break;
    case kNrpnLsb: nrpn = withLsb(nrpn, value); rpn = kNone; break;
    default: return false;
    }
    data = 0;
    tick = at;
    return false;
}

bool SetKeyedValue(uint32_t message, uint32_t mask, int32_t tick, std::vector<uint32_t>& messages,
                   std::vector<int32_t>& ticks)
{
    for (size_t i = messages.size(); i-- > 0;) {
        if ((messages[i] & mask) == (message & mask)) {
            messages[i] = message;
            ticks[i] = tick;
            return false;
        }
    }
    messages.push_back(message);
    ticks.push_back(tick);
    return true;
}

} // namespace rz
