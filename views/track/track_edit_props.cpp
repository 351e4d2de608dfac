#include "views/track/track_edit_props.h"

#include "core/edit_dialogs.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song/track_props_dialog.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace rz {

bool editTrackProperties(CSongDoc& song, const std::vector<int>& selected)
{
    IEditDialogs* dialogs = song.context().editDialogs;
    if (dialogs == nullptr || !dialogs->has(EditDialog::TrackProperties))
        return false;
    std::vector<int> rows;
    for (int row : selected)
        if (row >= 1 && size_t(row) + 1 < song.tracks.size())
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty())
        return false;
    TrackPropsParams preset = paramsOf(*song.tracks[size_t(rows.front())]);
    for (size_t k = 1; k < rows.size(); ++k)
        mixIn(preset, paramsOf(*song.tracks[size_t(rows[k])]));
    const std::optional<TrackPropsParams> answer = dialogs->trackProperties(song, preset);
    if (!answer) {
        song.LocateToCurrent();
        return true;
    }
    std::vector<CTrackProps> changes;
    for (int row : rows) {
        CTrackProps change = changeOf(int32_t(row), *answer);
        if (change.hasChanges())
            changes.push_back(std::move(change));
    }
    if (changes.empty())
        return true;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackProps | kUndoSelectTracks;
    record->label = "Edit Track Properties";
    record->payload = std::move(changes);
    song.ApplyEdit(std::move(record));
    return true;
}

} // namespace rz
