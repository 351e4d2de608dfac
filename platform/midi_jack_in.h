#pragma once

#include "platform/midi_in_device.h"
#include "platform/midi_jack_client.h"
#include "platform/midi_ring.h"
#include "platform/midi_stream_parser.h"
#include "platform/midi_wakeup.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include <jack/jack.h>

namespace rz {

// A JACK MIDI source: our own input port, connected from it. The process
// callback copies each event, stamped with the steady-clock time of its
// frame, into a ring; a dispatcher thread of normal priority parses the
// events and runs the handler. A full ring drops whole events and counts them.
class JackMidiInDevice final : public IMidiInDevice, private JackPortUser {
public:
    // `source` is the full name of the port to connect from.
    JackMidiInDevice(std::string source, std::string displayName, MidiDeviceKind kind);
    ~JackMidiInDevice() override;

    bool open(IMidiInHandler* handler) override;
    bool start() override;
    void stop() override;
    void reset() override;
    // Never from inside the handler.
    void close() override;
    bool isOpen() const override;
    uint64_t droppedCount() const override { return m_ring.droppedCount(); }
    std::string displayName() const override { return m_displayName; }
    MidiDeviceKind kind() const override { return m_kind; }

    std::string openError() const override { return m_lastError; }
    // Events dropped because they did not start with a status byte.
    uint64_t statuslessCount() const { return m_statusless.load(std::memory_order_relaxed); }

private:
    static constexpr size_t kSlotBytes = 48;
    // One slot of an event; a long event takes several in a row.
    struct Slot {
        int64_t stampNs = 0; // steady clock
        uint8_t size = 0;
        bool first = false;  // the event's first slot
        uint8_t bytes[kSlotBytes]{};
    };

    void process(const JackCycle& cycle) override;
    void serverGone() override;
    void queueEvent(const uint8_t* bytes, size_t size, int64_t stampNs);
    void dispatchLoop();
    void dispatchSlot(const Slot& slot);
    bool failOpen(std::string reason);

    const std::string m_source;
    const std::string m_displayName;
    const MidiDeviceKind m_kind;
    std::string m_lastError;

    std::shared_ptr<JackMidiClient> m_client;
    jack_port_t* m_port = nullptr;
    IMidiInHandler* m_handler = nullptr;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_gone{false};
    std::atomic<bool> m_started{false};
    int64_t m_jackMinusSteadyUs = 0; // JACK time minus the steady clock, taken at open

    SpscRing<Slot, 2048> m_ring; // 96 KiB: a whole 64 KiB system-exclusive message fits
    MidiWakeup m_wakeup;
    std::thread m_dispatcher;
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_resetRequested{false};
    std::atomic<uint64_t> m_statusless{0};

    // Dispatcher thread only.
    MidiStreamParser m_parser;
    bool m_droppingEvent = false; // the rest of an event without a status byte
};

} // namespace rz
