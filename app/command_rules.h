#pragma once

#include "core/engine_link.h"
#include "core/song_host.h"

namespace rz {

// The rule most song commands share: a song is current, the transport
// stands and performance mode is off.
inline bool stoppedEditing(const ICurrentSongHost& songs, const ISongDisplayOptions& options,
                           const IEngineLink& engine)
{
    return songs.currentSong() && engine.transportState() == TransportState::Stopped
           && !options.performanceMode();
}

inline bool transportStopped(const IEngineLink& engine)
{
    return engine.transportState() == TransportState::Stopped;
}

} // namespace rz
