#pragma once

#include "core/engine_timer.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace rz {

// What the Ports dialog shows a device as.
enum class MidiDeviceKind : uint8_t { InternalSynth, Hardware, Software };

enum class LongSendResult : uint8_t {
    Delivered,
    TimedOut, // the device did not finish within the timeout; the message may be partly out
    Failed,   // closed, gone, or refused by the device
};

// One MIDI output device under a device port. The platform layer implements
// it (JACK, ALSA sequencer, the built-in synthesizer); tests record.
// Every member may be called from any thread; the port serialises the sends
// it makes under its semaphore, but SendRaw callers may not.
class IMidiOutDevice {
public:
    virtual ~IMidiOutDevice() = default;

    virtual bool open() = 0;
    // Opens unless `stop` is set meanwhile: a device whose open takes long
    // gives up between its steps. The thread that opens, never a realtime one.
    virtual bool openUnless(const std::atomic<bool>& stop)
    {
        (void)stop;
        return open();
    }
    virtual void close() = 0;
    // False once closed, and as soon as the device reports itself gone.
    virtual bool isOpen() const = 0;
    // Why the last open failed, in the library's words; empty when it gave
    // no reason.
    virtual std::string openError() const { return {}; }

    // One complete short message (1 to 3 bytes, status first), to be played at
    // `stamp`. Does nothing on a closed device. Never waits.
    virtual void sendShort(std::span<const uint8_t> bytes, TickTime stamp) = 0;
    // Stamped with the tick being played, or now outside a tick.
    void sendShort(std::span<const uint8_t> bytes) { sendShort(bytes, currentTickTime()); }

    // A whole system-exclusive message. Waits at most `timeout` for it to be
    // out; a device that is gone fails at once rather than waiting. Never
    // given more than maxLongMessageBytes().
    virtual LongSendResult sendLong(std::span<const uint8_t> bytes,
                                    std::chrono::milliseconds timeout) = 0;
    // The largest message sendLong takes, in bytes.
    virtual size_t maxLongMessageBytes() const = 0;

    // sendLong in two steps, so a caller need not hold its own locks while
    // the device works. queueLong hands the message over behind everything
    // given before it (what is given after leaves after it) and returns a
    // ticket for awaitLong; 0 when the message is settled already, with
    // `settled` saying how. Every ticket is awaited once. The default suits
    // a device whose sendLong is done at once.
    virtual uint64_t queueLong(std::span<const uint8_t> bytes, std::chrono::milliseconds timeout,
                               LongSendResult& settled)
    {
        settled = sendLong(bytes, timeout);
        return 0;
    }
    // Waits at most `timeout` for the queued message to be out.
    virtual LongSendResult awaitLong(uint64_t ticket, std::chrono::milliseconds timeout)
    {
        (void)ticket;
        (void)timeout;
        return LongSendResult::Failed;
    }

    virtual std::string displayName() const = 0;
    virtual MidiDeviceKind kind() const = 0;
};

} // namespace rz
