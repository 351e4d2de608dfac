#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;
class IPrompt;
class CTrack;
class ChannelSettingsLog;

// Limits that keep event addresses and undo keys inside their fields: a
// track index in 8 bits, an event index in 24.
inline constexpr size_t kMaxUserTracks = 250;
inline constexpr size_t kMaxTrackEvents = 0xFFFFFF;
// The time base a song is moved to when its own is not divisible by 3.
inline constexpr uint16_t kSupportedTimeBase = 960;
// Larger files are refused before they are read.
inline constexpr uintmax_t kMaxSongFileBytes = uintmax_t(1) << 30;

// What a song file's extension says about its contents.
struct SongFileKind {
    bool karaoke = false; // ".kar": conductor texts are lyrics
    bool rss = false;     // ".rss": conductor texts at tick 0 are markers too
    bool rsd = false;     // ".rsd": an older document, imported
};
SongFileKind songFileKind(const std::filesystem::path& path);

// Opens a song file into an empty song: offers the AutoRecover copy, reads
// the Standard MIDI File (also inside a RIFF "RMID" form) and brings the song
// into use. On failure returns false with a reason naming what failed; the
// song is then empty and no file has changed. GUI thread.
bool OpenSong(CSongDoc& song, const std::filesystem::path& path, std::string& reason);

// The AutoRecover offer alone, for callers that open the song under the
// SongMutex: the question is asked before the lock is taken.
enum class AutoRecoverAnswer { NoCopy, OpenCopy, DropCopy };
AutoRecoverAnswer AskAutoRecover(IPrompt& prompt, const std::filesystem::path& path);
bool OpenSong(CSongDoc& song, const std::filesystem::path& path, std::string& reason,
              AutoRecoverAnswer recover);

// The same from bytes in memory, without the AutoRecover offer; 0 bytes are
// no song file. For tests, the fuzzer and the AutoRecover copy.
bool OpenSongBytes(CSongDoc& song, std::span<const uint8_t> bytes, SongFileKind kind,
                   std::string& reason);

// Rebuilds a track's events and initial settings from its play image. With
// autoProps on, bank, program, the managed controllers and RPN values at the
// start become the track's settings and repeats are dropped; with `others`
// given, a repeat stays when another track of the song set that controller
// on the channel to another value in between. Every distinct channel of a
// channel message is appended to `channels`, when given, in the order first
// seen. False when the track would hold more than kMaxTrackEvents events
// (the events read so far are kept). GUI thread.
bool ReadTrackChunk(CTrack& track, bool autoProps, std::vector<uint8_t>* channels = nullptr,
                    ChannelSettingsLog* others = nullptr);

} // namespace rz
