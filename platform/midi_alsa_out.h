#pragma once

#include "platform/midi_alsa_client.h"
#include "platform/midi_alsa_codec.h"
#include "platform/midi_out_device.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace rz {

// An ALSA sequencer destination: our own port, subscribed to it. Short
// messages are scheduled on the client's queue at their stamp plus the
// engine's output latency, bypassing the output buffer; long ones carry no
// stamp and go on the queue at once plus that latency, but never before a
// short message sent earlier, so none overtakes what came before it.
class AlsaMidiOutDevice final : public IMidiOutDevice {
public:
    AlsaMidiOutDevice(AlsaPortInfo destination, std::string displayName, MidiDeviceKind kind);
    ~AlsaMidiOutDevice() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    using IMidiOutDevice::sendShort;
    // Any thread; a full kernel queue drops the message.
    void sendShort(std::span<const uint8_t> bytes, TickTime stamp) override;
    // Any thread; one SND_SEQ_EVENT_SYSEX, then a drain.
    LongSendResult sendLong(std::span<const uint8_t> bytes,
                            std::chrono::milliseconds timeout) override;
    size_t maxLongMessageBytes() const override;
    std::string displayName() const override { return m_displayName; }
    MidiDeviceKind kind() const override { return m_kind; }

    std::string openError() const override { return m_lastError; }

private:
    void address(snd_seq_event_t& event) const;
    bool failOpen(std::string reason);

    const AlsaPortInfo m_destination;
    const std::string m_displayName;
    const MidiDeviceKind m_kind;
    std::string m_lastError;
    std::shared_ptr<AlsaSeqClient> m_client;
    int m_port = -1;
    std::atomic<bool> m_open{false};
    std::mutex m_encoding; // the encoder is not thread-safe
    AlsaEventEncoder m_encoder;
    int64_t m_latestShortDueNs = 0; // under m_encoding
};

} // namespace rz
