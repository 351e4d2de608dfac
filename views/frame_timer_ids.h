#pragma once

#include "core/engine_host.h"

namespace rz::frame_timer {

// The main frame's timers by what they do when they fire. The application
// picks the action from the id alone (FrameTimerTasks); a few ids are
// started by the engine (FrameTimer) or by a view through its context, so
// views/ holds them.

// Ids 1..12 are view requests: the view of that ViewKind in its pane.
inline constexpr int kFirstPaneView = 1;
inline constexpr int kLastEditorView = 8;
inline constexpr int kLastPaneView = 12;

// Views torn off into windows of their own.
inline constexpr int kStaffWindow = 20;
inline constexpr int kLeadSheetWindow = 21;
inline constexpr int kTracksWindow = 23;   // the track list asks for it too
inline constexpr int kLyricAtStoredPlace = 24;
inline constexpr int kLyricSmall = 25;     // then two larger sizes
inline constexpr int kLyricLargest = 27;

// Started with the frame, every 100 ms: the VST editors' idle calls.
inline constexpr int kIdleVstEditors = 99;
// A tapped tempo steps back towards 100 %.
inline constexpr int kTempoReturn = int(FrameTimer::TempoReturn);
// A held external control repeats its action.
inline constexpr int kControlRepeat = 111;
// The update notice after the start-up check found a newer release.
inline constexpr int kUpdateNotice = 123;
// Start-up: layout, accelerators and the file opened last.
inline constexpr int kStartup = 222;
// The auto-save minute.
inline constexpr int kAutoSave = 333;
// The engine switched itself to another song of the set.
inline constexpr int kSkipSwitched = int(FrameTimer::SkipSwitched);
// The song in play has ended.
inline constexpr int kSongEnded = int(FrameTimer::SongEnded);
// The countdown to the next song of the set.
inline constexpr int kAdvance = 667;
// The single-instance queue and the clock, once a second.
inline constexpr int kMailslot = 999;

} // namespace rz::frame_timer
