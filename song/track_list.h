#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "song/track.h"

namespace rz {

// Tracks carried by undo records and paste. An owning list destroys its tracks;
// a list that does not own them only points at the song's tracks, and its
// destructor and clear() let go of them without destroying them.
class CTrackList {
public:
    std::vector<uint32_t> sourceRows;
    std::vector<uint32_t> targetRows;
    bool ownsTracks = true;
    std::vector<std::unique_ptr<CTrack>> tracks;

    CTrackList() = default;
    explicit CTrackList(bool owns) : ownsTracks(owns) {}
    CTrackList(const CTrackList&) = delete;
    CTrackList& operator=(const CTrackList&) = delete;
    CTrackList(CTrackList&& other) noexcept = default;
    CTrackList& operator=(CTrackList&& other) noexcept;
    ~CTrackList();

    // Adds a track the list owns (ownsTracks must be set).
    void add(std::unique_ptr<CTrack> track) { tracks.push_back(std::move(track)); }
    // Adds a pointer to a track owned elsewhere (ownsTracks must be clear).
    void addBorrowed(CTrack* track) { tracks.emplace_back(track); }
    // Empties the list, destroying the tracks only when it owns them.
    void clear();
};

} // namespace rz
