#include "song/midi_event.h"
#include "core/midi_bytes.h"

#include <limits>
#include <type_traits>

namespace rz {

// Events move, not copy, when a track's array grows.
static_assert(std::is_nothrow_move_constructible_v<CMidiEvent>);
// A song holds millions of events: seven words and the data pointer.
static_assert(sizeof(CMidiEvent) <= 32);

EventData::EventData(const EventData& other)
{
    *this = other;
}

EventData& EventData::operator=(const EventData& other)
{
    if (this == &other)
        return *this;
    if (other.m_data == nullptr)
        m_data.reset();
    else if (const auto* block = std::get_if<std::vector<uint8_t>>(other.m_data.get()))
        setBytes(*block);
    else if (const CAudioClip* source = other.clip())
        setClip(std::make_unique<CAudioClip>(*source));
    else
        m_data.reset();
    return *this;
}

std::span<const uint8_t> EventData::bytes() const
{
    if (m_data != nullptr)
        if (const auto* block = std::get_if<std::vector<uint8_t>>(m_data.get()))
            return *block;
    return {};
}

CAudioClip* EventData::clip() const
{
    if (m_data != nullptr)
        if (const auto* clip = std::get_if<std::unique_ptr<CAudioClip>>(m_data.get()))
            return clip->get();
    return nullptr;
}

bool CMidiEvent::SetData(std::span<const uint8_t> bytes, bool sysex)
{
    const size_t length = bytes.size() + (sysex ? 1 : 0);
    if (length > size_t(std::numeric_limits<int32_t>::max()))
        return false;
    data.reset();
    value2 = int32_t(length);
    if (length == 0)
        return true;
    std::vector<uint8_t> block;
    block.reserve(length);
    if (sysex)
        block.push_back(midi::kSysEx);
    block.insert(block.end(), bytes.begin(), bytes.end());
    data.setBytes(std::move(block));
    return true;
}

bool CMidiEvent::SetText(std::string_view text, bool withTerminator)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (withTerminator)
        bytes.push_back(0);
    if (!SetData(bytes))
        return false;
    if (message == 0)
        message = kTextMessage;
    return true;
}

bool CMidiEvent::SetMetaText(uint8_t type, std::string_view text, bool withTerminator)
{
    message = midi::kMeta | uint32_t(type) << 8;
    return SetText(text, withTerminator);
}

bool CMidiEvent::SetMetaData(uint8_t type, std::span<const uint8_t> bytes)
{
    message = midi::kMeta | uint32_t(type) << 8;
    return SetData(bytes);
}

void CMidiEvent::SetClip(std::unique_ptr<CAudioClip> clip)
{
    message = kAudioClipMessage;
    data.setClip(std::move(clip));
}

} // namespace rz
