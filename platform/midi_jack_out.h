#pragma once

#include "platform/midi_jack_client.h"
#include "platform/midi_out_device.h"
#include "platform/midi_ring.h"
#include "platform/midi_wakeup.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <jack/jack.h>

namespace rz {

// A JACK MIDI destination: our own output port, connected to it. Messages
// leave at the frame of their stamp plus the engine's output latency
// (midiOutputLatency), so the latency is constant and the spacing of stamps
// survives to the frame.
class JackMidiOutDevice final : public IMidiOutDevice, private JackPortUser {
public:
    // `destination` is the full name of the port to connect to.
    JackMidiOutDevice(std::string destination, std::string displayName, MidiDeviceKind kind);
    ~JackMidiOutDevice() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    using IMidiOutDevice::sendShort;
    // Any thread; never waits on the process callback.
    void sendShort(std::span<const uint8_t> bytes, TickTime stamp) override;
    // Any thread; waits for the process callback to have written it.
    LongSendResult sendLong(std::span<const uint8_t> bytes,
                            std::chrono::milliseconds timeout) override;
    // Any thread; waits only while an earlier long message is still out.
    uint64_t queueLong(std::span<const uint8_t> bytes, std::chrono::milliseconds timeout,
                       LongSendResult& settled) override;
    LongSendResult awaitLong(uint64_t ticket, std::chrono::milliseconds timeout) override;
    size_t maxLongMessageBytes() const override;
    std::string displayName() const override { return m_displayName; }
    MidiDeviceKind kind() const override { return m_kind; }

    std::string openError() const override { return m_lastError; }
    // Short messages dropped because the queue to the process callback was full.
    uint64_t droppedCount() const { return m_queue.droppedCount(); }
    // Short messages whose frame had passed when their cycle was written:
    // they went at the cycle's first frame.
    uint64_t lateCount() const { return m_late.load(std::memory_order_relaxed); }
    // The frame of the cycle that a message stamped `stampNs` (steady clock)
    // goes at, before it is held in order and before a late one is moved to
    // 0; `clockOffsetNs` is the JACK clock minus the steady clock.
    static int64_t frameFor(int64_t stampNs, const JackCycle& cycle, int64_t clockOffsetNs,
                            int64_t latencyNs);
    const std::string& destination() const { return m_destination; }

private:
    // One queued message: a short one in `bytes`, or the marker of the long
    // message waiting in m_longBuffer.
    struct Queued {
        int64_t stampNs = 0; // steady clock
        uint64_t longTicket = 0;
        uint8_t size = 0;
        uint8_t bytes[3]{};
    };

    void process(const JackCycle& cycle) override;
    void serverGone() override;
    bool writeQueued(void* buffer, jack_nframes_t frame, const Queued& event);
    bool push(const Queued& event);
    LongSendResult waitForLong(uint64_t ticket, std::chrono::milliseconds timeout);
    bool cancelLong(uint64_t ticket);
    bool failOpen(std::string reason);

    const std::string m_destination;
    const std::string m_displayName;
    const MidiDeviceKind m_kind;
    std::string m_lastError;

    std::shared_ptr<JackMidiClient> m_client;
    jack_port_t* m_port = nullptr;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_gone{false}; // the server shut down while open
    std::atomic<uint64_t> m_late{0};
    std::atomic<int64_t> m_clockOffsetNs{0}; // the JACK clock minus the steady clock

    std::mutex m_producers; // one pusher at a time into m_queue
    SpscRing<Queued, 1024> m_queue;
    std::atomic<size_t> m_maxEventBytes{0}; // what an empty port buffer takes

    std::mutex m_longSender; // guards m_longBusy
    std::condition_variable m_longFree;
    bool m_longBusy = false; // a queued long message is not yet awaited
    std::vector<uint8_t> m_longBuffer;
    size_t m_longLength = 0;
    uint64_t m_lastTicket = 0;
    // The ticket of the long message waiting to be written, or one of:
    static constexpr uint64_t kLongNone = 0;       // written, or none waiting
    static constexpr uint64_t kLongWriting = ~0ull; // the callback is writing it
    static constexpr uint64_t kLongRefused = ~1ull; // the port buffer would not take it
    std::atomic<uint64_t> m_longState{kLongNone};
    MidiWakeup m_longDone;
};

} // namespace rz
