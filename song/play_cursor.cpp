// The play cursor of CTrack: reads the play image one event at a time.
// Runs on the engine's timer thread during play-out; never allocates.
#include <algorithm>

#include "core/byte_reader.h"
#include "song/track.h"

namespace rz {
namespace {

// The largest tick an event may have; kEndTick marks the end.
constexpr uint64_t kLastTick = 0x7FFFFFFE;

// Data bytes after the status byte of a channel message.
int channelDataBytes(uint8_t kind)
{
    const uint8_t high = kind & 0xF0;
    return high == 0xC0 || high == 0xD0 ? 1 : 2;
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
    if (point.readPosition >= playImage.size() || point.nextTick < 0 || point.nextTick == kEndTick)
        endReader();
}

bool CTrack::ReadNextEvent(RawEvent& out)
{
    if (nextTick == kEndTick)
        return false;
    ByteReader reader(playImage);
    if (!reader.seek(readPosition) || reader.atEnd()) {
        endReader();
        return false;
    }
    RawEvent event;
    event.tick = nextTick;
    if (!readEventBody(reader, event)) {
        endReader();
        return false;
    }
    // The image may end right after its last event when it has no end-of-track.
    if (reader.atEnd()) {
        out = event;
        endReader();
        return true;
    }
    const auto delta = reader.varLen();
    if (!delta) {
        endReader();
        return false;
    }
    out = event;
    const uint64_t tick = uint64_t(nextTick) + *delta;
    if (tick > kLastTick) {
        endReader();
        return true;
    }
    nextTick = int32_t(tick);
    readPosition = uint32_t(reader.position());
    return true;
}

// Reads the status (or running status), data bytes and data block of one
// event. False ends the track: a failed read, an unknown system byte, or the
// end-of-track meta event.
bool CTrack::readEventBody(ByteReader& reader, RawEvent& event)
{
    const uint8_t first = *reader.u8();
    if (first < 0x80) {
        if (runningStatus == 0)
            return false;
        event.kind = runningStatus;
        event.data1 = first;
    } else {
        event.kind = first;
        if (first < 0xF0) {
            runningStatus = first;
            const auto data1 = reader.u8();
            if (!data1)
                return false;
            event.data1 = *data1;
        }
    }
    if (event.kind < 0xF0) {
        if (channelDataBytes(event.kind) == 2) {
            const auto data2 = reader.u8();
            if (!data2)
                return false;
            event.data2 = *data2;
        }
        return true;
    }
    if (event.kind == 0xF0 || event.kind == 0xF7)
        return readSysex(reader, event);
    if (event.kind == 0xFF)
        return readMeta(reader, event);
    return false;
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
    const auto status = std::find_if(stated.begin(), stated.end(), [](uint8_t b) { return b >= 0x80; });
    const size_t statusIndex = size_t(status - stated.begin());
    if (status != stated.end() && *status == 0xF7 && statusIndex + 1 < *length) {
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
    if (!type || *type == 0x2F)
        return false;
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
