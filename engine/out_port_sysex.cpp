#include "core/midi_bytes.h"
#include "engine/out_port.h"

#include "engine/out_port_internal.h"

#include <iterator>
#include <mutex>
#include <span>

namespace rz {

using namespace out_port_detail;

namespace {

// The data bytes of a system-exclusive message: those after F0 up to the
// first status byte, which is F7 in a well-formed message. Every rule reads
// through it, so a message too short for its rule changes nothing.
class SysExData {
public:
    SysExData(const uint8_t* bytes, size_t length) : m_bytes(bytes), m_end(1)
    {
        while (m_end < length && midi::isDataByte(bytes[m_end]))
            ++m_end;
    }
    // True when bytes[first..last] are all data bytes.
    bool has(size_t first, size_t last) const { return first >= 1 && last < m_end; }
    bool has(size_t index) const { return has(index, index); }
    uint8_t operator[](size_t index) const { return m_bytes[index]; }
    size_t end() const { return m_end; }

private:
    const uint8_t* m_bytes;
    size_t m_end;
};

struct ChorusPreset {
    uint8_t rate, depth, feedback;
};
// The General MIDI Level 2 chorus types 0..5.
constexpr ChorusPreset kChorusPresets[] = {
    {3, 5, 0}, {9, 19, 5}, {3, 19, 8}, {9, 16, 16}, {2, 24, 64}, {1, 5, 112},
};

// Reverb time of each General MIDI Level 2 reverb type; -1 where the type
// has none.
int reverbTimeOf(int type)
{
    switch (type) {
    case 0: return 44;
    case 1:
    case 8: return 50;
    case 2: return 56;
    case 3:
    case 4: return 64;
    default: return -1;
    }
}

// Copies whole pairs from data[first] into row[rowStart..] while they are
// data and the row has room.
template <size_t N>
void storePairs(const SysExData& data, size_t first, std::array<CachedValue<uint8_t>, N>& row,
                  size_t rowStart)
{
    size_t copied = 0;
    while (rowStart + copied + 2 <= N && data.has(first + copied, first + copied + 1)) {
        row[rowStart + copied].set(data[first + copied]);
        row[rowStart + copied + 1].set(data[first + copied + 1]);
        copied += 2;
    }
}

} // namespace

// The semaphore covers the caches and the hand-over to the device, not the
// device's work: a note sent meanwhile goes out after the message, in the
// order given, instead of timing out on the semaphore. One message at a
// time goes through here.
SysExResult COutPort::SendSysEx(const uint8_t* bytes, size_t length)
{
    return sendLongMessage(bytes, length, "SendSysEx");
}

SysExResult COutPort::sendLongMessage(const uint8_t* bytes, size_t length, const char* caller)
{
    if (bytes == nullptr || length == 0)
        return SysExResult::Empty;
    std::lock_guard sender(m_longSender);
    uint64_t ticket = 0;
    SysExResult result = SysExResult::Skipped;
    {
        PortGuard guard(m_semaphore, caller, m_lockWait);
        if (!guard)
            return SysExResult::Skipped;
        result = queueSysExLocked(bytes, length, ticket);
    }
    if (ticket == 0)
        return result;
    return sysExResultOf(m_device->awaitLong(ticket, kSysExTimeout));
}

// A ticket of 0: the result is final.
SysExResult COutPort::queueSysExLocked(const uint8_t* bytes, size_t length, uint64_t& ticket)
{
    ticket = 0;
    if (bytes == nullptr || length == 0)
        return SysExResult::Empty;
    if (m_device && length > m_device->maxLongMessageBytes())
        return SysExResult::TooLarge;
    interpretSysExLocked(bytes, length);
    if (!m_device)
        return SysExResult::CachedOnly;
    if (!m_device->isOpen())
        return SysExResult::Failed;
    LongSendResult settled = LongSendResult::Failed;
    ticket = m_device->queueLong(std::span<const uint8_t>(bytes, length), kSysExTimeout, settled);
    return sysExResultOf(settled);
}

SysExResult COutPort::sysExResultOf(LongSendResult result)
{
    switch (result) {
    case LongSendResult::Delivered: return SysExResult::Delivered;
    case LongSendResult::TimedOut: return SysExResult::TimedOut;
    case LongSendResult::Failed: break;
    }
    return SysExResult::Failed;
}

namespace {

void deviceControl(const SysExData& data,
                   std::array<CachedValue<int32_t>, kDeviceValueCount>& values)
{
    auto set = [&](DeviceValue which, int value) { values[size_t(which)].set(value); };
    if (!data.has(4))
        return;
    const uint8_t subId = data[4];
    if (subId == 1 || subId == 3 || subId == 4) {
        if (!data.has(5, 6))
            return;
        const DeviceValue which = subId == 1   ? DeviceValue::MasterVolume
                                  : subId == 3 ? DeviceValue::MasterFineTuning
                                               : DeviceValue::MasterCoarseTuning;
        set(which, data[6] * 128 + data[5]);
        return;
    }
    if (subId != 5 || !data.has(8, 11) || data[8] != 1)
        return;
    const uint8_t parameter = data[10];
    const uint8_t value = data[11];
    if (data[9] == 1) {
        if (parameter == 0) {
            set(DeviceValue::ReverbType, value);
            if (reverbTimeOf(value) >= 0)
                set(DeviceValue::ReverbTime, reverbTimeOf(value));
        } else if (parameter == 1) {
            set(DeviceValue::ReverbTime, value);
        }
    } else if (data[9] == 2) {
        if (parameter == 0) {
            set(DeviceValue::ChorusType, value);
            if (value < std::size(kChorusPresets)) {
                set(DeviceValue::ChorusRate, kChorusPresets[value].rate);
                set(DeviceValue::ChorusDepth, kChorusPresets[value].depth);
                set(DeviceValue::ChorusFeedback, kChorusPresets[value].feedback);
                set(DeviceValue::ChorusSendToReverb, 0);
            }
        } else if (parameter <= 4) {
            constexpr DeviceValue kChorusParameters[] = {
                DeviceValue::ChorusRate, DeviceValue::ChorusDepth, DeviceValue::ChorusFeedback,
                DeviceValue::ChorusSendToReverb};
            set(kChorusParameters[parameter - 1], value);
        }
    }
}

} // namespace

// Universal real-time messages: device control and controller destination
// settings. Pairs beyond a table's capacity are dropped.
void COutPort::interpretSysExLocked(const uint8_t* bytes, size_t length)
{
    if (length < 2 || bytes[0] != midi::kSysEx || bytes[1] != 0x7F)
        return;
    const SysExData data(bytes, length);
    if (!data.has(3))
        return;
    if (data[3] == 4) {
        deviceControl(data, m_deviceValues);
        return;
    }
    if (data[3] != 9 || !data.has(4, 5))
        return;
    ChannelState& state = channelState(data[5]);
    switch (data[4]) {
    case 1: storePairs(data, 6, state.pressureDestinations, 0); break;
    case 2: storePairs(data, 6, state.keyPressureDestinations, 0); break;
    case 3:
        if (!data.has(6))
            return;
        state.controlDestinations[0].set(data[6]);
        storePairs(data, 7, state.controlDestinations, 1);
        break;
    default: break;
    }
}

} // namespace rz
