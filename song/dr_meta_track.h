#pragma once

#include <cstdint>
#include <string>

namespace rz {

class CSongDoc;
class CTrack;

// Name of the chunk that carries the song-level markers in a file.
inline constexpr const char* kDrMetaTrackName = "@DO4_META";

// The track settings marker, the last event of every user track chunk:
// "@DR;30;" and type, input device, input channel, notation setting, notation
// value, colour, key offset, time offset, velocity offset, play enabled and
// volume percent.
std::string trackSettingsMarker(const CTrack& track, int32_t playEnabled);

// The "dr" id 0 record of a note with notation attributes: FF 7F 05 "dr" 00,
// the key as written, ((attribute 1 + 1) * 16 + spelling + 1) modulo 256.
uint8_t noteAttributeByte(uint8_t notation, int8_t spelling);

// The relative-volume code of "@DR;24;": 16 steps an octave around 16.
int32_t relativeVolumeCode(double relativeVolume);

// Fills the track with the song-level markers (layout, performance tempo,
// relative volume, measure labels, cues) at their tick + 1 after the name
// "@DO4_META", and encodes it as a bare chunk. The track's previous events
// are dropped. GUI thread.
void BuildDrMetaTrack(const CSongDoc& song, CTrack& track);

} // namespace rz
