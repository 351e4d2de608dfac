#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "song/track.h"

namespace rz {

class CSongDoc;

// Reads the conductor events of a song from its tracks' play images in time
// order: those of the meta tracks in format 1, of every user track in
// format 0. Images carry their track's key and velocity offsets already, so
// notes come as they are. The song must not change while a reader lives.
class ConductorEventReader {
public:
    explicit ConductorEventReader(const CSongDoc& song);

    // The next event, leaving out track names, clips, ports, the program's
    // "@DR" texts and "dr" records, and what a format 1 meta track's own
    // chunk keeps; of two at one tick, the lower track's
    // first. False at the end. The event's data stays valid until the reader
    // is destroyed.
    bool NextConductorEvent(RawEvent& event);

private:
    // Each track's image read through a cursor of its own, so the song's
    // play cursors stay where play-out left them.
    std::vector<std::unique_ptr<CTrack>> m_cursors;
    std::vector<bool> m_headerPortSeen; // by cursor
};

// Fills a fresh track with the conductor chunk (song texts, SMPTE offset,
// meters, keys, tempos, the conductor events and the Marker cues) and
// encodes it as a bare chunk. The measure starts must be current.
void BuildConductorTrack(const CSongDoc& song, CTrack& track);

// The song as a Standard MIDI File: the header and the conductor chunk; in
// format 1 also the "@DO4_META" chunk and every user track's image (a meta
// track's with only the events the conductor's reader would not give back
// as events; the conductor carries the rest). False, with a reason, only
// when a chunk is too large for its length field.
bool BuildSongFile(const CSongDoc& song, std::vector<uint8_t>& bytes, std::string& reason);

} // namespace rz
