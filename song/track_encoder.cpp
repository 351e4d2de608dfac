// The track chunk encoder: turns a track's events and settings into the play
// image that play-out reads, the writer copies and the reader decodes.
#include "song/track_encoder.h"

#include <algorithm>
#include <cassert>
#include <iterator>

#include "core/byte_reader.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "song/dr_meta_track.h"
#include "song/image_writer.h"
#include "song/smf_header.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song/track_ports.h"

namespace rz {

void WriteVarLen(std::vector<uint8_t>& bytes, uint32_t value)
{
    if (value < 0x80) { // most deltas: one byte of a variable-length number
        bytes.push_back(uint8_t(value));
        return;
    }
    value = std::min(value, kMaxVarLen);
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count-- > 0)
        bytes.push_back(uint8_t(groups[count] | (count > 0 ? 0x80 : 0)));
}

void WriteMetaHeader(std::vector<uint8_t>& bytes, uint8_t type)
{
    bytes.push_back(midi::kMeta);
    bytes.push_back(type);
}

void WriteMetaString(std::vector<uint8_t>& bytes, std::string_view text)
{
    appendBlock(bytes, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

namespace {

// A delta longer than a variable-length quantity holds is written as
// several, each but the last followed by an empty text event, which every
// reader steps over. True when it wrote one, which ends running status.
bool writeLongDelta(std::vector<uint8_t>& bytes, uint32_t delta)
{
    const bool split = delta > kMaxVarLen;
    for (; delta > kMaxVarLen; delta -= kMaxVarLen) {
        WriteVarLen(bytes, kMaxVarLen);
        WriteMetaHeader(bytes, 0x01);
        bytes.push_back(0);
    }
    WriteVarLen(bytes, delta);
    return split;
}

// A pending note-off: the note's end tick, which note-on it ends, and the
// order it was added in (of two at one tick, the one added last ends first).
struct PendingOff {
    int32_t offTick = 0;
    uint32_t serial = 0;
    uint32_t eventIndex = 0;
    uint32_t noteOn = 0; // as written: status | key << 8 | velocity << 16
};

// Heap order: the top is the smallest off tick, then the largest serial. A
// function object, so the heap operations inline it.
struct EndsLater {
    bool operator()(const PendingOff& a, const PendingOff& b) const
    {
        return a.offTick != b.offTick ? a.offTick > b.offTick : a.serial < b.serial;
    }
};
constexpr EndsLater endsLater;

// Ticks stay within what the play cursor accepts (kLastTick).
int32_t clampTick(int64_t tick)
{
    return int32_t(std::clamp<int64_t>(tick, 0, kLastTick));
}

// The key folded by octaves into 0..127, and the velocity limited to 1..127,
// after the track's offsets; sets clip bits 0 and 1 when it had to.
uint32_t applyOffsets(uint32_t message, const CTrack& track, uint32_t& clipFlags)
{
    const uint8_t kind = message & 0xFF;
    if (kind < midi::kNoteOff || kind >= midi::kControlChange)
        return message;
    if (track.key == 0 && track.velocityOffset == 0)
        return message & 0x7F7FFF; // the 7-bit key and velocity as they are
    // 64-bit: offsets read from a file may be anything.
    int64_t key = int64_t((message >> 8) & 0x7F) + track.key;
    if (key < 0) {
        key += 12 * ((11 - key) / 12);
        clipFlags |= 1;
    } else if (key > 127) {
        key -= 12 * ((key - 116) / 12);
        clipFlags |= 1;
    }
    int64_t velocity = int64_t((message >> 16) & 0x7F);
    if (kind < midi::kPolyPressure && velocity != 0) {
        velocity += track.velocityOffset;
        if (velocity < 1 || velocity > 127) {
            velocity = std::clamp<int64_t>(velocity, 1, 127);
            clipFlags |= 2;
        }
    }
    return kind | uint32_t(key) << 8 | uint32_t(velocity) << 16;
}

// Channel messages, RPNs, NRPNs, system exclusive and meta events. Other kind
// bytes would end the track where the cursor meets them, and so would an end
// of track among the events.
bool imageCanHold(const CMidiEvent& event)
{
    const uint8_t kind = event.kind();
    if (kind == midi::kMeta)
        return event.data1() != 0x2F;
    return (kind >= 0x10 && kind < 0x30) || midi::isChannelStatus(kind) || kind == midi::kSysEx
           || kind == midi::kEndOfSysEx;
}

// Encodes one track into its play image.
class ChunkEncoder {
public:
    ChunkEncoder(CTrack& track, int32_t interval, const TrackEncodeContext& context)
        : m_track(track), m_context(context), m_interval(interval),
          m_userTrack(interval >= 0),
          m_forceChannel(interval >= 0 && track.type != kMetaTrack),
          m_patchPoints(interval >= 0 && track.type != kMetaTrack && hasSettingsToWrite(track)),
          m_writer{track.playImage, m_chaseMessages, m_chaseTicks, m_runningStatus,
                   m_selectedParameter, &m_selections, context.selectEveryDataEntry}
    {
    }

    void encode();

private:
    int32_t eventTick(size_t index) const
    {
        return std::max(m_track.events[index].tick, m_context.firstEventTick);
    }
    uint8_t channelOf(uint32_t message) const
    {
        return m_forceChannel ? uint8_t(m_track.channel & 0x0F) : uint8_t(message & 0x0F);
    }

    void writeHeader();
    void writeItems();
    void writeSettingsMarker();
    // A tick after the last item, unless that is the last tick a song holds.
    int32_t markerTick() const { return m_lastTick < kLastTick ? m_lastTick + 1 : m_lastTick; }
    void writeDuePatchPoints(int32_t tick);
    void beginItem(int32_t tick);
    // One point resumes at the item for every stretch its delta reaches.
    void addSeekPoint(int32_t tick, size_t stretches = 1);
    void pushPending(const PendingOff& off);
    void writeNoteOff();
    void writeEvent(size_t index);
    void writeNote(const CMidiEvent& event, size_t index, int32_t tick);
    void writeChannelEvent(const CMidiEvent& event, int32_t tick);
    void writeSystemEvent(const CMidiEvent& event);

    CTrack& m_track;
    const TrackEncodeContext& m_context;
    const int32_t m_interval;
    const bool m_userTrack;
    const bool m_forceChannel;
    const bool m_patchPoints; // the settings are written at the patch-change points

    uint8_t m_runningStatus = 0;
    uint32_t m_selectedParameter = kNoSelectedParameter;
    std::vector<uint32_t> m_chaseMessages;
    std::vector<int32_t> m_chaseTicks;
    ChannelSelections m_selections;
    ImageWriter m_writer;

    std::vector<PendingOff> m_pending; // a heap under endsLater
    uint32_t m_serial = 0;
    int32_t m_lastTick = 0;
    int64_t m_nextSeekTick = 0;
    size_t m_nextPatchPoint = 0;
};

void ChunkEncoder::encode()
{
    CTrack& track = m_track;
    if (m_context.song != nullptr) {
        const SongContext& song = *m_context.song;
        LookupPortSynth(track, song.profile, song.engine, song.synths);
    }
    track.seekPoints.clear();
    if (m_interval > 0 && !track.events.empty()) {
        // One point per stretch up to the last event, at most one per item.
        const size_t stretches = size_t(std::max(track.events.back().tick, 0) / m_interval) + 2;
        track.seekPoints.reserve(std::min(stretches, 2 * track.events.size() + 2));
    }
    track.playImage.clear();
    track.endTick = 0;
    track.clipFlags = 0;
    track.flags |= kTrackImageHasOffsets;

    if (m_userTrack)
        writeHeader();
    writeItems();
    if (m_userTrack) {
        writeDuePatchPoints(kEndTick);
        if (m_interval > 0)
            addSeekPoint(kEndTick);
        writeSettingsMarker();
    }
    // End of track, keeping the time the track lasts after its last event.
    const int32_t imageTick = m_userTrack ? markerTick() : m_lastTick;
    writeLongDelta(m_writer.bytes, uint32_t(std::max(track.endOfTrack - imageTick, 0)));
    m_writer.bytes.insert(m_writer.bytes.end(), std::begin(kEndOfTrackBytes), std::end(kEndOfTrackBytes));
    track.endTick = std::max(track.endTick, track.endOfTrack);
}

void ChunkEncoder::writeHeader()
{
    std::vector<uint8_t>& image = m_writer.bytes;
    image.push_back(0);
    WriteMetaHeader(image, 0x03);
    WriteMetaString(image, m_track.name);
    image.push_back(0);
    WriteMetaHeader(image, 0x21);
    image.push_back(1);
    image.push_back(uint8_t(std::clamp(m_track.port, 0, 0x7F)));
}

// The events merged with their pending note-offs: at one tick the note-offs
// come first.
void ChunkEncoder::writeItems()
{
    const size_t count = m_track.events.size();
    size_t next = 0;
    while (next < count || !m_pending.empty()) {
        const bool noteOff =
            !m_pending.empty() && (next == count || m_pending.front().offTick <= eventTick(next));
        const int32_t tick = noteOff ? m_pending.front().offTick : eventTick(next);
        writeDuePatchPoints(tick);
        if (noteOff)
            writeNoteOff();
        else
            writeEvent(next++);
    }
}

void ChunkEncoder::writeSettingsMarker()
{
    const CTrack& track = m_track;
    const int32_t playEnabled = m_context.soloActive ? track.savedPlayEnabled : track.playEnabled;
    std::vector<uint8_t>& image = m_writer.bytes;
    image.push_back(uint8_t(markerTick() - m_lastTick));
    WriteMetaHeader(image, 0x01);
    WriteMetaString(image, trackSettingsMarker(track, playEnabled));
}

// The initial settings again at each patch-change point up to the tick.
void ChunkEncoder::writeDuePatchPoints(int32_t tick)
{
    const std::vector<int32_t>& points = m_track.patchChangePoints;
    while (m_patchPoints && m_nextPatchPoint < points.size() && points[m_nextPatchPoint] <= tick) {
        const int32_t point = points[m_nextPatchPoint++];
        beginItem(point);
        writeInitialSettings(m_track, m_writer, point);
    }
}

// Writes the delta to the item's tick and makes the seek points that tick
// reaches: each resumes right at the item.
void ChunkEncoder::beginItem(int32_t tick)
{
    if (tick < m_lastTick) {
        assert(!"negative delta: events out of order or a negative note length");
        tick = m_lastTick;
    }
    const uint32_t delta = uint32_t(tick - m_lastTick);
    if (delta < 0x80) // most items: no call
        m_writer.bytes.push_back(uint8_t(delta));
    else if (writeLongDelta(m_writer.bytes, delta))
        m_runningStatus = 0;
    m_lastTick = tick;
    m_track.endTick = std::max(m_track.endTick, tick);
    if (m_interval <= 0)
        return;
    if (m_nextSeekTick <= tick) {
        const int64_t reached = (tick - m_nextSeekTick) / m_interval + 1;
        addSeekPoint(tick, size_t(reached));
        m_nextSeekTick += reached * m_interval;
    }
}

void ChunkEncoder::addSeekPoint(int32_t tick, size_t stretches)
{
    SeekPoint point;
    point.readPosition = uint32_t(m_writer.bytes.size());
    point.nextTick = tick;
    point.runningStatus = m_runningStatus;
    std::vector<const PendingOff*> sounding;
    sounding.reserve(m_pending.size());
    for (const PendingOff& off : m_pending) {
        if ((off.noteOn >> 16) != 0) // a velocity-0 note-on sounds nothing
            sounding.push_back(&off);
    }
    std::sort(sounding.begin(), sounding.end(),
              [](const PendingOff* a, const PendingOff* b) { return a->eventIndex < b->eventIndex; });
    const uint32_t tag = uint32_t(m_context.trackIndex & 0xFF) << 24;
    for (const PendingOff* off : sounding) {
        point.soundingNotes.push_back(off->noteOn | tag);
        point.soundingNoteIndices.push_back(off->eventIndex);
    }
    point.chaseMessages = m_chaseMessages;
    point.chaseTicks = m_chaseTicks;
    point.selections = m_selections;
    m_track.seekPoints.append(std::move(point), stretches);
}

// std::push_heap, written out: it would read the new entry back at once,
// which stalls on the stores that just wrote it.
void ChunkEncoder::pushPending(const PendingOff& off)
{
    size_t hole = m_pending.size();
    m_pending.emplace_back();
    while (hole > 0) {
        const size_t parent = (hole - 1) / 2;
        if (!endsLater(m_pending[parent], off))
            break;
        m_pending[hole] = m_pending[parent];
        hole = parent;
    }
    m_pending[hole] = off;
}

void ChunkEncoder::writeNoteOff()
{
    // A seek point made here still counts the note as sounding.
    beginItem(m_pending.front().offTick);
    std::pop_heap(m_pending.begin(), m_pending.end(), endsLater);
    const PendingOff off = m_pending.back();
    m_pending.pop_back();
    m_writer.channelMessage(uint8_t(off.noteOn & 0xFF), uint8_t(off.noteOn >> 8), 0);
}

void ChunkEncoder::writeEvent(size_t index)
{
    const CMidiEvent& event = m_track.events[index];
    if (!imageCanHold(event))
        return;
    const uint8_t kind = event.kind();
    const int32_t tick = eventTick(index);
    beginItem(tick);
    // A stray velocity-0 note-off is kept as a note of its own, so it gets
    // its note-off too: without one, reading the file again would end it at
    // the next note-off of its key, which its duration says ended another.
    if (midi::isNote(kind))
        writeNote(event, index, tick);
    else if (kind < midi::kSysEx)
        writeChannelEvent(event, tick);
    else
        writeSystemEvent(event);
}

void ChunkEncoder::writeNote(const CMidiEvent& event, size_t index, int32_t tick)
{
    const uint32_t message = applyOffsets(event.message, m_track, m_track.clipFlags);
    const uint8_t status = midi::onChannel(midi::statusOf(message), channelOf(message));
    const uint8_t key = uint8_t(message >> 8);
    const uint8_t velocity = uint8_t(message >> 16);
    m_writer.channelMessage(status, key, velocity);
    const int32_t offTick = clampTick(int64_t(tick) + event.value2);
    pushPending({offTick, m_serial++, uint32_t(index),
                 status | uint32_t(key) << 8 | uint32_t(velocity) << 16});
    if (velocity != 0 && (event.spelling != kNoSpelling || event.notation != 0)) {
        m_writer.bytes.push_back(0);
        WriteMetaHeader(m_writer.bytes, 0x7F);
        m_writer.bytes.insert(m_writer.bytes.end(),
                              {0x05, 'd', 'r', 0x00, key,
                               noteAttributeByte(event.notation, event.spelling)});
        m_runningStatus = 0;
    }
}

void ChunkEncoder::writeChannelEvent(const CMidiEvent& event, int32_t tick)
{
    const uint32_t message = applyOffsets(event.message, m_track, m_track.clipFlags);
    const uint8_t channel = channelOf(message);
    const uint8_t data1 = uint8_t((message >> 8) & 0x7F);
    const uint8_t data2 = uint8_t((message >> 16) & 0x7F);
    switch (midi::statusOf(message)) {
    case 0x10:
        m_writer.rpn(channel, data1, (message >> 16) & 0x3FFF, tick);
        break;
    case 0x20:
        m_writer.nrpn(channel, (message >> 8) & 0x3FFF, event.value2, tick);
        break;
    case midi::kControlChange:
        m_writer.controller(channel, data1, data2, tick);
        break;
    case midi::kProgramChange:
        m_writer.program(channel, data1, event.value2, tick);
        break;
    case midi::kChannelPressure:
        m_writer.channelMessage(uint8_t(midi::kChannelPressure | channel), data1);
        m_writer.chase(midi::kChannelPressure | channel | uint32_t(data1) << 8, 0xFF, tick);
        break;
    case midi::kPitchBend:
        m_writer.channelMessage(uint8_t(midi::kPitchBend | channel), data1, data2);
        m_writer.chase(midi::kPitchBend | channel | uint32_t(data1) << 8 | uint32_t(data2) << 16, 0xFF, tick);
        break;
    default: // note-off, key pressure
        m_writer.channelMessage(midi::onChannel(midi::statusOf(message), channel), data1, data2);
        break;
    }
}

// F0, data bytes and at most a closing F7: a message, or the first packet of
// one, that an F0 block holds. Any other status byte inside would end the
// block early when it is read back, so such data goes into an F7 escape
// packet, which is read whole.
bool isSingleSysexMessage(std::span<const uint8_t> data)
{
    if (data.empty() || data[0] != midi::kSysEx)
        return false;
    const auto body = data.subspan(1, data.size() - 1 - (data.back() == midi::kEndOfSysEx && data.size() > 1));
    return std::none_of(body.begin(), body.end(), [](uint8_t b) { return midi::isStatusByte(b); });
}

// The play cursor takes an F7 block's stated length only when the first
// status byte in its data is not an F7 before the data's end: such an F7
// marks a block stored without a length, which runs up to it.
bool readsWholeWithLength(std::span<const uint8_t> data)
{
    const auto status = std::find_if(data.begin(), data.end(), [](uint8_t b) { return midi::isStatusByte(b); });
    return status == data.end() || *status != midi::kEndOfSysEx || status + 1 == data.end();
}

// Data the cursor read from a block stored without a length: its first bytes
// read as a length, and the first status byte after them is the F7 that
// ends the data, before that length runs out. Written back as it stood, it
// reads the same again.
bool readsWholeWithoutLength(std::span<const uint8_t> data)
{
    ByteReader reader(data);
    const auto length = reader.varLen();
    if (!length || reader.atEnd())
        return false;
    const auto rest = data.subspan(reader.position());
    const auto status = std::find_if(rest.begin(), rest.end(), [](uint8_t b) { return midi::isStatusByte(b); });
    return status + 1 == rest.end() && *status == midi::kEndOfSysEx && rest.size() < *length;
}

// F7 packets that send the data's bytes in order and each read back whole:
// a packet ends at an F7 that would otherwise cut it short.
void writeEscapePackets(std::vector<uint8_t>& image, std::span<const uint8_t> data)
{
    bool first = true;
    while (first || !data.empty()) {
        const auto status = std::find_if(data.begin(), data.end(), [](uint8_t b) { return midi::isStatusByte(b); });
        const size_t length =
            status != data.end() && *status == midi::kEndOfSysEx ? size_t(status - data.begin()) + 1 : data.size();
        if (!first)
            image.push_back(0); // the delta of the next packet
        image.push_back(midi::kEndOfSysEx);
        appendBlock(image, data.first(length));
        data = data.subspan(length);
        first = false;
    }
}

void ChunkEncoder::writeSystemEvent(const CMidiEvent& event)
{
    std::vector<uint8_t>& image = m_writer.bytes;
    m_runningStatus = 0;
    const std::span<const uint8_t> data = event.data.bytes();
    if (event.kind() == midi::kMeta) {
        WriteMetaHeader(image, event.data1());
        if (event.message == kAudioClipMessage && event.clip() != nullptr)
            WriteMetaString(image, clipText(*event.clip(), m_context.songFolder));
        else
            appendBlock(image, data);
        return;
    }
    if (isSingleSysexMessage(data)) {
        image.push_back(midi::kSysEx);
        appendBlock(image, data.subspan(1));
    } else if (readsWholeWithLength(data)) {
        image.push_back(midi::kEndOfSysEx);
        appendBlock(image, data);
    } else if (readsWholeWithoutLength(data)) {
        image.push_back(midi::kEndOfSysEx);
        image.insert(image.end(), data.begin(), data.end());
    } else {
        writeEscapePackets(image, data);
    }
}

} // namespace

bool hasSettingsToWrite(const CTrack& track)
{
    return track.HasInitialSettings()
           || (track.destController >= 0
               && std::any_of(track.controllerDest.begin(), track.controllerDest.end(),
                              [](int32_t v) { return v >= 0; }));
}

void WriteTrackChunk(CTrack& track, int32_t interval, const TrackEncodeContext& context)
{
    ChunkEncoder(track, interval, context).encode();
}

void EncodeInitialSettings(CTrack& track, int32_t tick, std::vector<uint32_t>& chaseMessages,
                           std::vector<int32_t>& chaseTicks, uint8_t& runningStatus,
                           uint32_t& selectedParameter)
{
    ImageWriter writer{track.playImage, chaseMessages, chaseTicks, runningStatus,
                       selectedParameter};
    writeInitialSettings(track, writer, tick);
}

} // namespace rz
