#include "song/track_list.h"

namespace rz {

CTrackList& CTrackList::operator=(CTrackList&& other) noexcept
{
    if (this != &other) {
        clear();
        sourceRows = std::move(other.sourceRows);
        targetRows = std::move(other.targetRows);
        ownsTracks = other.ownsTracks;
        tracks = std::move(other.tracks);
        other.tracks.clear();
    }
    return *this;
}

CTrackList::~CTrackList()
{
    clear();
}

void CTrackList::clear()
{
    if (!ownsTracks) {
        for (auto& track : tracks)
            static_cast<void>(track.release());
    }
    tracks.clear();
}

} // namespace rz
