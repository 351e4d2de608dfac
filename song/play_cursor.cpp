// The play cursor of CTrack: reads the play image one event at a time.
// Runs on the engine's timer thread during play-out; never allocates.
#include <algorithm>

#include "core/byte_reader.h"
#include "core/midi_bytes.h"
#include "song/track.h"

namespace rz {
namespace {

// Data bytes after the status byte of a channel message.
int channelDataBytes(uint8_t kind)
{
    const uint8_t high = midi::statusOf(kind);
    return high == midi::kProgramChange || high == midi::kChannelPressure ? 1 : 2;
}

// System common and real-time messages: a song cannot hold them, so the
// cursor steps over them (with their data bytes) rather than ending there.
bool isSkippedSystemByte(uint8_t kind)
{
    return kind > midi::kSysEx && kind < midi::kMeta && kind != midi::kEndOfSysEx;
}

// A status byte where a data byte belongs. The message it sits in has no
// meaning, so it is stepped over; the byte is still taken as that data byte,
// as a writer that let a value overflow 7 bits put it there, so every event
// after it reads as before.
bool isMalformedChannelMessage(const RawEvent& event)
{
    return event.kind < midi::kSysEx && !midi::isDataByte(event.data1 | event.data2);
}

// Data bytes of a defined system common message; -1 for the undefined ones,
// whose data bytes are taken as far as they go.
int systemDataBytes(uint8_t kind)
{
    switch (kind) {
    case midi::kQuarterFrame:
    case midi::kSongSelect:
        return 1;
    case midi::kSongPosition:
        return 2;
    case midi::kUndefinedF4:
    case midi::kUndefinedF5:
    case midi::kTick:
    case midi::kUndefinedFD:
        return -1;
    default:
        return 0;
    }
}

// Steps over a system common or real-time message after its status byte.
// Common messages cancel running status, real-time ones leave it. An
// undefined message takes the data bytes that follow up to the last one
// before the next status byte, which is the next event's delta time.
bool skipSystemMessage(ByteReader& reader, std::span<const uint8_t> image, uint8_t kind,
                       uint8_t& runningStatus)
{
    if (kind < midi::kClock)
        runningStatus = 0;
    const int count = systemDataBytes(kind);
    if (count >= 0)
        return reader.skip(size_t(count));
    size_t end = reader.position();
    while (end + 1 < image.size() && midi::isDataByte(image[end]) && midi::isDataByte(image[end + 1]))
        ++end;
    return reader.seek(end);
}

} // namespace

void CTrack::endReader()
{
    nextTick = kEndTick;
    nextTime = kEndTime;
}

void CTrack::RewindReader()
{
    readPosition = 0;
    runningStatus = 0;
    metEndOfTrack = -1;
    pastLastTick = false;
    ByteReader reader(playImage);
    const auto delta = reader.varLen();
    if (!delta) {
        endReader();
        return;
    }
    nextTick = int32_t(*delta); // below 2^28
    readPosition = uint32_t(reader.position());
}

void CTrack::positionReader(const SeekPoint& point)
{
    readPosition = point.readPosition;
    runningStatus = point.runningStatus;
    nextTick = point.nextTick;
    metEndOfTrack = -1;
    pastLastTick = false;
    if (point.readPosition >= playImage.size() || point.nextTick < 0 || point.nextTick == kEndTick)
        endReader();
}

// The common case: a channel message followed by a delta time of one or two
// bytes, well inside the image. False, having read nothing, for anything
// else, which the full path below reads with all its checks.
bool CTrack::readChannelEventQuickly(RawEvent& out)
{
    constexpr size_t kLongest = 5; // status, two data bytes, a two-byte delta
    if (size_t(readPosition) + kLongest > playImage.size())
        return false;
    const uint8_t* p = playImage.data() + readPosition;
    size_t n = 0;
    uint8_t kind = runningStatus;
    if (midi::isStatusByte(p[0])) {
        if (p[0] >= midi::kSysEx)
            return false;
        kind = p[n++];
    } else if (kind == 0) {
        return false;
    }
    const uint8_t data1 = p[n++];
    const uint8_t data2 = channelDataBytes(kind) == 2 ? p[n++] : 0;
    if (!midi::isDataByte(data1 | data2))
        return false;
    uint32_t delta = p[n++];
    if (delta >= 0x80) { // a two-byte variable-length delta
        if (p[n] >= 0x80)
            return false;
        delta = (delta & 0x7F) << 7 | p[n++];
    }
    const uint64_t tick = uint64_t(nextTick) + delta;
    if (tick > kLastTick)
        return false;
    out = RawEvent{};
    out.tick = nextTick;
    out.kind = kind;
    out.data1 = data1;
    out.data2 = data2;
    runningStatus = kind;
    nextTick = int32_t(tick);
    readPosition += uint32_t(n);
    return true;
}

bool CTrack::ReadNextEvent(RawEvent& out)
{
    if (nextTick != kEndTick && !pastLastTick && readChannelEventQuickly(out))
        return true;
    for (;;) {
        if (nextTick == kEndTick)
            return false;
        ByteReader reader(playImage);
        if (!reader.seek(readPosition) || reader.atEnd()) {
            endReader();
            return false;
        }
        // Read in place: a copy of the event just written byte by byte would
        // wait on those stores. Callers ignore `out` when nothing is yielded.
        out = RawEvent{};
        out.tick = nextTick;
        if (!readEventBody(reader, out)) {
            endReader();
            return false;
        }
        const bool system = isSkippedSystemByte(out.kind);
        const bool malformed = isMalformedChannelMessage(out);
        skipped.system += system ? 1 : 0;
        skipped.malformed += malformed ? 1 : 0;
        const bool stepOver = system || malformed;
        skipped.moved += pastLastTick && !stepOver ? 1 : 0;
        // The image may end right after its last event when it has no end-of-track.
        if (reader.atEnd()) {
            endReader();
            return !stepOver;
        }
        // Bytes after a whole event that are no delta time end the chunk;
        // the event itself is kept.
        const auto delta = reader.varLen();
        if (!delta) {
            skipped.cutShort = 1;
            endReader();
            return !stepOver;
        }
        // Time past the last tick a song holds is cut, keeping the events.
        const uint64_t tick = uint64_t(nextTick) + *delta;
        pastLastTick = pastLastTick || tick > kLastTick;
        nextTick = int32_t(std::min<uint64_t>(tick, kLastTick));
        readPosition = uint32_t(reader.position());
        if (!stepOver)
            return true;
    }
}

// Reads the status (or running status), data bytes and data block of one
// event; a system common or real-time message is read past with its data.
// False ends the track: a failed read or the end-of-track meta event.
bool CTrack::readEventBody(ByteReader& reader, RawEvent& event)
{
    const uint8_t first = *reader.u8();
    if (midi::isDataByte(first)) {
        if (runningStatus == 0)
            return false;
        event.kind = runningStatus;
        event.data1 = first;
    } else {
        event.kind = first;
        if (first < midi::kSysEx) {
            runningStatus = first;
            const auto data1 = reader.u8();
            if (!data1)
                return false;
            event.data1 = *data1;
        }
    }
    if (event.kind < midi::kSysEx) {
        if (channelDataBytes(event.kind) == 2) {
            const auto data2 = reader.u8();
            if (!data2)
                return false;
            event.data2 = *data2;
        }
        return true;
    }
    if (event.kind == midi::kSysEx || event.kind == midi::kEndOfSysEx)
        return readSysex(reader, event);
    if (event.kind == midi::kMeta)
        return readMeta(reader, event);
    return skipSystemMessage(reader, playImage, event.kind, runningStatus);
}

// A system-exclusive block after its status byte: a length and that many
// bytes, or, for a block stored without a length, everything up to and
// including the F7 that closes it.
bool CTrack::readSysex(ByteReader& reader, RawEvent& event)
{
    const size_t blockStart = reader.position();
    const auto length = reader.varLen();
    if (!length)
        return false;
    const size_t dataStart = reader.position();
    const std::span<const uint8_t> image(playImage);
    const auto stated = image.subspan(dataStart, std::min<size_t>(*length, reader.remaining()));
    // Only an F7 before the stated end shows the length to be data: one
    // further on belongs to a following continuation packet.
    const auto status = std::find_if(stated.begin(), stated.end(), [](uint8_t b) { return midi::isStatusByte(b); });
    const size_t statusIndex = size_t(status - stated.begin());
    if (status != stated.end() && *status == midi::kEndOfSysEx && statusIndex + 1 < *length) {
        const size_t end = dataStart + statusIndex + 1;
        reader.seek(end);
        event.data = image.subspan(blockStart, end - blockStart);
        return true;
    }
    const auto data = reader.bytes(*length);
    if (!data)
        return false;
    event.data = *data;
    return true;
}

// A meta event after its status byte: type, length and data.
bool CTrack::readMeta(ByteReader& reader, RawEvent& event)
{
    const auto type = reader.u8();
    if (!type)
        return false;
    if (*type == midi::kMetaEndOfTrack) {
        metEndOfTrack = event.tick;
        return false;
    }
    event.data1 = *type;
    const auto length = reader.varLen();
    if (!length)
        return false;
    const auto data = reader.bytes(*length);
    if (!data)
        return false;
    event.data = *data;
    return true;
}

} // namespace rz
