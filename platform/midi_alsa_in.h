#pragma once

#include "platform/midi_alsa_client.h"
#include "platform/midi_alsa_codec.h"
#include "platform/midi_in_device.h"
#include "platform/midi_stream_parser.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace rz {

// An ALSA sequencer source: our own port, subscribed from it. The client's
// reader thread decodes each event, joins system-exclusive chunks up to F7
// and runs the handler; events are stamped when read.
class AlsaMidiInDevice final : public IMidiInDevice, private AlsaEventSink {
public:
    AlsaMidiInDevice(AlsaPortInfo source, std::string displayName, MidiDeviceKind kind);
    ~AlsaMidiInDevice() override;

    bool open(IMidiInHandler* handler) override;
    bool start() override;
    void stop() override;
    void reset() override;
    // Never from inside the handler.
    void close() override;
    bool isOpen() const override;
    uint64_t droppedCount() const override;
    std::string displayName() const override { return m_displayName; }
    MidiDeviceKind kind() const override { return m_kind; }

    std::string openError() const override { return m_lastError; }

private:
    void deliver(const snd_seq_event_t& event) override;
    bool failOpen(std::string reason);

    const AlsaPortInfo m_source;
    const std::string m_displayName;
    const MidiDeviceKind m_kind;
    std::string m_lastError;
    std::shared_ptr<AlsaSeqClient> m_client;
    int m_port = -1;
    IMidiInHandler* m_handler = nullptr;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_started{false};

    std::mutex m_decoding; // the reader thread, and reset()
    AlsaEventDecoder m_decoder;
    MidiStreamParser m_parser;
};

} // namespace rz
