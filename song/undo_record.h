#pragma once

#include <cstdint>
#include <string>

namespace rz {

// What an undo record carries; the same bits are the update hint every view
// receives after undo and redo.
inline constexpr uint32_t kUndoCues = 0x1;
inline constexpr uint32_t kUndoTempo = 0x2;
inline constexpr uint32_t kUndoEvents = 0x4;
inline constexpr uint32_t kUndoMeasures = 0x8;
inline constexpr uint32_t kUndoInsertTime = 0x10;
inline constexpr uint32_t kUndoDeleteTime = 0x20;
inline constexpr uint32_t kUndoControllerEdit = 0x40;
inline constexpr uint32_t kUndoCoalesce = 0x100;
inline constexpr uint32_t kUndoTrackList = 0x1000;
inline constexpr uint32_t kUndoTrackProps = 0x2000;
inline constexpr uint32_t kUndoSelectTracks = 0x4000;
inline constexpr uint32_t kUndoSongProps = 0x400000;

// One applied edit on a song's undo list: what it changes and its menu label.
struct CUndoRecord {
    uint32_t flags = 0;
    std::string label; // shown after "&Undo " and "&Redo "
};

} // namespace rz
