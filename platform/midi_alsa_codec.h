#pragma once

#include "platform/midi_in_device.h"
#include "platform/midi_stream_parser.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include <alsa/asoundlib.h>

namespace rz {

// Turns MIDI bytes into sequencer events through snd_midi_event. Running
// status and stray data bytes are the encoder's to sort out; a
// system-exclusive message longer than the encoder's buffer comes out as
// several SND_SEQ_EVENT_SYSEX events. Not thread-safe.
class AlsaEventEncoder {
public:
    // `sysExChunkBytes`: the most a system-exclusive event carries.
    explicit AlsaEventEncoder(size_t sysExChunkBytes = 256);
    ~AlsaEventEncoder();
    AlsaEventEncoder(const AlsaEventEncoder&) = delete;
    AlsaEventEncoder& operator=(const AlsaEventEncoder&) = delete;

    bool valid() const { return m_encoder != nullptr; }
    // Calls `emit` for each complete event; a system-exclusive event points
    // into the encoder's buffer and is valid only during the call.
    void encode(std::span<const uint8_t> bytes,
                const std::function<void(const snd_seq_event_t&)>& emit);
    // Forgets running status and any partial message.
    void reset();

private:
    snd_midi_event_t* m_encoder = nullptr;
};

// Turns sequencer events back into MIDI bytes for a MidiStreamParser, which
// joins system-exclusive chunks up to F7. Decoding never uses running status.
// Not thread-safe.
class AlsaEventDecoder {
public:
    AlsaEventDecoder();
    ~AlsaEventDecoder();
    AlsaEventDecoder(const AlsaEventDecoder&) = delete;
    AlsaEventDecoder& operator=(const AlsaEventDecoder&) = delete;

    bool valid() const { return m_decoder != nullptr; }
    void decode(const snd_seq_event_t& event, TickTime stamp, MidiStreamParser& parser,
                IMidiInHandler& handler);
    void reset();

private:
    snd_midi_event_t* m_decoder = nullptr;
};

} // namespace rz
