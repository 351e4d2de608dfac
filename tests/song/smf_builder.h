#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image_builder.h"

namespace rz::test {

// The body of one track chunk, event by event: each event is a delta time
// and the bytes written as given (running status, bad lengths and all).
class TrackBuilder {
public:
    TrackBuilder& event(uint32_t delta, std::initializer_list<uint8_t> message)
    {
        appendVarLen(m_bytes, delta);
        m_bytes.insert(m_bytes.end(), message);
        return *this;
    }
    TrackBuilder& meta(uint32_t delta, uint8_t type, std::span<const uint8_t> data)
    {
        appendVarLen(m_bytes, delta);
        m_bytes.push_back(0xFF);
        m_bytes.push_back(type);
        appendVarLen(m_bytes, uint32_t(data.size()));
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        return *this;
    }
    TrackBuilder& meta(uint32_t delta, uint8_t type, std::string_view text)
    {
        return meta(delta, type, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }
    TrackBuilder& meta(uint32_t delta, uint8_t type, std::initializer_list<uint8_t> data)
    {
        return meta(delta, type, std::span<const uint8_t>(data.begin(), data.size()));
    }
    TrackBuilder& end(uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0x00}); }
    // Bytes with no delta time before them.
    TrackBuilder& raw(std::initializer_list<uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// A Standard MIDI File written chunk by chunk; lengths may lie.
class SmfBuilder {
public:
    SmfBuilder& header(uint16_t format, uint16_t tracks, uint16_t division, uint32_t length = 6)
    {
        chunkHeader("MThd", length);
        for (uint16_t v : {format, tracks, division}) {
            m_bytes.push_back(uint8_t(v >> 8));
            m_bytes.push_back(uint8_t(v));
        }
        return *this;
    }
    SmfBuilder& chunk(std::string_view id, std::span<const uint8_t> body,
                      std::optional<uint32_t> statedLength = std::nullopt)
    {
        chunkHeader(id, statedLength.value_or(uint32_t(body.size())));
        m_bytes.insert(m_bytes.end(), body.begin(), body.end());
        return *this;
    }
    SmfBuilder& track(const TrackBuilder& track) { return chunk("MTrk", track.bytes()); }
    SmfBuilder& raw(std::initializer_list<uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return m_bytes; }

    // The file inside a RIFF form ("RMID" holds it in its "data" chunk).
    std::vector<uint8_t> riff(std::string_view form = "RMID") const
    {
        std::vector<uint8_t> out;
        auto le32 = [&out](uint32_t v) {
            for (int i = 0; i < 4; ++i)
                out.push_back(uint8_t(v >> (8 * i)));
        };
        const uint32_t dataLength = uint32_t(m_bytes.size());
        out.insert(out.end(), {'R', 'I', 'F', 'F'});
        le32(4 + 8 + dataLength + (dataLength & 1));
        out.insert(out.end(), form.begin(), form.end());
        out.insert(out.end(), {'d', 'a', 't', 'a'});
        le32(dataLength);
        out.insert(out.end(), m_bytes.begin(), m_bytes.end());
        if (dataLength & 1)
            out.push_back(0);
        return out;
    }

private:
    void chunkHeader(std::string_view id, uint32_t length)
    {
        m_bytes.insert(m_bytes.end(), id.begin(), id.end());
        for (int shift = 24; shift >= 0; shift -= 8)
            m_bytes.push_back(uint8_t(length >> shift));
    }

    std::vector<uint8_t> m_bytes;
};

// A conductor chunk with a 4/4 meter and 120 bpm, ending after `length` ticks.
inline TrackBuilder plainConductor(uint32_t length = 0)
{
    TrackBuilder t;
    t.meta(0, 0x58, {4, 2, 24, 8}).meta(0, 0x51, {0x07, 0xA1, 0x20}).end(length);
    return t;
}

} // namespace rz::test
