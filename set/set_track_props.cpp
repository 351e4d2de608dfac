// Track properties across the songs of a set. GUI thread.
#include "set/set_track_props.h"

#include "core/ascii_case.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "song/track_props.h"
#include "song/track_props_dialog.h"
#include "song/undo_record.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

namespace rz {
namespace {

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
                return LessIgnoringAsciiCase(row.name, name);
            });
            if (at != rows.end() && EqualIgnoringAsciiCase(at->name, track.name)) {
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
            if (EqualIgnoringAsciiCase(track.name, name) && inFlag(track) != value) {
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
            if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return EqualIgnoringAsciiCase(n, track.name); }))
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
            if (std::any_of(names.begin(), names.end(), [&](const std::string& n) { return EqualIgnoringAsciiCase(n, track.name); })) {
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
