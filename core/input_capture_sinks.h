#pragma once

// The dialogs that take MIDI input while they show, as the input sees them:
// the dialogs implement these, the engine calls them.

#include <cstdint>
#include <span>

namespace rz {

// The event properties dialog while it captures incoming MIDI. Its members
// run on an input's dispatch thread; the dialog queues the work to the GUI
// thread itself.
class IEventCaptureSink {
public:
    virtual ~IEventCaptureSink() = default;
    // The next piece of a system-exclusive message (F0 opens the first, F7
    // ends the one marked last).
    virtual void AddSysExChunk(std::span<const uint8_t> bytes, bool last) = 0;
    // The message was cut or ran too long: the pieces so far are all it gets.
    virtual void PostSysExDone() = 0;
    // A short message, status in the low byte.
    virtual void captureShort(uint32_t message) = 0;
};

// The tempo-series dialog while it times played notes. Input dispatch thread;
// the dialog queues the work to the GUI thread itself.
class ITempoTapSink {
public:
    virtual ~ITempoTapSink() = default;
    // A note-on arrived; `msClock` is the engine's millisecond clock then.
    virtual void OnMidiTap(uint32_t msClock) = 0;
};

} // namespace rz
