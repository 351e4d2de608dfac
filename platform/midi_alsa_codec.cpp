#include "platform/midi_alsa_codec.h"

namespace rz {

namespace {

// Bytes of the longest event other than system exclusive.
constexpr size_t kShortEventBytes = 16;

} // namespace

AlsaEventEncoder::AlsaEventEncoder(size_t sysExChunkBytes)
{
    if (snd_midi_event_new(sysExChunkBytes, &m_encoder) < 0)
        m_encoder = nullptr;
}

AlsaEventEncoder::~AlsaEventEncoder()
{
    if (m_encoder)
        snd_midi_event_free(m_encoder);
}

void AlsaEventEncoder::encode(std::span<const uint8_t> bytes,
                              const std::function<void(const snd_seq_event_t&)>& emit)
{
    if (!m_encoder)
        return;
    for (uint8_t byte : bytes) {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        if (snd_midi_event_encode_byte(m_encoder, byte, &event) == 1 &&
            event.type != SND_SEQ_EVENT_NONE)
            emit(event);
    }
}

void AlsaEventEncoder::reset()
{
    if (m_encoder)
        snd_midi_event_reset_encode(m_encoder);
}

AlsaEventDecoder::AlsaEventDecoder()
{
    if (snd_midi_event_new(kShortEventBytes, &m_decoder) < 0) {
        m_decoder = nullptr;
        return;
    }
    snd_midi_event_no_status(m_decoder, 1);
}

AlsaEventDecoder::~AlsaEventDecoder()
{
    if (m_decoder)
        snd_midi_event_free(m_decoder);
}

void AlsaEventDecoder::decode(const snd_seq_event_t& event, TickTime stamp,
                              MidiStreamParser& parser, IMidiInHandler& handler)
{
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        // A chunk as sent: the parser bounds and joins it.
        const auto* bytes = static_cast<const uint8_t*>(event.data.ext.ptr);
        if (bytes)
            parser.feed(std::span<const uint8_t>(bytes, event.data.ext.len), stamp, handler);
        return;
    }
    if (!m_decoder)
        return;
    uint8_t bytes[kShortEventBytes];
    const long length = snd_midi_event_decode(m_decoder, bytes, sizeof bytes, &event);
    if (length > 0)
        parser.feed(std::span<const uint8_t>(bytes, size_t(length)), stamp, handler);
}

void AlsaEventDecoder::reset()
{
    if (m_decoder)
        snd_midi_event_reset_decode(m_decoder);
}

} // namespace rz
