// The tempo and measure maps, song texts and cues read from the conductor
// track, and the change of time base. GUI thread.
#include "song/build_maps.h"

#include <algorithm>
#include <string_view>

#include "core/file_names.h"
#include "core/midi_bytes.h"
#include "core/muldiv.h"
#include "core/profile.h"
#include "core/settings.h"
#include "song/note_pairing.h"
#include "song/play_images.h"
#include "song/song_doc.h"
#include "song/text_markers.h"

namespace rz {

namespace {

std::string_view textOf(std::span<const uint8_t> data, size_t limit = SIZE_MAX)
{
    return {reinterpret_cast<const char*>(data.data()), std::min(data.size(), limit)};
}

// Measures needed to cover `until` from measure `from` of `length` ticks.
int64_t measuresBetween(int32_t from, int32_t length, int64_t until)
{
    if (until <= from)
        return 0;
    return (until - from + std::max(length, 1) - 1) / std::max(length, 1);
}

class ConductorReader {
public:
    ConductorReader(CSongDoc& song, const BuildMapsOptions& options)
        : m_song(song), m_options(options), m_track(*song.tracks.front())
    {
    }

    bool read(std::string& reason);

private:
    void start();
    void handle(const RawEvent& raw);
    void channelMessage(const RawEvent& raw);
    void endNote(uint32_t index, int32_t tick);
    void endUnendedNotes();
    void sysex(const RawEvent& raw);
    void meta(const RawEvent& raw);
    void text(const RawEvent& raw);
    void trackName(std::string_view name);
    void marker(const RawEvent& raw);
    void tempo(const RawEvent& raw);
    void smpteOffset(std::span<const uint8_t> d);
    void timeSignature(const RawEvent& raw);
    void keySignature(const RawEvent& raw);
    void placeMeasure(int32_t tick);
    void settingsRecord(const RawEvent& raw);
    CMidiEvent& store(uint32_t message, int32_t tick, int32_t value2 = 0);
    bool fillMeasures();
    bool applyLabels();

    CSongDoc& m_song;
    const BuildMapsOptions& m_options;
    CTrack& m_track;
    MeasureRec m_meter; // current time signature and key
    bool m_authorRead = false;
    bool m_songNamed = false;
    std::vector<std::string> m_labels;
    NotePairing m_sounding;
};

bool ConductorReader::read(std::string& reason)
{
    start();
    m_track.RewindReader();
    RawEvent raw;
    while (m_track.ReadNextEvent(raw))
        handle(raw);
    if (m_track.metEndOfTrack > m_track.endTick)
        m_track.endOfTrack = m_track.endTick = m_track.metEndOfTrack;
    endUnendedNotes();
    m_track.RewindReader();
    m_song.RecalcTempoTimes();
    if (!fillMeasures() || !applyLabels()) {
        reason = "the song needs more than " + std::to_string(kMaxSongMeasures) + " measures";
        return false;
    }
    for (MeasureRec& m : m_song.measureMap) {
        if (m.thirtySeconds == 0)
            m.thirtySeconds = 8;
        if (m.clocksPerClick == 0)
            m.clocksPerClick = 24;
    }
    return true;
}

void ConductorReader::start()
{
    m_song.subtitle.clear();
    m_track.name.clear();
    m_track.events.clear();
    m_track.endTick = 0;
    m_track.endOfTrack = 0;
    m_track.skipped = {};
    m_meter = MeasureRec{};
    m_meter.Set(0, measureLength(m_song.timeBase, 4, 4));
    m_meter.setMeter(4, 2);
    m_song.measureMap.assign(1, m_meter);
    TempoEntry entry;
    entry.setTempo(m_options.fixedTempo.value_or(kDefaultTempo));
    m_song.tempoMap.assign(1, entry);
}

void ConductorReader::handle(const RawEvent& raw)
{
    m_track.endTick = std::max(m_track.endTick, raw.tick);
    if (raw.kind == midi::kMeta)
        meta(raw);
    else if (raw.kind == midi::kSysEx || raw.kind == midi::kEndOfSysEx)
        sysex(raw);
    else
        channelMessage(raw);
}

CMidiEvent& ConductorReader::store(uint32_t message, int32_t tick, int32_t value2)
{
    CMidiEvent& event = m_track.events.emplace_back();
    event.message = message;
    event.tick = tick;
    event.value2 = value2;
    return event;
}

void ConductorReader::channelMessage(const RawEvent& raw)
{
    const uint32_t message = uint32_t(raw.kind) | uint32_t(raw.data1) << 8 | uint32_t(raw.data2) << 16;
    const uint8_t high = midi::statusOf(raw.kind);
    const uint8_t channel = raw.kind & 0x0F;
    if (high == midi::kNoteOn && raw.data2 != 0) {
        m_sounding.add(channel, raw.data1, uint32_t(m_track.events.size()));
        store(message, raw.tick);
    } else if (high == midi::kNoteOff || high == midi::kNoteOn) {
        const uint32_t index = m_sounding.take(channel, raw.data1);
        if (index != NotePairing::kNone)
            endNote(index, raw.tick);
    } else {
        if (high == midi::kControlChange && (raw.data1 == cc::kAllSoundOff || raw.data1 == cc::kAllNotesOff))
            m_sounding.silence(channel, [&](uint32_t index) { endNote(index, raw.tick); });
        store(message, raw.tick, high == midi::kProgramChange ? -1 : 0);
    }
}

void ConductorReader::endNote(uint32_t index, int32_t tick)
{
    m_track.events[index].value2 = tick - m_track.events[index].tick;
}

// Notes the chunk never ends sound to its End of Track.
void ConductorReader::endUnendedNotes()
{
    const int32_t end = m_track.metEndOfTrack >= 0 ? m_track.metEndOfTrack : m_track.endTick;
    m_sounding.endSounding([&](uint32_t index) { endNote(index, end); });
}

void ConductorReader::sysex(const RawEvent& raw)
{
    if (raw.kind == midi::kEndOfSysEx && raw.data.empty())
        return;
    store(midi::kSysEx, raw.tick).SetData(raw.data, raw.kind == midi::kSysEx);
}

void ConductorReader::meta(const RawEvent& raw)
{
    switch (raw.data1) {
    case 0x01: text(raw); return;
    case 0x02: m_song.copyright.assign(textOf(raw.data, kMaxNameBytes)); return;
    case 0x03: trackName(textOf(raw.data, kMaxNameBytes)); return;
    case 0x06:
    case 0x07: marker(raw); return;
    case 0x51: tempo(raw); return;
    case 0x54: smpteOffset(raw.data); return;
    case 0x58: timeSignature(raw); return;
    case 0x59: keySignature(raw); return;
    case 0x7F:
        if (raw.data.size() >= 3 && raw.data[0] == 'd' && raw.data[1] == 'r') {
            settingsRecord(raw);
            return;
        }
        break;
    default: break;
    }
    store(midi::kMeta | uint32_t(raw.data1) << 8, raw.tick).SetData(raw.data);
}

void ConductorReader::text(const RawEvent& raw)
{
    if (!m_options.rss && raw.tick == 0) {
        if (!m_authorRead)
            m_song.author.assign(textOf(raw.data, kMaxNameBytes));
        else
            m_song.memo.append(textOf(raw.data));
        m_authorRead = true;
        return;
    }
    // An empty text after the start says nothing: the writer puts one where
    // a delta is longer than one variable-length quantity holds.
    if (raw.data.empty())
        return;
    if (m_song.karaoke) {
        store(kTextMessage, raw.tick).SetData(raw.data);
        return;
    }
    marker(raw);
}

void ConductorReader::trackName(std::string_view name)
{
    if (m_songNamed) {
        m_song.subtitle.assign(name);
        return;
    }
    m_songNamed = true;
    std::string plain(name);
    StripKnownExtension(plain);
    if (readSetting(m_song.context().profile, settings::kSaveRename) == 0) {
        m_song.title = plain;
        return;
    }
    std::string safe = plain;
    SanitizeFileName(safe);
    if (safe == m_song.title)
        m_song.title = plain;
}

void ConductorReader::marker(const RawEvent& raw)
{
    auto cue = std::make_unique<CCue>();
    cue->kind = kCueMarker;
    cue->time = cue->secondTime = raw.tick;
    cue->name.assign(textOf(raw.data, kMaxLabelBytes));
    insertCueInOrder(m_song.cues, std::move(cue));
}

void ConductorReader::tempo(const RawEvent& raw)
{
    if (m_options.fixedTempo || raw.data.size() < 3)
        return;
    const uint32_t value = uint32_t(raw.data[0]) << 16 | uint32_t(raw.data[1]) << 8 | raw.data[2];
    if (value == 0)
        return;
    TempoEntry& last = m_song.tempoMap.back();
    if (last.tick == raw.tick) {
        last.setTempo(value);
    } else if (value != last.tempo) {
        TempoEntry entry;
        entry.tick = raw.tick;
        entry.setTempo(value);
        m_song.tempoMap.push_back(entry);
    }
}

void ConductorReader::smpteOffset(std::span<const uint8_t> d)
{
    if (d.size() < 5)
        return;
    m_song.smpteOffset = CSmpteTime::fromFields((d[0] >> 5) & 3, d[0] & 0x1F, d[1], d[2], d[3], d[4]);
}

void ConductorReader::timeSignature(const RawEvent& raw)
{
    const auto d = raw.data;
    if (d.size() < 4 || d[0] == 0 || d[1] > kMaxDenominatorPower)
        return;
    const int denominator = 1 << d[1];
    if (4 * m_song.timeBase / denominator < 1)
        return; // a beat shorter than a tick
    m_meter.setMeter(d[0], d[1]);
    m_meter.clocksPerClick = clocksPerClickOfMeter(d[2], d[0], denominator);
    m_meter.thirtySeconds = d[3];
    placeMeasure(raw.tick);
}

void ConductorReader::keySignature(const RawEvent& raw)
{
    const auto d = raw.data;
    if (d.size() < 2)
        return;
    const int8_t key = int8_t(d[0]);
    m_meter.key = key >= -7 && key <= 7 ? key : 0;
    m_meter.mode = d[1] == 1 ? 1 : 0;
    placeMeasure(raw.tick);
}

// A measure with the current meter and key at the tick: replaces the last
// measure when that starts there, else follows it.
void ConductorReader::placeMeasure(int32_t tick)
{
    MeasureRec measure = m_meter;
    measure.Set(tick, measureLength(m_song.timeBase, m_meter.numerator, m_meter.denominator));
    if (m_song.measureMap.back().start == tick)
        m_song.measureMap.back() = measure;
    else
        m_song.measureMap.push_back(measure);
}

// Older song-level "dr" records: 20 label, 22 cue, 23 performance tempo,
// 24 relative volume. Too short ones and other ids are dropped.
void ConductorReader::settingsRecord(const RawEvent& raw)
{
    const auto d = raw.data;
    switch (d[2]) {
    case 20:
        m_labels.emplace_back(textOf(d.subspan(3), kMaxLabelBytes));
        return;
    case 22:
        if (d.size() >= 8) {
            CCue cue = cueFromStoredRecord(d[3], d.subspan<4, 4>(), d.subspan(8), raw.tick);
            insertCueInOrder(m_song.cues, std::make_unique<CCue>(std::move(cue)));
        }
        return;
    case 23:
        if (d.size() >= 6)
            m_song.performanceTempo = uint32_t(d[3]) << 16 | uint32_t(d[4]) << 8 | d[5];
        return;
    case 24:
        if (d.size() >= 5)
            m_song.relativeVolume = relativeVolumeFromCode(int64_t(d[3]) * 256 + d[4]);
        return;
    default:
        return;
    }
}

// One entry per measure: each meter entry repeats until the next one starts.
bool ConductorReader::fillMeasures()
{
    MeasureMap& map = m_song.measureMap;
    int64_t total = 1;
    for (size_t i = 0; i + 1 < map.size(); ++i)
        total += std::max<int64_t>(1, measuresBetween(map[i].start, map[i].length, map[i + 1].start));
    if (total > int64_t(kMaxSongMeasures))
        return false;
    MeasureMap filled;
    filled.reserve(size_t(total));
    for (size_t i = 0; i < map.size(); ++i) {
        MeasureRec m = map[i];
        filled.push_back(m);
        while (i + 1 < map.size() && int64_t(m.start) + m.length < map[i + 1].start) {
            m.start += m.length;
            filled.push_back(m);
        }
    }
    map = std::move(filled);
    return true;
}

bool ConductorReader::applyLabels()
{
    MeasureMap& map = m_song.measureMap;
    if (m_labels.size() > kMaxSongMeasures)
        return false;
    while (map.size() < m_labels.size()) {
        MeasureRec next = map.back();
        next.start = int32_t(std::min<int64_t>(int64_t(next.start) + next.length, kLastTick));
        map.push_back(next);
    }
    for (size_t i = 0; i < map.size(); ++i) {
        if (i < m_labels.size()) {
            applyMeasureLabel(map[i], m_labels[i]);
        } else {
            map[i].letter = 0;
            map[i].number = i == 0 ? 1 : uint16_t(std::min(map[i - 1].number + 1, 0xFFFF));
        }
    }
    return true;
}

int32_t scaledTick(int32_t tick, int32_t newBase, int32_t oldBase)
{
    const int32_t scaled = MulDiv(tick, newBase, oldBase);
    if (scaled < 0 && tick >= 0)
        return kLastTick; // beyond 32 bits
    return scaled;
}

// Tempos a rescale brings to one tick: the last one holds from there, as a
// read of the saved song would keep it.
void keepLastTempoAtEachTick(TempoMap& map)
{
    auto sameTick = [](const TempoEntry& a, const TempoEntry& b) { return a.tick == b.tick; };
    std::reverse(map.begin(), map.end());
    map.erase(std::unique(map.begin(), map.end(), sameTick), map.end());
    std::reverse(map.begin(), map.end());
}

} // namespace

bool BuildMaps(CSongDoc& song, const BuildMapsOptions& options, std::string& reason)
{
    if (song.tracks.empty())
        song.tracks.push_back(std::make_unique<CTrack>());
    return ConductorReader(song, options).read(reason);
}

void RescalePpq(CSongDoc& song, uint16_t newTimeBase)
{
    const int32_t oldBase = song.timeBase;
    const int32_t newBase = newTimeBase;
    if (oldBase == 0 || newBase == 0)
        return;
    for (size_t i = 0; i + 1 < song.tracks.size(); ++i) {
        CTrack& track = *song.tracks[i];
        track.endOfTrack = std::max(scaledTick(track.endOfTrack, newBase, oldBase), 0);
        // The conductor's end (its last tempo or meter) is not rebuilt from events.
        track.endTick = std::max(scaledTick(track.endTick, newBase, oldBase), 0);
        for (CMidiEvent& event : track.events) {
            // The end is scaled, not the length: notes that ended together
            // still do, so their note-offs pair with them in the same order.
            // A stray velocity-0 note-off lasts like a note.
            const int64_t end = int64_t(event.tick) + event.value2;
            event.tick = scaledTick(event.tick, newBase, oldBase);
            if (event.isNote() || midi::isNoteOff(event.message))
                event.value2 = scaledTick(int32_t(std::min<int64_t>(end, kLastTick)), newBase, oldBase) - event.tick;
        }
    }
    for (auto& cue : song.cues) {
        cue->time = scaledTick(cue->time, newBase, oldBase);
        cue->secondTime = scaledTick(cue->secondTime, newBase, oldBase);
    }
    for (TempoEntry& entry : song.tempoMap)
        entry.tick = scaledTick(entry.tick, newBase, oldBase);
    keepLastTempoAtEachTick(song.tempoMap);
    // The cursor and a time selection stay on the music they were on.
    song.setPosition(std::max(scaledTick(song.position(), newBase, oldBase), 0));
    if (song.selectionFrom >= 0)
        song.selectionFrom = scaledTick(song.selectionFrom, newBase, oldBase);
    if (song.selectionTo >= 0)
        song.selectionTo = scaledTick(song.selectionTo, newBase, oldBase);
    song.timeBase = newTimeBase;
    song.RecalcTempoTimes();
    song.RecomputeMeasureStarts();
    song.undoList.clear();
    song.undoPosition = song.undoList.end();
    song.savedRecord = unreachableSavedRecord();
    RebuildPlayImages(song, false);
    song.SetModifiedFlag(true);
}

bool extendMeasuresPast(CSongDoc& song, int32_t tick)
{
    MeasureMap& map = song.measureMap;
    if (map.empty())
        return true;
    const MeasureRec& last = map.back();
    const int64_t end = int64_t(last.start) + last.length;
    const int64_t needed = end > tick ? 0 : (int64_t(tick) + 1 - end + last.length - 1) / last.length;
    if (int64_t(map.size()) + needed > int64_t(kMaxSongMeasures))
        return false;
    for (int64_t i = 0; i < needed; ++i) {
        MeasureRec next = map.back();
        next.start += next.length;
        if (next.number < UINT16_MAX)
            ++next.number;
        next.letter = 0;
        map.push_back(next);
    }
    song.measureMapEnd = map.back().start + map.back().length;
    return true;
}

bool measureMapCanReach(const CSongDoc& song, int32_t until)
{
    const MeasureMap& map = song.measureMap;
    if (map.empty())
        return true;
    const MeasureRec& last = map.back();
    // ExtendMeasureMap appends while the last measure starts before `until`.
    const int64_t needed = measuresBetween(last.start, last.length, until);
    return int64_t(map.size()) + needed <= int64_t(kMaxSongMeasures);
}

} // namespace rz
