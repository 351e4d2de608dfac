#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rz {

class CSmpteTime;

// What became of a system-exclusive message handed to a port.
enum class SysExResult : uint8_t {
    Delivered,
    CachedOnly, // an instrument port: the caches took it, nothing was sent
    Empty,      // no bytes
    TooLarge,   // more than the device takes: refused whole, nothing cached
    TimedOut,
    Failed,     // the device is closed or gone, or refused the message
    Skipped,    // the port's semaphore timed out; nothing cached or sent
};

// What an open output port offers song code. The engine implements it; the
// channel-cache reads give what the song last sent on a channel.
class IMidiOut {
public:
    virtual ~IMidiOut() = default;

    // A short message; bits 24-31 may carry a tag (the track index while a song
    // plays, 0xFF for previews), which the port keeps with a sounding note and
    // never sends.
    virtual void SendShort(uint32_t taggedMessage) = 0;
    // A complete system-exclusive message, F0 ... F7.
    virtual SysExResult SendSysEx(const uint8_t* bytes, size_t length) = 0;
    // Bank (CC0 = bank / 128, CC32 = bank mod 128) when not negative, then the
    // program when not negative, on the channel of `channelMessage`; all notes
    // off first when asked.
    virtual void SendBankProgram(uint32_t channelMessage, int bank, int program,
                                 bool notesOff) = 0;
    // Keeps the CC7 value the song sent before volume scaling (0-127).
    virtual void setUnscaledVolume(int channel, int value) = 0;

    // Channel cache, channel 0-15; -1 when nothing was sent yet.
    virtual int program(int channel) const = 0;
    // 14-bit bank, -1 when none.
    virtual int bank(int channel) const = 0;
    virtual int controllerValue(int channel, int controller) const = 0;
    // The last CC7 the song sent on the channel before volume scaling.
    virtual int unscaledVolume(int channel) const = 0;
    // -1 when unset.
    virtual int channelPressure(int channel) const = 0;
    // 14 bits, 8192 centre; -1 when unset.
    virtual int pitchBend(int channel) const = 0;
    // RPN 0, 1, 2 or 5; -1 when unset or for any other number.
    virtual int rpnValue(int channel, int rpn) const = 0;

    // The sounding notes as sent, tags included; may allocate.
    virtual std::vector<uint32_t> heldNotes() = 0;
    // The same into a caller's buffer, at most `capacity` of them; returns
    // how many there are. Ports that can override it so locate never
    // allocates.
    virtual size_t copyHeldNotes(uint32_t* out, size_t capacity)
    {
        const std::vector<uint32_t> notes = heldNotes();
        std::copy_n(notes.begin(), std::min(capacity, notes.size()), out);
        return notes.size();
    }

    virtual void SendMtcFullFrame(const CSmpteTime& time) = 0;
};

} // namespace rz
