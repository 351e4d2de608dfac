#pragma once

#include "core/engine_timer.h"
#include "platform/midi_out_device.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace rz {

// System-exclusive input is handed on in pieces of at most this many bytes.
inline constexpr size_t kSysExPieceBytes = 1024;
// A system-exclusive message longer than this (F0 and F7 included) is
// abandoned with an error notice.
inline constexpr size_t kMaxSysExInputBytes = 64 * 1024;

enum class SysExInputError : uint8_t {
    Cut,     // a status byte other than F7 or real time arrived inside it
    TooLong, // it passed kMaxSysExInputBytes; the rest up to F7 is dropped
};

// Receives what an input device reads, on the device's dispatch thread (never
// a realtime thread). Calls come one at a time, in arrival order.
class IMidiInHandler {
public:
    virtual ~IMidiInHandler() = default;
    // A complete short message: status in bits 0-7, the data bytes in bits
    // 8-15 and 16-23, the rest 0.
    virtual void onShortMessage(uint32_t message, TickTime stamp) = 0;
    // The next piece of a system-exclusive message: F0 opens the first piece,
    // F7 ends the piece marked last. After an error notice the pieces so far
    // belong to no message.
    virtual void onSysExPiece(std::span<const uint8_t> bytes, bool last, TickTime stamp) = 0;
    virtual void onSysExError(SysExInputError error, TickTime stamp) = 0;
};

// One MIDI input device. Open, start, stop, reset and close belong to one
// thread at a time (the GUI thread in the program); the handler runs on the
// device's own dispatch thread.
class IMidiInDevice {
public:
    virtual ~IMidiInDevice() = default;

    // Closes first. Nothing reaches `handler` until start(). The handler must
    // outlive the open device.
    virtual bool open(IMidiInHandler* handler) = 0;
    // Starts handing input on; false when closed or gone.
    virtual bool start() = 0;
    // Input read while stopped is dropped. stop() then start() restarts.
    virtual void stop() = 0;
    // Drops input not yet handed on and any part of a system-exclusive message.
    virtual void reset() = 0;
    // On return no handler call runs or will run.
    virtual void close() = 0;
    // False once closed, and as soon as the device reports itself gone.
    virtual bool isOpen() const = 0;
    // Why the last open failed, in the library's words; empty when it gave
    // no reason.
    virtual std::string openError() const { return {}; }

    // Events lost because a buffer between the device and the handler was full.
    virtual uint64_t droppedCount() const = 0;

    virtual std::string displayName() const = 0;
    virtual MidiDeviceKind kind() const = 0;
};

} // namespace rz
