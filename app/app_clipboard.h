#pragma once

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

// What was copied, kept by the application between copy and paste. Only
// plain text ever goes to the system clipboard. GUI thread.
struct AppClipboard {
    // 0 empty, 1 a song of the set, 2 cues of the set pane, 8 whole tracks;
    // 4, 0x10, 0x40 and 0x80 what the song's copy took.
    uint32_t kind = 0;
    int32_t span = 0; // the copied length, ticks at 1920 per quarter note
    std::filesystem::path songPath;
    MeasureMap measures;
    CueList cues;
    TempoMap tempos;
    std::vector<CMidiEvent> events;
    std::vector<std::unique_ptr<CTrack>> tracks;
};

inline constexpr uint32_t kClipboardSong = 1;

// Empties the clipboard before every copy and at shut-down. Copied audio
// clips own wave files the copy made in the work folder; those are deleted,
// and a clip naming any other file leaves that file alone.
void ClearClipboard(AppClipboard& clipboard, const std::filesystem::path& workFolder);

// What paste depends on besides the clipboard.
struct PasteState {
    bool stopped = true;
    bool performanceMode = false;
    bool setViewActive = false;       // the active view is the set tree
    bool setViewHasSelection = false;
    bool setHasFile = false;
    bool songCurrent = false;
};

bool CanPaste(const AppClipboard& clipboard, const PasteState& state);

// True when `file` lies inside `folder` (both made absolute and normal);
// a folder is not inside itself.
bool isInsideFolder(const std::filesystem::path& file, const std::filesystem::path& folder);

} // namespace rz
