// The container of a Standard MIDI File: the RIFF "RMID" wrapper, the header
// chunk and the track chunks. Reads only memory, through the byte reader.
#include "song/smf_header.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "core/byte_reader.h"
#include "song/track.h"

namespace rz {
namespace {

constexpr size_t kMinHeaderLength = 6;

std::string hexOffset(size_t offset)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%zX", offset);
    return text;
}

// The "data" chunk of a RIFF "RMID" form; the whole file when it is not one.
// Another RIFF form is read from the start and fails at the header.
bool midiBytesOf(std::span<const uint8_t> bytes, std::span<const uint8_t>& midi, std::string& reason)
{
    midi = bytes;
    ByteReader file(bytes);
    auto riff = file.riffChunk();
    if (!riff || !riff->idIs("RIFF"))
        return true;
    ByteReader& form = riff->body;
    const auto formType = form.bytes(4);
    if (!formType || std::string_view(reinterpret_cast<const char*>(formType->data()), 4) != "RMID")
        return true;
    while (!form.atEnd()) {
        auto chunk = form.riffChunk();
        if (!chunk)
            break;
        if (chunk->idIs("data")) {
            midi = bytes.subspan(chunk->body.offset(), chunk->body.size());
            return true;
        }
        if (chunk->body.size() % 2 == 1)
            form.skip(1);
    }
    reason = "the RMID file holds no MIDI data chunk";
    return false;
}

// How many bytes of its End of Track a chunk body cut short lacks, when
// the cut falls inside that End of Track and every event before it reads;
// 0 otherwise.
size_t missingEndOfTrackBytes(std::span<const uint8_t> body, uint32_t declared)
{
    const std::span<const uint8_t> end(kEndOfTrackBytes);
    for (size_t missing = 1; missing <= end.size(); ++missing) {
        const size_t present = end.size() - missing;
        if (size_t(declared) != body.size() + missing || body.size() < present
            || !std::equal(end.begin(), end.begin() + std::ptrdiff_t(present),
                           body.end() - std::ptrdiff_t(present)))
            continue;
        CTrack probe;
        probe.playImage.assign(body.begin(), body.end());
        probe.playImage.insert(probe.playImage.end(), end.begin() + std::ptrdiff_t(present), end.end());
        probe.RewindReader();
        RawEvent event;
        while (probe.ReadNextEvent(event)) {
        }
        if (probe.metEndOfTrack >= 0 && size_t(probe.readPosition) + end.size() == probe.playImage.size())
            return missing;
    }
    return 0;
}

// The last track chunk when it runs past the end of the file only inside
// its End of Track.
bool takeCutLastChunk(const ByteReader& file, std::span<const uint8_t> midi, size_t base,
                      SmfLayout& layout)
{
    ByteReader probe = file;
    const auto id = probe.bytes(4);
    const auto declared = probe.u32be();
    if (!id || !declared || std::string_view(reinterpret_cast<const char*>(id->data()), 4) != "MTrk")
        return false;
    const std::span<const uint8_t> body = midi.subspan(probe.offset() - base);
    layout.missingEndBytes = missingEndOfTrackBytes(body, *declared);
    if (layout.missingEndBytes == 0)
        return false;
    layout.trackChunks.push_back(body);
    return true;
}

} // namespace

bool parseSmfLayout(std::span<const uint8_t> bytes, SmfLayout& layout, std::string& reason)
{
    std::span<const uint8_t> midi;
    if (!midiBytesOf(bytes, midi, reason))
        return false;
    const size_t base = size_t(midi.data() - bytes.data());
    ByteReader file(midi, base);
    auto header = file.smfChunk();
    if (!header || !header->idIs("MThd") || header->body.size() < kMinHeaderLength) {
        reason = "not a Standard MIDI File";
        return false;
    }
    layout.format = *header->body.u16be();
    const uint16_t declared = *header->body.u16be();
    layout.division = *header->body.u16be();
    layout.trackChunks.clear();
    while (layout.trackChunks.size() < declared) {
        if (file.atEnd()) {
            reason = "the file holds " + std::to_string(layout.trackChunks.size())
                     + " of the " + std::to_string(declared) + " tracks its header names";
            return false;
        }
        const size_t at = file.offset();
        auto chunk = file.smfChunk();
        if (!chunk) {
            const size_t index = layout.trackChunks.size() + 1;
            if (index == declared && takeCutLastChunk(file, midi, base, layout))
                return true;
            reason = file.remaining() < 8 ? "track " + std::to_string(index) + " is cut off (chunk at "
                                                + hexOffset(at) + ")"
                                          : "track " + std::to_string(index)
                                                + " is shorter than its length (chunk at "
                                                + hexOffset(at) + ")";
            return false;
        }
        if (chunk->idIs("MTrk"))
            layout.trackChunks.push_back(midi.subspan(chunk->body.offset() - base, chunk->body.size()));
    }
    return true;
}

bool timingFromDivision(uint16_t division, SongTiming& timing, std::string& reason)
{
    timing = SongTiming{};
    if ((division & 0x8000) == 0) {
        if (division == 0) {
            reason = "the time base is 0 ticks per quarter note";
            return false;
        }
        timing.timeBase = division;
        return true;
    }
    const int frames = -int(int8_t(division >> 8));
    const int ticksPerFrame = division & 0xFF;
    if ((frames != 24 && frames != 25 && frames != 29 && frames != 30) || ticksPerFrame == 0) {
        reason = "unknown time-code division 0x" + hexOffset(division).substr(2);
        return false;
    }
    // 29.97 frames a second: 30 frames in 1.001 s.
    timing.timeBase = uint16_t((frames == 29 ? 30 : frames) * ticksPerFrame);
    timing.fixedTempo = frames == 29 ? 1001000u : 1000000u;
    return true;
}

} // namespace rz
