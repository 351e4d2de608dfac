#include "song/import_tracks.h"

#include "core/muldiv.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"

#include <algorithm>

namespace rz {
namespace {

// A tick or note length at another time base, rounded.
int32_t rescaled(int32_t ticks, int from, int to)
{
    return from == to || from <= 0 ? ticks : MulDiv(ticks, to, from);
}

std::unique_ptr<CTrack> importedTrack(const CTrack& source, int fromBase, int toBase,
                                      ClipFileCopies& files, bool& failed)
{
    std::unique_ptr<CTrack> track = copyTrackSettings(source);
    track->events.reserve(source.events.size());
    for (const CMidiEvent& original : source.events) {
        CMidiEvent event = original;
        event.selectionStamp = 0;
        event.tick = rescaled(event.tick, fromBase, toBase);
        if (event.isNote())
            event.value2 = rescaled(event.value2, fromBase, toBase);
        if (!files.duplicate(event)) {
            failed = true;
            return nullptr;
        }
        track->events.push_back(std::move(event));
    }
    return track;
}

} // namespace

ApplyResult ImportTracks(CSongDoc& song, CSongDoc& source, int row)
{
    if (source.tracks.size() < 3)
        return ApplyResult::Malformed;
    const int count = int(song.tracks.size());
    const int target = std::clamp(row, 1, std::max(count - 1, 1));
    ClipFileCopies files(source);
    auto list = std::make_unique<CTrackList>();
    bool failed = false;
    for (size_t t = 1; t + 1 < source.tracks.size(); ++t) {
        list->add(importedTrack(*source.tracks[t], source.timeBase, song.timeBase, files, failed));
        if (failed)
            return ApplyResult::Malformed;
        list->targetRows.push_back(uint32_t(target));
    }
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Import Tracks";
    record->tracks = std::move(list);
    const ApplyResult result = song.ApplyEdit(std::move(record));
    if (result == ApplyResult::Applied)
        files.keep();
    return result;
}

} // namespace rz
