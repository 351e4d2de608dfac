#pragma once

#include <memory>

#include <functional>

namespace rz {

class CSongDoc;
class CTrack;

// File > Import > Lyrics: lyrics are tapped into a new "Lyrics" track while
// it is still outside the song; when `tap` answers true (OK), one "Import
// lyrics" edit adds the track as row 1. Otherwise the track is dropped and
// the song is left as it was. Answers whether the track was added.
bool importLyricsTrack(CSongDoc& song, const std::function<bool(CTrack& track)>& tap);

} // namespace rz
