#pragma once

#include "core/input_capture_sinks.h"
#include "platform/midi_in_device.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <utility>

namespace rz {

// A control-map entry dialog while it learns; the shape of IEngineHost's
// LearnMidi. Input dispatch thread; the dialog queues the work itself.
class ILearnMidiSink {
public:
    virtual ~ILearnMidiSink() = default;
    // `deviceId` is the input's index in the engine's input list.
    virtual void LearnMidi(uint32_t deviceId, uint32_t message) = 0;
};

// One registered sink that the GUI thread sets and clears while input
// arrives: a reader's copy keeps the sink it got alive, so unregistering never
// pulls a sink from under a running call. The lock is held only to copy or
// swap the pointer. (libstdc++ 12's std::atomic<std::shared_ptr> unlocks with
// relaxed order in load(), which ThreadSanitizer rightly reports.)
template <class Sink>
class SinkSlot {
public:
    // Any thread; null when none is registered.
    std::shared_ptr<Sink> get() const
    {
        std::lock_guard lock(m_mutex);
        return m_sink;
    }
    // Null unregisters. The old sink is released outside the lock.
    void set(std::shared_ptr<Sink> sink)
    {
        {
            std::lock_guard lock(m_mutex);
            m_sink.swap(sink);
        }
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<Sink> m_sink;
};

// Where MIDI input goes while a dialog captures it.
struct InputSinks {
    SinkSlot<IEventCaptureSink> eventCapture;
    SinkSlot<ITempoTapSink> tempoTap;
    SinkSlot<ILearnMidiSink> learn;
};

// What one system-exclusive message may hand a capture, F0 and F7 included:
// the input devices' own bound.
inline constexpr size_t kMaxSysExCaptureBytes = kMaxSysExInputBytes;

enum class CaptureVerdict : uint8_t {
    Pass,     // hand the piece on
    Overflow, // the message passed the bound: tell the capture it ended
    Drop,     // the rest of a message that passed the bound
};

// Counts the bytes of the message being captured, so that a capture never
// gets more than kMaxSysExCaptureBytes of one message. Input dispatch thread.
class SysExCaptureLimit {
public:
    // A piece that opens a message (F0 first) starts the count again.
    CaptureVerdict admit(std::span<const uint8_t> piece);

private:
    size_t m_bytes = 0;
    bool m_over = false;
};

} // namespace rz
