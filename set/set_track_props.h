#pragma once

#include "core/edit_dialogs.h"
#include "song/track_props_dialog.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;
class SetDocument;

// One row of the set's track list: a user-track name over every loaded song.
struct SetTrackRow {
    std::string name; // the spelling met first
    int in = 0;       // the tracks' "In" (play) flag: 0, 1, or 2 when they differ
    int count = 0;    // tracks of that name
    bool operator==(const SetTrackRow&) const = default;
};

// The rows for the songs, in ascending order of name ignoring case. Songs
// that are not loaded have no tracks and add nothing.
std::vector<SetTrackRow> SetTrackRows(const std::vector<CSongDoc*>& songs);

// Track properties edited across the set: every track of a row's name in
// every loaded song, each song with one undo step of its own. GUI thread.
class SetTrackProps {
public:
    // Dialog fields that are not set, or differ over the tracks a preset
    // came from.
    static constexpr Color kMixedColor = kMixedTrackColor;

    explicit SetTrackProps(SetDocument& set);

    // Reads the rows again from the set's loaded songs.
    void refresh();
    const std::vector<SetTrackRow>& rows() const { return m_rows; }
    // Songs of the set that are not loaded, so not listed.
    int unloadedSongs() const { return m_unloaded; }

    // A click on the row's In: 0 → 1, 1 → 0, 2 → 1; each song's tracks of
    // that name whose flag differs get it in one record.
    void toggleIn(size_t row);
    // The track dialog's start for the rows: the first matching track's
    // fields, each one mixed where a further matching track differs.
    TrackPropsParams presetFor(const std::vector<size_t>& rows) const;
    // Every field the dialog returns set and in range goes to every track
    // of the rows' names, one record per song.
    void apply(const std::vector<size_t>& rows, const TrackPropsParams& params);

private:
    std::vector<CSongDoc*> loadedSongs() const;
    std::vector<std::string> namesOf(const std::vector<size_t>& rows) const;

    SetDocument& m_set;
    std::vector<SetTrackRow> m_rows;
    int m_unloaded = 0;
};

} // namespace rz
