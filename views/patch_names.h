#pragma once

#include <optional>
#include <string>

namespace rz {

class CSongDoc;
class CTrack;

// How a track's synthesizer numbers and names its sounds; the track list,
// the event list and the note views show the same numbers and names.

// The number a patch is shown with: 1-based unless the synthesizer
// numbers its patches from 0.
int patchBase(const CTrack& track);
// The synthesizer selects banks by their MSB alone.
bool bankMsbOnly(const CTrack& track);

// Whether the track plays on one of its synthesizer's drum channels (a
// synthesizer that names none takes every channel).
bool drumChannelMatches(const CTrack& track);
// The drum-note name of a key of the track's drum set; nothing without a
// database or off the drum channels.
std::optional<std::string> drumNoteName(const CSongDoc& song, const CTrack& track, int key);

} // namespace rz
