#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;
struct SkippedMessages;

// Steps of opening a song that shape its track list, after the conductor has
// been read into the maps. Each returns false, with a reason, when the song
// breaks a limit (tracks, events per track, measures). GUI thread.

// Format 0: the single chunk becomes a conductor and one track per channel,
// named "Channel %d", in channel order; then offers the change to format 1.
bool convertFormat0(CSongDoc& song, std::string& reason);
// Format 1: reads every track chunk, applies the "@DO4_META" track, keeps the
// clips of waveform tracks and splits MIDI tracks that play on several
// channels into one track per channel. Appends to `skippedMessages` the
// messages skipped in each chunk read, in file order.
bool readFormat1Tracks(CSongDoc& song, std::vector<SkippedMessages>& skippedMessages, std::string& reason);
// Conductor events the maps did not take go to the meta track, or the
// conductor becomes a user track named "Meta" under a new empty conductor.
void moveConductorLeftovers(CSongDoc& song);
// "OpenOptions" "SplitPatches": each program change that brings a new bank
// and program starts a track of its own, named "  patch change".
void splitByPatches(CSongDoc& song);
// The limits of track count and events per track.
bool checkTrackLimits(const CSongDoc& song, std::string& reason);

} // namespace rz
