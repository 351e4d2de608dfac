#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "core/midi_bytes.h"
#include "song/audio_clip.h"

namespace rz {

// The owned extra data of an event: nothing, a byte block or an audio clip.
// Copies are deep; moves are cheap.
class EventData {
public:
    EventData() = default;
    EventData(const EventData& other);
    EventData& operator=(const EventData& other);
    EventData(EventData&&) noexcept = default;
    EventData& operator=(EventData&&) noexcept = default;
    ~EventData() = default;

    bool empty() const { return m_data == nullptr; }
    // The byte block; empty when the data is none or a clip.
    std::span<const uint8_t> bytes() const;
    std::vector<uint8_t>* byteBlock() { return m_data ? std::get_if<std::vector<uint8_t>>(m_data.get()) : nullptr; }
    CAudioClip* clip() const;

    void setBytes(std::vector<uint8_t> bytes) { m_data = std::make_unique<Payload>(std::move(bytes)); }
    void setClip(std::unique_ptr<CAudioClip> clip) { m_data = std::make_unique<Payload>(std::move(clip)); }
    void reset() { m_data.reset(); }

private:
    // Kept apart, so the many events without data stay one pointer wide.
    using Payload = std::variant<std::vector<uint8_t>, std::unique_ptr<CAudioClip>>;
    std::unique_ptr<Payload> m_data;
};

// Messages of events that are not plain MIDI.
inline constexpr uint32_t kTextMessage = 0x1FF;         // meta type 1
inline constexpr uint32_t kAudioClipMessage = 0x7FF;    // meta type 7, data is a CAudioClip
inline constexpr uint32_t kSequencerSpecificMessage = 0x7FFF;
inline constexpr int8_t kNoSpelling = -1;

// One event of a track. message: bits 0-7 the kind byte, 8-15 the first data
// byte, 16-23 the second. In memory only: 0x1n an RPN (number in bits 8-14,
// 14-bit value in bits 16-29), 0x2n an NRPN (value in value2).
struct CMidiEvent {
    uint32_t message = 0;
    int32_t tick = 0;
    int32_t value2 = 0;          // note length, data length, program bank or NRPN value
    uint32_t selectionStamp = 0; // selected when equal to the song's stamp
    int32_t pendingChange = 0;   // +1 / -1 while a view drags a selection over it
    uint8_t notation = 0;        // notation attribute 1
    int8_t spelling = kNoSpelling; // 0-4 double flat .. double sharp
    EventData data;

    uint8_t kind() const { return uint8_t(message & 0xFF); }
    uint8_t data1() const { return uint8_t((message >> 8) & 0xFF); }
    uint8_t data2() const { return uint8_t((message >> 16) & 0xFF); }
    bool isMeta() const { return kind() == midi::kMeta; }
    bool isNote() const { return midi::isNoteOn(message); }
    CAudioClip* clip() const { return data.clip(); }

    // Releases the data.
    void Clear() { data.reset(); }

    // Replaces the data by a copy of the bytes. With sysex the block starts with
    // an added midi::kSysEx and value2 = size + 1. False, with nothing changed, when the
    // length does not fit value2.
    bool SetData(std::span<const uint8_t> bytes, bool sysex = false);
    // The text's bytes, with a terminating zero when asked; a message still 0
    // becomes a text event.
    bool SetText(std::string_view text, bool withTerminator = false);
    bool SetMetaText(uint8_t type, std::string_view text, bool withTerminator = false);
    bool SetMetaData(uint8_t type, std::span<const uint8_t> bytes);
    // Makes this an audio-clip event owning the clip.
    void SetClip(std::unique_ptr<CAudioClip> clip);
};

} // namespace rz
