#include "core/midi_bytes.h"
#include "engine/out_port.h"

#include "engine/out_port_internal.h"

#include <algorithm>

namespace rz {

using namespace out_port_detail;

namespace {

// A held note matches a release in everything but the velocity: status,
// key and tag.
constexpr uint32_t kNoteIdentity = 0xFF00FFFFu;

} // namespace

void COutPort::noteOnLocked(uint32_t message)
{
    ChannelState& state = channelState(int(message & 15));
    const uint8_t key = uint8_t(message >> 8);
    state.lowestKey = std::min(state.lowestKey, key);
    state.highestKey = std::max(state.highestKey, key);
    const auto freeSlot = std::find(m_held.begin(), m_held.end(), 0u);
    if (freeSlot != m_held.end())
        *freeSlot = message;
    else
        m_held.push_back(message);
    SendRaw(message & 0xFFFFFFu);
}

// `message` is a note-on with velocity 0. Nothing is sent for a note that is
// not sounding on this tag.
void COutPort::noteOffLocked(uint32_t message)
{
    const uint32_t identity = message & kNoteIdentity;
    for (auto entry = m_held.rbegin(); entry != m_held.rend(); ++entry) {
        if (*entry != 0 && (*entry & kNoteIdentity) == identity) {
            *entry = 0;
            SendRaw(message & 0xFFFFu);
            return;
        }
    }
}

void COutPort::AllNotesOff()
{
    PortGuard guard(m_semaphore, "AllNotesOff", m_lockWait);
    if (guard)
        allNotesOffLocked();
}

void COutPort::allNotesOffLocked()
{
    for (int channel = 0; channel < kMidiChannelCount; ++channel) {
        CachedValue<uint8_t>& sustain = channelState(channel).controllers[kSustain];
        const uint8_t value = sustain.get();
        if (value != kUnsetByte && value != 0) {
            SendRaw(controlChange(channel, kSustain, 0));
            sustain.set(0);
        }
    }
    for (auto entry = m_held.rbegin(); entry != m_held.rend(); ++entry) {
        if (*entry != 0)
            SendRaw(*entry & 0xFFFFu);
    }
    m_held.clear();
}

void COutPort::FreeStuckNotes()
{
    PortGuard guard(m_semaphore, "FreeStuckNotes", m_lockWait);
    if (!guard)
        return;
    for (int channel = 0; channel < kMidiChannelCount; ++channel) {
        SendRaw(controlChange(channel, kAllSoundOff, 0));
        const ChannelState& state = channelState(channel);
        for (int key = state.lowestKey; key <= state.highestKey; ++key)
            SendRaw(midi::noteOn(channel, key, 0));
    }
}

void COutPort::ReleaseHeldNotes()
{
    PortGuard guard(m_semaphore, "ReleaseHeldNotes", m_lockWait);
    if (!guard)
        return;
    for (uint32_t& entry : m_held) {
        if (entry != 0 && (entry >> 24) == 0xFF) {
            SendRaw(entry & 0xFFFFu);
            entry = 0;
        }
    }
}

void COutPort::ReleaseTrackNotes()
{
    PortGuard guard(m_semaphore, "ReleaseTrackNotes", m_lockWait);
    if (!guard)
        return;
    for (uint32_t& entry : m_held) {
        if (entry != 0 && (entry >> 24) != 0xFF) {
            SendRaw(entry & 0xFFFFu);
            entry = 0;
        }
    }
    for (int channel = 0; channel < kMidiChannelCount; ++channel) {
        CachedValue<uint8_t>& sustain = channelState(channel).controllers[kSustain];
        const uint8_t value = sustain.get();
        if (value != kUnsetByte && value != 0) {
            SendRaw(controlChange(channel, kSustain, 0));
            sustain.set(0);
        }
    }
}

std::vector<uint32_t> COutPort::heldNotes()
{
    std::vector<uint32_t> notes;
    PortGuard guard(m_semaphore, "heldNotes", m_lockWait);
    if (!guard)
        return notes;
    std::copy_if(m_held.begin(), m_held.end(), std::back_inserter(notes),
                 [](uint32_t entry) { return entry != 0; });
    return notes;
}

size_t COutPort::copyHeldNotes(uint32_t* out, size_t capacity)
{
    PortGuard guard(m_semaphore, "copyHeldNotes", m_lockWait);
    if (!guard)
        return 0;
    size_t count = 0;
    for (uint32_t entry : m_held) {
        if (entry == 0)
            continue;
        if (count < capacity)
            out[count] = entry;
        ++count;
    }
    return count;
}

} // namespace rz
