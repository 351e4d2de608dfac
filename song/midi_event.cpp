#include "song/midi_event.h"

#include <limits>
#include <type_traits>

namespace rz {

// Events move, not copy, when a track's array grows.
static_assert(std::is_nothrow_move_constructible_v<CMidiEvent>);

EventData::EventData(const EventData& other)
{
    *this = other;
}

EventData& EventData::operator=(const EventData& other)
{
    if (this == &other)
        return *this;
    if (const auto* block = std::get_if<std::vector<uint8_t>>(&other.m_data))
        m_data = *block;
    else if (const CAudioClip* source = other.clip())
        m_data = std::make_unique<CAudioClip>(*source);
    else
        m_data = std::monostate{};
    return *this;
}

std::span<const uint8_t> EventData::bytes() const
{
    if (const auto* block = std::get_if<std::vector<uint8_t>>(&m_data))
        return *block;
    return {};
}

CAudioClip* EventData::clip() const
{
    if (const auto* clip = std::get_if<std::unique_ptr<CAudioClip>>(&m_data))
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
        block.push_back(0xF0);
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
    message = 0xFFu | uint32_t(type) << 8;
    return SetText(text, withTerminator);
}

bool CMidiEvent::SetMetaData(uint8_t type, std::span<const uint8_t> bytes)
{
    message = 0xFFu | uint32_t(type) << 8;
    return SetData(bytes);
}

void CMidiEvent::SetClip(std::unique_ptr<CAudioClip> clip)
{
    message = kAudioClipMessage;
    data.setClip(std::move(clip));
}

} // namespace rz
