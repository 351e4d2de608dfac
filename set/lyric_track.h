#pragma once

namespace rz {

class CSongDoc;
class CTrack;
class ITrackRows;

// Which track the lyric view shows. A docked view follows the track view's
// selection; a window keeps the track it chose first. GUI thread, under the
// SongMutex.
class LyricTrackChoice {
public:
    // The lyric track's row for a rebuild, or -1 for none.
    int choose(const CSongDoc& song, const ITrackRows& rows, bool topLevel);
    // After a rebuild that showed nothing: once per song, selects the last
    // user track that shows lyrics alone in the track view. Returns its row,
    // or -1 when there is none or this song was searched already.
    int searchOnce(const CSongDoc& song, ITrackRows& rows);
    int row() const { return m_row; }
    // A new song may be searched again.
    void forgetSearch() { m_searched = nullptr; }

private:
    const CSongDoc* m_searched = nullptr;
    int m_row = -1;
};

} // namespace rz
