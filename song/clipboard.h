#pragma once

#include "core/muldiv.h"
#include "song/cue.h"
#include "song/measure_map.h"
#include "song/midi_event.h"
#include "song/tempo_map.h"
#include "song/track.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace rz {

// What the clipboard holds: a bit set, 0 empty.
inline constexpr uint32_t kClipboardSong = 0x1;        // a song of the set (its path)
inline constexpr uint32_t kClipboardCues = 0x2;        // cues, from a song or the set pane
inline constexpr uint32_t kClipboardTempos = 0x4;      // tempo entries
inline constexpr uint32_t kClipboardTracks = 0x8;      // whole tracks from the track view
inline constexpr uint32_t kClipboardEvents = 0x10;     // events, the stamp word their source track
inline constexpr uint32_t kClipboardTime = 0x40;       // a time range: measures, cues, tracks, tempos
inline constexpr uint32_t kClipboardControllers = 0x80; // points of a controller lane

// Every time in the clipboard is in these ticks per quarter note, so a copy
// pastes into a song of any time base.
inline constexpr int32_t kClipboardTimeBase = 1920;

// What was copied, kept by the application between copy and paste; it
// outlives changes of the current song. Only plain text ever goes to the
// system clipboard. GUI thread.
struct AppClipboard {
    uint32_t kind = 0;
    int32_t span = 0; // the copied length in clipboard ticks
    std::filesystem::path songPath;
    MeasureMap measures;
    CueList cues;     // times from the start of the copy
    TempoMap tempos;
    std::vector<CMidiEvent> events;
    std::vector<std::unique_ptr<CTrack>> tracks;
};

// Song ticks to clipboard ticks and back, rounded, in 64 bits: a time copied
// at any time base up to 1920 comes back on the same tick. Callers pass
// offsets from the start of a copy, so rounding never moves the start.
inline int64_t toClipboardTicks(int64_t ticks, int timeBase)
{
    return mulDiv64(ticks, kClipboardTimeBase, timeBase);
}
inline int64_t fromClipboardTicks(int64_t ticks, int timeBase)
{
    return mulDiv64(ticks, timeBase, kClipboardTimeBase);
}

// Empties the clipboard before every copy and at shut-down. Copied audio
// clips own wave files the copy made in the work folder; those are deleted,
// and a clip naming any other file leaves that file alone.
void ClearClipboard(AppClipboard& clipboard, const std::filesystem::path& workFolder);

// True when `file` lies inside `folder` (both made absolute and normal);
// a folder is not inside itself.
bool isInsideFolder(const std::filesystem::path& file, const std::filesystem::path& folder);

} // namespace rz
