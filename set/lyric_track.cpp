#include "set/lyric_track.h"

#include "core/track_rows.h"
#include "set/lyric_model.h"
#include "song/song_doc.h"
#include "song/track.h"

namespace rz {

namespace {

// Not the conductor track, not the empty last track.
bool isUserRow(const CSongDoc& song, int row)
{
    return row > 0 && row < int(song.tracks.size()) - 1;
}

} // namespace

int LyricTrackChoice::choose(const CSongDoc& song, const ITrackRows& rows, bool topLevel)
{
    if (!topLevel || m_row < 0)
        m_row = rows.GetSelectedCount() > 0 ? rows.GetFirstSelected() : rows.currentRow();
    if (!isUserRow(song, m_row))
        return -1;
    return m_row;
}

int LyricTrackChoice::searchOnce(const CSongDoc& song, ITrackRows& rows)
{
    if (m_searched == &song)
        return -1;
    m_searched = &song;
    for (int row = int(song.tracks.size()) - 2; row >= 1; --row) {
        if (song.tracks[size_t(row)] && trackYieldsLyrics(*song.tracks[size_t(row)])) {
            rows.SelectRow(row, true);
            return row;
        }
    }
    return -1;
}

} // namespace rz
