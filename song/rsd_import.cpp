// Importing ".rsd" documents: fixed-size records read into a format 0
// track, split into one track per channel, with the title from the ".rsc"
// companion. GUI thread.
#include "song/rsd_import.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <unordered_map>
#include <vector>

#include "core/file_names.h"
#include "core/midi_bytes.h"
#include "core/input_file.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "song/build_maps.h"
#include "song/play_images.h"
#include "song/smf_reader.h"
#include "song/smf_song_tracks.h"
#include "song/song_doc.h"
#include "song/track_encoder.h"

namespace rz {
namespace {

constexpr uint16_t kRsdTimeBase = 120;
// The format's record types from 0x80 up; below it a record is a note.
// They resemble MIDI status bytes but are the format's own.
constexpr uint8_t kRsdFirstCommand = 0x80;
constexpr uint8_t kRsdTempo = 0x80;
constexpr uint8_t kRsdTempoAlso = 0x88;
constexpr uint8_t kRsdMeter = 0xA3;
constexpr uint8_t kRsdProgram = 0xE5;
constexpr uint8_t kRsdController = 0xE6;
// The companion's size, and where its title starts and must end.
constexpr size_t kRscSize = 124;
constexpr size_t kRscTitleStart = 16;
constexpr size_t kRscTitleEnd = 83;

struct RsdRecord {
    const uint8_t* b;
    bool sixBytes;
    uint8_t channel() const { return b[2] & 0x0F; }
};

// Reads the records into one track of channel messages and into the maps.
class RsdReader {
public:
    RsdReader(CSongDoc& song, CTrack& track)
        : m_song(song), m_track(track)
    {
    }

    // False when the track would hold more events than a track may.
    bool read(std::span<const uint8_t> bytes);

private:
    void record(const RsdRecord& r);
    void noteOn(const RsdRecord& r);
    void noteOff(const RsdRecord& r);
    void tempo(const RsdRecord& r);
    void meter(const RsdRecord& r);
    void store(uint32_t message, int32_t value2);
    static uint32_t noteSlot(uint8_t channel, uint8_t key, uint8_t velocity)
    {
        return (uint32_t(channel) * 128 + key) * 128 + velocity;
    }

    CSongDoc& m_song;
    CTrack& m_track;
    int32_t m_tick = 0;
    // The newest note of each channel, key and velocity, as an event index.
    std::unordered_map<uint32_t, uint32_t> m_newestNote;
};

bool RsdReader::read(std::span<const uint8_t> bytes)
{
    // Byte 7 of the first record is 0 in the 8-byte form; a missing byte counts as 0.
    const bool sixBytes = bytes.size() >= 8 && bytes[7] != 0;
    const size_t size = sixBytes ? 6 : 8;
    for (size_t at = 0; bytes.size() - at >= size; at += size) {
        const RsdRecord r{bytes.data() + at, sixBytes};
        record(r);
        if (m_track.events.size() > kMaxTrackEvents)
            return false;
        if (int64_t(m_tick) + r.b[0] > kLastTick)
            break;
        m_tick += r.b[0];
    }
    return true;
}

void RsdReader::record(const RsdRecord& r)
{
    const uint8_t type = r.b[1];
    if (type < kRsdFirstCommand) {
        if (r.b[3] & 0x80)
            noteOff(r);
        else
            noteOn(r);
        return;
    }
    switch (type) {
    case kRsdTempo:
    case kRsdTempoAlso: tempo(r); return;
    case kRsdMeter: meter(r); return;
    case kRsdProgram: store(midi::kProgramChange | r.channel() | uint32_t(r.b[4] & 0x7F) << 8, 0); return;
    case kRsdController:
        store(midi::kControlChange | r.channel() | uint32_t(r.b[4] & 0x7F) << 8 | uint32_t(r.b[5] & 0x7F) << 16, 0);
        return;
    default: return;
    }
}

void RsdReader::store(uint32_t message, int32_t value2)
{
    CMidiEvent& event = m_track.events.emplace_back();
    event.message = message;
    event.tick = m_tick;
    event.value2 = value2;
}

// The 6-byte form has no high byte of the duration: it counts as 0.
void RsdReader::noteOn(const RsdRecord& r)
{
    const uint8_t key = r.b[1];
    const uint8_t velocity = r.b[3] & 0x7F;
    if (velocity == 0)
        return; // sounds nothing, and would read as a note-off
    const int32_t duration = r.b[5] + (r.sixBytes ? 0 : r.b[6] * 256);
    m_newestNote[noteSlot(r.channel(), key, velocity)] = uint32_t(m_track.events.size());
    store(midi::kNoteOn | r.channel() | uint32_t(key) << 8 | uint32_t(velocity) << 16, duration);
}

// Ends the newest note of the same channel, key and velocity.
void RsdReader::noteOff(const RsdRecord& r)
{
    if (r.b[4] & 0x80)
        return;
    const auto newest = m_newestNote.find(noteSlot(r.channel(), r.b[1], r.b[3] & 0x7F));
    if (newest == m_newestNote.end())
        return;
    CMidiEvent& note = m_track.events[newest->second];
    note.value2 = m_tick + r.b[5] - note.tick;
}

// Divisors 1..4 of 120 give the microseconds per quarter of one unit.
void RsdReader::tempo(const RsdRecord& r)
{
    const int divisor = r.b[3];
    const uint32_t value = uint32_t(r.b[4]) * 256 + r.b[5];
    if (value == 0 || divisor < 1 || divisor > 4)
        return;
    TempoMap& map = m_song.tempoMap;
    TempoEntry entry;
    entry.tick = m_tick;
    entry.setTempo(uint32_t(kRsdTimeBase / divisor) * value);
    if (map.back().tick == m_tick)
        map.back() = entry;
    else
        map.push_back(entry);
}

// Meters outside numerator 1..255 and denominator 2^0..2^6 are skipped: a
// numerator of 0 makes a measure of no length.
void RsdReader::meter(const RsdRecord& r)
{
    const int numerator = r.b[3];
    const int power = r.b[4];
    if (numerator < 1 || power > kMaxDenominatorPower)
        return;
    MeasureRec measure;
    measure.Set(m_tick, measureLength(kRsdTimeBase, numerator, 1 << power));
    measure.setMeter(numerator, power);
    measure.clocksPerClick = r.b[5];
    measure.thirtySeconds = 8;
    MeasureMap& map = m_song.measureMap;
    if (map.back().start == m_tick)
        map.back() = measure;
    else
        map.push_back(measure);
}

void startSong(CSongDoc& song)
{
    song.contentFlag = true;
    song.karaoke = false;
    song.format = 0;
    song.timeBase = kRsdTimeBase;
    song.tracks.clear();
    song.tracks.push_back(std::make_unique<CTrack>());
    MeasureRec first;
    first.Set(0, measureLength(kRsdTimeBase, 4, 4));
    first.setMeter(4, 2);
    song.measureMap.assign(1, first);
    song.tempoMap.assign(1, TempoEntry{});
}

// Each meter entry repeats until the next one starts; then the measures
// are numbered 1, 2, 3, ... without letters.
bool layOutMeasures(MeasureMap& map)
{
    MeasureMap filled;
    for (size_t i = 0; i < map.size(); ++i) {
        MeasureRec m = map[i];
        filled.push_back(m);
        while (i + 1 < map.size() && int64_t(m.start) + m.length < map[i + 1].start) {
            m.start += m.length;
            filled.push_back(m);
            if (filled.size() > kMaxSongMeasures)
                return false;
        }
    }
    if (filled.size() > kMaxSongMeasures)
        return false;
    for (size_t i = 0; i < filled.size(); ++i) {
        MeasureRec& m = filled[i];
        m.number = uint16_t(i + 1);
        m.letter = 0;
        if (m.thirtySeconds == 0)
            m.thirtySeconds = 8;
        if (m.clocksPerClick == 0)
            m.clocksPerClick = 24;
        // As a read of the saved song takes them.
        m.clocksPerClick = clocksPerClickOfMeter(m.clocksPerClick, m.numerator, m.denominator);
    }
    map = std::move(filled);
    return true;
}

// The channel messages of the single track become one track per channel,
// in channel order, each encoded and read again so that it takes its own
// initial settings.
bool splitChannels(CSongDoc& song, std::vector<CMidiEvent> events, std::string& reason)
{
    std::array<std::unique_ptr<CTrack>, 16> byChannel;
    for (CMidiEvent& event : events) {
        auto& track = byChannel[event.kind() & 0x0F];
        if (!track) {
            track = std::make_unique<CTrack>();
            char name[16];
            std::snprintf(name, sizeof name, "Channel %d", (event.kind() & 0x0F) + 1);
            track->name = name;
            track->channel = event.kind() & 0x0F;
        }
        track->events.push_back(std::move(event));
    }
    const bool autoProps = song.context().host.autoProps();
    for (auto& track : byChannel) {
        if (!track)
            continue;
        TrackEncodeContext context;
        context.trackIndex = int(song.tracks.size());
        context.song = &song.context();
        WriteTrackChunk(*track, 0, context);
        if (!ReadTrackChunk(*track, autoProps)) {
            reason = "a track holds more than " + std::to_string(kMaxTrackEvents) + " events";
            return false;
        }
        song.tracks.push_back(std::move(track));
    }
    return true;
}

// The last tick anything of the song reaches, before the images exist.
int32_t contentEnd(const CSongDoc& song)
{
    int64_t end = song.tempoMap.back().tick;
    for (const auto& track : song.tracks)
        for (const CMidiEvent& event : track->events)
            end = std::max<int64_t>(end, int64_t(event.tick) + std::max(event.value2, 0));
    return int32_t(std::min<int64_t>(end, kLastTick));
}

bool finishSong(CSongDoc& song, std::string& reason)
{
    if (readSetting(song.context().profile, settings::kOpenSplitPatches) != 0)
        splitByPatches(song);
    if (!checkTrackLimits(song, reason))
        return false;
    if (!measureMapCanReach(song, contentEnd(song))) {
        reason = "the song needs more than " + std::to_string(kMaxSongMeasures) + " measures";
        return false;
    }
    WriteTrackChunk(*song.tracks.front(), -1, TrackEncodeContext{});
    song.tracks.push_back(std::make_unique<CTrack>());
    RebuildPlayImages(song, false);
    song.ExtendMeasureMap();
    song.RecomputeMeasureStarts();
    song.SetGridFamily();
    return true;
}

} // namespace

bool ImportRsd(CSongDoc& song, std::span<const uint8_t> bytes, std::string& reason)
{
    startSong(song);
    CTrack records;
    if (!RsdReader(song, records).read(bytes)) {
        reason = "the document holds more than " + std::to_string(kMaxTrackEvents) + " events";
        return false;
    }
    song.RecalcTempoTimes();
    if (!layOutMeasures(song.measureMap)) {
        reason = "the song needs more than " + std::to_string(kMaxSongMeasures) + " measures";
        return false;
    }
    song.RecomputeMeasureStarts();
    if (!splitChannels(song, std::move(records.events), reason))
        return false;
    // An imported document becomes format 1 without a question.
    song.format = 1;
    if (!finishSong(song, reason))
        return false;
    if (!song.pathName.empty())
        if (std::optional<std::string> title = readRscTitle(song.pathName); title && !title->empty())
            song.title = std::move(*title);
    return true;
}

std::optional<std::string> readRscTitle(const std::filesystem::path& rsdPath)
{
    const std::string name = rsdPath.filename().string();
    std::string stem = name;
    StripKnownExtension(stem);
    const bool upperCase = name.size() > stem.size() && name.back() >= 'A' && name.back() <= 'Z';
    std::string reason; // a missing or odd title file leaves the title alone
    const auto file = InputFile::open(rsdPath.parent_path() / (stem + (upperCase ? ".RSC" : ".rsc")),
                                      std::numeric_limits<uint64_t>::max(), reason);
    char block[kRscSize];
    if (!file || !file->readAt(0, block, sizeof block, reason))
        return std::nullopt;
    const char* begin = block + kRscTitleStart;
    const char* end = std::find(begin, static_cast<const char*>(block + kRscTitleEnd), '\0');
    while (end > begin && end[-1] == ' ')
        --end;
    return std::string(begin, end);
}

} // namespace rz
