#include "set/lyric_import.h"

#include "song/song_doc.h"
#include "song/track.h"
#include "song/track_list.h"
#include "song/undo_record.h"

namespace rz {

namespace {

constexpr uint32_t kLyricsRow = 1;

} // namespace

bool importLyricsTrack(CSongDoc& song, const std::function<bool(CTrack& track)>& tap)
{
    auto track = std::make_unique<CTrack>();
    track->name = "Lyrics";
    if (!tap || !tap(*track))
        return false;
    auto list = std::make_unique<CTrackList>(true);
    list->add(std::move(track));
    list->targetRows.push_back(kLyricsRow);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Import lyrics";
    record->tracks = std::move(list);
    return song.ApplyEdit(std::move(record)) == ApplyResult::Applied;
}

} // namespace rz
