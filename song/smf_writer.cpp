// Writing a song as a Standard MIDI File into memory: the header, the
// conductor chunk built from the maps and the meta tracks, the "@DO4_META"
// chunk and the user tracks' images. GUI thread.
#include "song/seek_point.h"
#include "song/smf_writer.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/midi_bytes.h"
#include "song/dr_meta_track.h"
#include "song/note_pairing.h"
#include "song/song_doc.h"
#include "song/track_encoder.h"

namespace rz {
namespace {

// Seek points of a meta track's image, in quarter notes.
// SMPTE hours run 0..23; the two bits above them carry the frame rate.
constexpr int kMaxSmpteHours = 23;

bool startsWith(std::span<const uint8_t> data, std::string_view prefix)
{
    return data.size() >= prefix.size()
           && std::equal(prefix.begin(), prefix.end(), data.begin(),
                         [](char a, uint8_t b) { return uint8_t(a) == b; });
}

// Names, clips, markers and records that belong to the program's own track
// model, not to the conductor. The port a track's header names is left out
// by the caller.
bool isTrackOwnMeta(uint8_t type, std::span<const uint8_t> data)
{
    switch (type) {
    case 0x03:
    case 0x07:
        return true;
    case 0x01:
        return startsWith(data, "@DR");
    case 0x7F:
        // Two bytes "dr" carry no record id: no reader takes them as a record.
        return data.size() > 2 && startsWith(data, "dr");
    default:
        return false;
    }
}

bool isTrackOwn(const RawEvent& event)
{
    return event.kind == midi::kMeta && isTrackOwnMeta(event.data1, event.data);
}

// Meta events of a meta track that the conductor's reader would turn into
// song texts, cues, maps or settings instead of events: the meta track's own
// chunk keeps them.
bool staysOnMetaTrack(const CMidiEvent& event)
{
    if (!event.isMeta())
        return false;
    switch (event.data1()) {
    case 0x01: case 0x02: case 0x06: case 0x51: case 0x54: case 0x58: case 0x59:
        return true;
    default:
        return isTrackOwnMeta(event.data1(), event.data.bytes());
    }
}

// Which events of a meta track its own chunk keeps: those above, and the
// meta events before them at their tick, since the conductor's events join
// the track after its own at one tick.
std::vector<bool> eventsOnMetaChunk(const CTrack& track)
{
    const std::vector<CMidiEvent>& events = track.events;
    std::vector<bool> own(events.size(), false);
    bool runOwn = false;
    for (size_t i = events.size(); i-- > 0;) {
        if (i + 1 == events.size() || events[i + 1].tick != events[i].tick)
            runOwn = false;
        own[i] = staysOnMetaTrack(events[i]) || (runOwn && events[i].isMeta());
        runOwn = runOwn || own[i];
    }
    return own;
}

uint8_t log2Of(int value)
{
    uint8_t power = 0;
    while (power < 7 && (1 << (power + 1)) <= value)
        ++power;
    return power;
}

void appendBigEndian(std::vector<uint8_t>& bytes, uint32_t value, int count)
{
    for (int shift = 8 * (count - 1); shift >= 0; shift -= 8)
        bytes.push_back(uint8_t(value >> shift));
}

// The conductor chunk ends no earlier than the tracks whose events it
// carries: the conductor as read, the meta tracks, in format 0 every track.
int32_t conductorEndOfTrack(const CSongDoc& song)
{
    int32_t end = 0;
    for (size_t i = 0; i + 1 < song.tracks.size(); ++i) {
        const CTrack& track = *song.tracks[i];
        if (i == 0 || song.format == 0 || track.type == kMetaTrack)
            end = std::max(end, track.endOfTrack);
    }
    return end;
}

// Builds the conductor chunk's events in time order.
class ConductorBuilder {
public:
    ConductorBuilder(const CSongDoc& song, CTrack& track) : m_song(song), m_track(track), m_reader(song) {}

    void build();

private:
    CMidiEvent& append(int32_t tick);
    void addMeta(int32_t tick, uint8_t type, std::span<const uint8_t> data);
    void addText(uint8_t type, const std::string& text) { addMeta(0, type, asBytes(text)); }
    void addSongTexts();
    void addSmpteOffset();
    void addMeter(const MeasureRec& measure);
    void addKey(const MeasureRec& measure);
    void addMeasureContents(int32_t end);
    void addTempo(const TempoEntry& entry);
    void addEvent(const RawEvent& raw);
    void addMarkers();
    void readNext() { m_hasNext = m_reader.NextConductorEvent(m_next); }

    static std::span<const uint8_t> asBytes(std::string_view text)
    {
        return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
    }

    const CSongDoc& m_song;
    CTrack& m_track;
    ConductorEventReader m_reader;
    RawEvent m_next;
    bool m_hasNext = false;
    size_t m_nextTempo = 0;
    int32_t m_lastTick = 0;
    bool m_meterWritten = false;
    std::array<uint8_t, 3> m_lastMeter{}; // numerator, denominator, clocks
    bool m_keyWritten = false;
    std::array<uint8_t, 2> m_lastKey{};   // key, mode
    bool m_tempoWritten = false;
    uint32_t m_lastTempo = 0;
    NotePairing m_sounding;
};

void ConductorBuilder::build()
{
    m_track.events.clear();
    addSongTexts();
    addSmpteOffset();
    readNext();
    const MeasureMap& map = m_song.measureMap;
    for (size_t i = 0; i < map.size(); ++i) {
        addMeter(map[i]);
        addKey(map[i]);
        // The last measure takes whatever lies beyond the map as well.
        addMeasureContents(i + 1 < map.size() ? map[i + 1].start : kEndTick);
    }
    if (map.empty())
        addMeasureContents(kEndTick);
    addMarkers();
    m_track.endOfTrack = conductorEndOfTrack(m_song);
    WriteTrackChunk(m_track, -1, TrackEncodeContext{});
}

// Events are appended in time order; a tick behind the last one (a map out
// of order) is written at the last one.
CMidiEvent& ConductorBuilder::append(int32_t tick)
{
    m_lastTick = std::max({m_lastTick, tick, 0});
    CMidiEvent& event = m_track.events.emplace_back();
    event.tick = m_lastTick;
    return event;
}

void ConductorBuilder::addMeta(int32_t tick, uint8_t type, std::span<const uint8_t> data)
{
    append(tick).SetMetaData(type, data);
}

// Title, subtitle, copyright, author and memo at tick 0. The reader takes
// the first text at tick 0 as the author, so a memo without an author
// follows an empty one.
void ConductorBuilder::addSongTexts()
{
    const CSongDoc& s = m_song;
    addText(0x03, s.title);
    if (!s.subtitle.empty())
        addText(0x03, s.subtitle);
    if (!s.copyright.empty())
        addText(0x02, s.copyright);
    if (!s.author.empty() || !s.memo.empty())
        addText(0x01, s.author);
    if (!s.memo.empty())
        addText(0x01, s.memo);
}

void ConductorBuilder::addSmpteOffset()
{
    CSmpteTime offset = m_song.smpteOffset;
    // The file's rate field has two bits: millisecond time goes as 30 fps.
    if (offset.rate() > kSmpteRate30)
        offset = CSmpteTime(offset.time(), kSmpteRate30);
    const int hours = std::clamp(offset.hours(), 0, kMaxSmpteHours);
    const std::array<uint8_t, 5> data = {
        uint8_t(hours | offset.rate() << 5), uint8_t(std::clamp(offset.minutes(), 0, 59)),
        uint8_t(std::clamp(offset.seconds(), 0, 59)), uint8_t(std::clamp(offset.frames(), 0, 29)),
        uint8_t(std::clamp(offset.subframes(), 0, 99))};
    addMeta(0, 0x54, data);
}

void ConductorBuilder::addMeter(const MeasureRec& m)
{
    const std::array<uint8_t, 3> meter = {m.numerator, m.denominator, m.clocksPerClick};
    if (m_meterWritten && meter == m_lastMeter)
        return;
    m_meterWritten = true;
    m_lastMeter = meter;
    const std::array<uint8_t, 4> data = {m.numerator, log2Of(m.denominator), m.clocksPerClick,
                                         m.thirtySeconds};
    addMeta(m.start, 0x58, data);
}

void ConductorBuilder::addKey(const MeasureRec& m)
{
    const std::array<uint8_t, 2> key = {uint8_t(m.key), m.mode};
    if (m_keyWritten && key == m_lastKey)
        return;
    m_keyWritten = true;
    m_lastKey = key;
    addMeta(m.start, 0x59, key);
}

// Tempo entries and conductor events before `end`; a tempo entry goes first
// only when it is strictly earlier.
void ConductorBuilder::addMeasureContents(int32_t end)
{
    const TempoMap& tempos = m_song.tempoMap;
    for (;;) {
        const bool tempoDue = m_nextTempo < tempos.size() && tempos[m_nextTempo].tick < end;
        const bool eventDue = m_hasNext && m_next.tick < end;
        if (tempoDue && (!eventDue || tempos[m_nextTempo].tick < m_next.tick)) {
            addTempo(tempos[m_nextTempo++]);
        } else if (eventDue) {
            addEvent(m_next);
            readNext();
        } else {
            return;
        }
    }
}

void ConductorBuilder::addTempo(const TempoEntry& entry)
{
    const uint32_t tempo = clampTempo(entry.tempo);
    if (m_tempoWritten && tempo == m_lastTempo)
        return;
    m_tempoWritten = true;
    m_lastTempo = tempo;
    std::vector<uint8_t> data;
    appendBigEndian(data, tempo, 3);
    addMeta(entry.tick, 0x51, data);
}

// A note-on of velocity 0 ends the oldest sounding note of its key and
// channel; the encoder writes the same note-offs back.
void ConductorBuilder::addEvent(const RawEvent& raw)
{
    if (raw.kind == midi::kMeta) {
        addMeta(raw.tick, raw.data1, raw.data);
        return;
    }
    if (raw.kind == midi::kSysEx || raw.kind == midi::kEndOfSysEx) {
        if (!raw.data.empty() || raw.kind == midi::kSysEx) {
            CMidiEvent& event = append(raw.tick);
            event.message = midi::kSysEx;
            event.SetData(raw.data, raw.kind == midi::kSysEx);
        }
        return;
    }
    const uint8_t high = midi::statusOf(raw.kind);
    const uint8_t channel = raw.kind & 0x0F;
    if (high == midi::kNoteOn && raw.data2 == 0) {
        const uint32_t index = m_sounding.take(channel, raw.data1);
        if (index != NotePairing::kNone)
            m_track.events[index].value2 = std::max(raw.tick - m_track.events[index].tick, 0);
        return;
    }
    if (high == midi::kNoteOn)
        m_sounding.add(channel, raw.data1, uint32_t(m_track.events.size()));
    CMidiEvent& event = append(raw.tick);
    event.message = uint32_t(raw.kind) | uint32_t(raw.data1) << 8 | uint32_t(raw.data2) << 16;
    // The image wrote the bank as controllers before the program.
    event.value2 = high == midi::kProgramChange ? -1 : 0;
}

// Marker cues at their ticks. A text at tick 0 would read back as the
// author and an empty text is stepped over, so there a format 0 file takes
// a marker event too.
void ConductorBuilder::addMarkers()
{
    for (const auto& cue : m_song.cues) {
        if (cue->kind != kCueMarker)
            continue;
        CMidiEvent event;
        event.tick = std::max(cue->time, 0);
        const uint8_t type = m_song.format == 0 && event.tick > 0 && !cue->name.empty() ? 0x01 : 0x06;
        event.SetMetaData(type, asBytes(cue->name));
        m_track.InsertEventSorted(event);
    }
}

bool appendChunk(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& body, size_t index,
                 std::string& reason)
{
    if (body.size() > UINT32_MAX) {
        reason = "track " + std::to_string(index) + " is larger than a track chunk can hold";
        return false;
    }
    bytes.insert(bytes.end(), {'M', 'T', 'r', 'k'});
    appendBigEndian(bytes, uint32_t(body.size()), 4);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return true;
}

void appendHeader(const CSongDoc& song, std::vector<uint8_t>& bytes)
{
    const uint16_t format = song.format == 0 ? 0 : 1;
    const size_t trackCount = format == 0 ? 1 : std::max<size_t>(song.tracks.size(), 2);
    bytes.insert(bytes.end(), {'M', 'T', 'h', 'd', 0, 0, 0, 6});
    appendBigEndian(bytes, format, 2);
    appendBigEndian(bytes, uint32_t(std::min<size_t>(trackCount, 0xFFFF)), 2);
    appendBigEndian(bytes, song.timeBase, 2);
}

// A meta track's chunk holds its name, port and settings marker, and the
// clips, texts and records of its own that the conductor leaves out, at
// their ticks: read back, they join the meta track again.
std::vector<uint8_t> metaTrackImage(const CSongDoc& song, const CTrack& track, size_t index)
{
    CTrack fresh;
    fresh.name = track.name;
    fresh.setColor(track.color);
    fresh.type = kMetaTrack;
    const std::vector<bool> own = eventsOnMetaChunk(track);
    for (size_t i = 0; i < track.events.size(); ++i) {
        if (own[i])
            fresh.events.push_back(track.events[i]);
    }
    TrackEncodeContext context;
    context.trackIndex = int(index);
    context.songFolder = song.songFolder;
    WriteTrackChunk(fresh, int32_t(song.timeBase) * kSeekQuarters, context);
    return std::move(fresh.playImage);
}

bool appendUserTracks(const CSongDoc& song, std::vector<uint8_t>& bytes, std::string& reason)
{
    for (size_t i = 1; i + 1 < song.tracks.size(); ++i) {
        const CTrack& track = *song.tracks[i];
        const bool ok = track.type == kMetaTrack
                            ? appendChunk(bytes, metaTrackImage(song, track, i), i, reason)
                            : appendChunk(bytes, track.playImage, i, reason);
        if (!ok)
            return false;
    }
    return true;
}

// A format 1 meta track's image without the events its own chunk keeps.
std::vector<uint8_t> conductorPartOf(const CTrack& track, size_t index)
{
    const std::vector<bool> own = eventsOnMetaChunk(track);
    if (std::find(own.begin(), own.end(), true) == own.end())
        return track.playImage;
    CTrack part = track;
    part.events.clear();
    for (size_t i = 0; i < track.events.size(); ++i) {
        if (!own[i])
            part.events.push_back(track.events[i]);
    }
    TrackEncodeContext context;
    context.trackIndex = int(index);
    WriteTrackChunk(part, 0, context);
    return std::move(part.playImage);
}

} // namespace

ConductorEventReader::ConductorEventReader(const CSongDoc& song)
{
    for (size_t i = 1; i + 1 < song.tracks.size(); ++i) {
        const CTrack& track = *song.tracks[i];
        if (song.format != 0 && track.type != kMetaTrack)
            continue;
        auto cursor = std::make_unique<CTrack>();
        cursor->playImage = song.format != 0 ? conductorPartOf(track, i) : track.playImage;
        cursor->RewindReader();
        m_cursors.push_back(std::move(cursor));
    }
    m_headerPortSeen.assign(m_cursors.size(), false);
}

bool ConductorEventReader::NextConductorEvent(RawEvent& event)
{
    for (;;) {
        size_t next = m_cursors.size();
        for (size_t i = 0; i < m_cursors.size(); ++i)
            if (m_cursors[i]->nextTick != kEndTick
                && (next == m_cursors.size() || m_cursors[i]->nextTick < m_cursors[next]->nextTick))
                next = i;
        if (next == m_cursors.size())
            return false;
        if (!m_cursors[next]->ReadNextEvent(event) || isTrackOwn(event))
            continue;
        // The header's port comes first at tick 0; other port events are
        // the conductor's.
        if (event.kind == midi::kMeta && event.data1 == midi::kMetaPort && event.tick == 0 && !m_headerPortSeen[next]) {
            m_headerPortSeen[next] = true;
            continue;
        }
        return true;
    }
}

void BuildConductorTrack(const CSongDoc& song, CTrack& track)
{
    ConductorBuilder(song, track).build();
}

bool BuildSongFile(const CSongDoc& song, std::vector<uint8_t>& bytes, std::string& reason)
{
    bytes.clear();
    appendHeader(song, bytes);
    CTrack conductor;
    BuildConductorTrack(song, conductor);
    if (!appendChunk(bytes, conductor.playImage, 0, reason))
        return false;
    if (song.format == 0)
        return true;
    CTrack markers;
    BuildDrMetaTrack(song, markers);
    return appendChunk(bytes, markers.playImage, 1, reason) && appendUserTracks(song, bytes, reason);
}

} // namespace rz
