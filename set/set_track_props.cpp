// Track properties across the songs of a set. GUI thread.
#include "set/set_track_props.h"

#include "core/field_number.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "song/track_props.h"
#include "song/undo_record.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

namespace rz {
namespace {

// The track dialog's offsets; the time offset takes what the track view takes.
constexpr int32_t kMaxKeyOffset = 127;
constexpr int32_t kMaxTimeOffset = 4096;

int compareIgnoringCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

bool sameName(const std::string& a, const std::string& b)
{
    return compareIgnoringCase(a, b) == 0;
}

int inFlag(const CTrack& track)
{
    return track.playEnabled != 0 ? 1 : 0;
}

// Tracks 1 .. n-2: neither the conductor track nor the trailing empty one.
template <class Visit>
void forUserTracks(CSongDoc& song, Visit&& visit)
{
    for (size_t t = song.tracks.size() >= 2 ? song.tracks.size() - 2 : 0; t >= 1; --t)
        visit(int32_t(t), *song.tracks[t]);
}

void setIf(int32_t& to, int32_t value, int32_t low, int32_t high)
{
    if (value >= low && value <= high)
        to = value;
}

template <size_t N>
void setAllIf(std::array<int32_t, N>& to, const std::array<int32_t, N>& from, int32_t low, int32_t high)
{
    for (size_t i = 0; i < N; ++i)
        setIf(to[i], from[i], low, high);
}

// The dialog's fields of one track.
TrackPropsParams paramsOf(const CTrack& t)
{
    TrackPropsParams p;
    p.name = t.name;
    p.keyText = std::to_string(t.key);
    p.timeText = std::to_string(t.timeOffset);
    p.velocityText = std::to_string(t.velocityOffset);
    p.kind = t.type;
    p.play = inFlag(t);
    p.clef = t.notationSetting;
    p.splitNote = t.notationValue + 60;
    p.inputChannel = t.inputChannel + 1;
    p.bank = t.bank;
    p.port = t.port;
    p.inputPort = t.inputDevice;
    p.patch = t.patch;
    p.channel = t.channel;
    p.rpnValues = t.rpnValues;
    p.initialControllers = t.initialControllers;
    p.channelPressureDest = t.channelPressureDest;
    p.keyPressureDest = t.keyPressureDest;
    p.controllerDest = t.controllerDest;
    p.destController = t.destController;
    p.color = t.color;
    return p;
}

template <class T>
void mix(T& field, const T& other, const T& mixed)
{
    if (field != other)
        field = mixed;
}

template <size_t N>
void mixAll(std::array<int32_t, N>& fields, const std::array<int32_t, N>& other, int32_t mixed)
{
    for (size_t i = 0; i < N; ++i)
        mix(fields[i], other[i], mixed);
}

// Fields the tracks do not share take the dialog's "not set" value.
void mixIn(TrackPropsParams& p, const TrackPropsParams& o)
{
    const TrackPropsParams unset;
    mix(p.name, o.name, unset.name);
    mix(p.keyText, o.keyText, unset.keyText);
    mix(p.timeText, o.timeText, unset.timeText);
    mix(p.velocityText, o.velocityText, unset.velocityText);
    mix(p.kind, o.kind, unset.kind);
    mix(p.play, o.play, unset.play);
    mix(p.clef, o.clef, unset.clef);
    mix(p.splitNote, o.splitNote, unset.splitNote);
    mix(p.inputChannel, o.inputChannel, unset.inputChannel);
    mix(p.bank, o.bank, unset.bank);
    mix(p.port, o.port, unset.port);
    mix(p.inputPort, o.inputPort, unset.inputPort);
    mix(p.patch, o.patch, unset.patch);
    mix(p.channel, o.channel, unset.channel);
    mixAll(p.rpnValues, o.rpnValues, -2);
    mixAll(p.initialControllers, o.initialControllers, -2);
    mixAll(p.channelPressureDest, o.channelPressureDest, -2);
    mixAll(p.keyPressureDest, o.keyPressureDest, -2);
    mixAll(p.controllerDest, o.controllerDest, -2);
    mix(p.destController, o.destController, unset.destController);
    mix(p.color, o.color, SetTrackProps::kMixedColor);
}

// The change of one track: every set, in-range field. The kind is left
// alone: a track's events belong to its kind.
CTrackProps changeOf(int32_t index, const TrackPropsParams& p)
{
    CTrackProps c(index);
    c.name = p.name;
    setIf(c.playEnabled, p.play, 0, 1);
    setIf(c.port, p.port, 0, 15);
    setIf(c.channel, p.channel, 0, 15);
    setIf(c.inputDevice, p.inputPort, 0, 15);
    if (p.inputChannel >= 0 && p.inputChannel <= 16)
        c.inputChannel = p.inputChannel - 1;
    setIf(c.bank, p.bank, -1, 16383);
    setIf(c.patch, p.patch, -1, 127);
    c.key = fieldNumber(p.keyText, -kMaxKeyOffset, kMaxKeyOffset).value_or(c.key);
    c.velocityOffset = fieldNumber(p.velocityText, -kMaxKeyOffset, kMaxKeyOffset).value_or(c.velocityOffset);
    c.timeOffset = fieldNumber(p.timeText, -kMaxTimeOffset, kMaxTimeOffset).value_or(c.timeOffset);
    setAllIf(c.initialControllers, p.initialControllers, -1, 127);
    setAllIf(c.rpnValues, p.rpnValues, -1, 16383);
    setAllIf(c.channelPressureDest, p.channelPressureDest, -1, 127);
    setAllIf(c.keyPressureDest, p.keyPressureDest, -1, 127);
    setAllIf(c.controllerDest, p.controllerDest, -1, 127);
    setIf(c.destController, p.destController, -1, 127);
    setIf(c.notationSetting, p.clef, 0, 255);
    if (p.splitNote >= 0 && p.splitNote <= 127)
        c.notationValue = p.splitNote - 60;
    if ((p.color & 0xFF000000) == 0)
        c.color = p.color;
    return c;
}

// One record for the song; an empty one is not applied.
void applyChanges(CSongDoc& song, std::vector<CTrackProps> changes)
{
    if (changes.empty())
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackProps;
    record->label = "Change Track Property";
    record->payload = std::move(changes);
    song.ApplyEdit(std::move(record));
}

} // namespace

std::vector<SetTrackRow> SetTrackRows(const std::vector<CSongDoc*>& songs)
{
    std::vector<SetTrackRow> rows;
    for (CSongDoc* song : songs) {
        if (!song->contentFlag)
            continue;
        forUserTracks(*song, [&](int32_t, const CTrack& track) {
            const auto at = std::lower_bound(rows.begin(), rows.end(), track.name, [](const SetTrackRow& row, const std::string& name) {
                return compareIgnoringCase(row.name, name) < 0;
            });
            if (at != rows.end() && sameName(at->name, track.name)) {
                ++at->count;
                if (at->in != inFlag(track))
                    at->in = 2;
                return;
            }
            rows.insert(at, SetTrackRow{track.name, inFlag(track), 1});
        });
    }
    return rows;
}

SetTrackProps::SetTrackProps(SetDocument& set) : m_set(set)
{
    refresh();
}

std::vector<CSongDoc*> SetTrackProps::loadedSongs() const
{
    std::vector<CSongDoc*> loaded;
    for (CSongDoc* song : m_set.songs())
        if (song->contentFlag)
            loaded.push_back(song);
    return loaded;
}

void SetTrackProps::refresh()
{
    const std::vector<CSongDoc*> loaded = loadedSongs();
    m_unloaded = int(m_set.songs().size() - loaded.size());
    m_rows = SetTrackRows(loaded);
}

std::vector<std::string> SetTrackProps::namesOf(const std::vector<size_t>& rows) const
{
    std::vector<std::string> names;
    for (const size_t row : rows)
        if (row < m_rows.size())
            names.push_back(m_rows[row].name);
    return names;
}

void SetTrackProps::toggleIn(size_t row)
{
    if (row >= m_rows.size())
        return;
    const int value = m_rows[row].in == 1 ? 0 : 1;
    const std::string name = m_rows[row].name;
    for (CSongDoc* song : loadedSongs()) {
        std::vector<CTrackProps> changes;
        forUserTracks(*song, [&](int32_t index, const CTrack& track) {
            if (sameName(track.name, name) && inFlag(track) != value) {
                CTrackProps change(index);
                change.playEnabled = value;
                changes.push_back(change);
            }
        });
        applyChanges(*song, std::move(changes));
    }
    refresh();
}

TrackPropsParams SetTrackProps::presetFor(const std::vector<size_t>& rows) const
{
    const std::vector<std::string> names = namesOf(rows);
    std::optional<TrackPropsParams> preset;
    for (CSongDoc* song : loadedSongs()) {
        forUserTracks(*song, [&](int32_t, const CTrack& track) {
            if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, track.name); }))
                return;
            if (!preset)
                preset = paramsOf(track);
            else
                mixIn(*preset, paramsOf(track));
        });
    }
    return preset.value_or(TrackPropsParams{});
}

void SetTrackProps::apply(const std::vector<size_t>& rows, const TrackPropsParams& params)
{
    const std::vector<std::string> names = namesOf(rows);
    for (CSongDoc* song : loadedSongs()) {
        std::vector<CTrackProps> changes;
        forUserTracks(*song, [&](int32_t index, const CTrack& track) {
            if (std::any_of(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, track.name); })) {
                CTrackProps change = changeOf(index, params);
                if (change.hasChanges())
                    changes.push_back(std::move(change));
            }
        });
        applyChanges(*song, std::move(changes));
    }
    refresh();
}

} // namespace rz
