#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace rz {

class CTrack;
struct SongContext;

// The largest value a four-byte variable-length quantity holds; the play
// cursor and the file reader refuse longer ones.
inline constexpr uint32_t kMaxVarLen = 0x0FFFFFFF;

// "No parameter selected" for the encoder's selected RPN/NRPN.
inline constexpr uint32_t kNoSelectedParameter = 0xFFFFFFFF;

// What the encoder needs to know beyond the track itself.
struct TrackEncodeContext {
    // The track's index in its song: tags the sounding notes of the seek
    // points in bits 24-31.
    int trackIndex = 0;
    // Where the track's port and synth are looked up before encoding; null
    // keeps the track's current port, synth and technology.
    const SongContext* song = nullptr;
    // Events before this tick are written at it, in the image only: a shared
    // channel's settings at tick 0 then come before this track's events.
    int32_t firstEventTick = 0;
    // While a solo is active the settings marker stores the saved
    // play-enabled flag rather than the solo state.
    bool soloActive = false;
    // Another track shares the channel: each RPN and NRPN value is written
    // with its selection.
    bool selectEveryDataEntry = false;
    // The folder whose "WaveData" clips are written relative to it; empty:
    // only clips named relative already.
    std::filesystem::path songFolder;
};

// Appends a variable-length quantity: seven bits a byte, most significant
// group first. Values above kMaxVarLen are written as kMaxVarLen.
void WriteVarLen(std::vector<uint8_t>& bytes, uint32_t value);
// Appends 0xFF and the meta type.
void WriteMetaHeader(std::vector<uint8_t>& bytes, uint8_t type);
// Appends the text's length as a variable-length quantity and its bytes, no
// terminator; a text longer than kMaxVarLen is cut there.
void WriteMetaString(std::vector<uint8_t>& bytes, std::string_view text);

// Rebuilds the track's play image (a track chunk body) from its events and
// settings, with the seek points, clip flags and end tick.
// interval >= 0: a user track: name, port, initial settings at its
// patch-change points and the settings marker; channel messages on the
// track's channel, except on the meta track, whose messages keep their own.
// interval > 0: also a seek point every `interval` ticks.
// interval < 0: a bare chunk: the events alone, each on its own channel.
// Reads only memory and never fails. GUI thread.
void WriteTrackChunk(CTrack& track, int32_t interval, const TrackEncodeContext& context);

// Appends the track's initial settings at `tick` to its play image: the
// caller has written the delta before them; items after the first get delta 0.
// Channel messages go on the track's channel and into the chase list
// (chaseMessages, chaseTicks); runningStatus and selectedParameter are the
// encoder's and are updated. Writes nothing when the track has no settings.
void EncodeInitialSettings(CTrack& track, int32_t tick, std::vector<uint32_t>& chaseMessages,
                           std::vector<int32_t>& chaseTicks, uint8_t& runningStatus,
                           uint32_t& selectedParameter);

// True when EncodeInitialSettings writes anything: the track's initial
// settings, or a controller destination (which HasInitialSettings leaves out).
bool hasSettingsToWrite(const CTrack& track);

} // namespace rz
