#pragma once

#include "set/set_tree.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace rz {

class SetDocument;

// What the set's view is told when items change. GUI thread.
class ISetTreeObserver {
public:
    virtual ~ISetTreeObserver() = default;
    // The item's caption, images or children changed.
    virtual void itemChanged(const SetTreeItem* item) = 0;
    // Items came or went, or moved.
    virtual void treeReset() = 0;
    // In performance mode the current song scrolls to the top.
    virtual void scrollToTop(const SetTreeItem* item) = 0;
};

// The show order at work: which song and marker play, stepping to the next
// or previous song and activating songs chosen by name, index or the user.
// GUI thread only; the engine reads the published next-song item.
class SetNavigator {
public:
    // The normal images, by number.
    static constexpr int kStatusImage = 0;
    static constexpr int kSongImage = 1;
    static constexpr int kOutsideSongImage = 13;   // loaded, outside the set folder
    static constexpr int kUnloadedSongImage = 14;
    static constexpr int kFolderImage = 15;
    static constexpr int kOutsideUnloadedImage = 16;
    // The state images.
    static constexpr int kStatePlain = 1;
    static constexpr int kStateCurrent = 2;
    static constexpr int kStateFailed = 3;
    static constexpr int kStateDisabled = 4;
    static constexpr int kStateMarked = 5; // marked next, or a pending jump

    explicit SetNavigator(SetDocument& set);
    SetNavigator(const SetNavigator&) = delete;
    SetNavigator& operator=(const SetNavigator&) = delete;

    void setObserver(ISetTreeObserver* observer) { m_observer = observer; }

    // Stops the transport and makes the item's song current at `startTick`
    // (-1 its own position), reading it when needed. The status item makes
    // no song current. Null for a folder, a marker or a song not read.
    CSongDoc* ActivateSongItem(SetTreeItem* item, int32_t startTick);
    // A marked, enabled, loaded song first, then the first enabled song
    // after the current one. Songs whose read failed are passed over (with
    // `activate` once they fail), and with `toPlay` also songs of no length.
    // Null at the end of the set.
    SetTreeItem* FindAdjacentSong(bool activate, bool toPlay = false);
    // The caller stops the transport first. False, nothing changed, at the
    // end of the set. `toPlay`: the next song that can be played, as the
    // advance of a show and a Skip go to.
    bool StepSong(bool toPlay = false);
    // Only with a set file: the last enabled song before the current one
    // that can be read; false when none.
    bool StepToPreviousSong();
    // After the engine moved on by itself.
    CSongDoc* RevealCurrentSong();
    void UpdateCurrentMarker();
    void RefreshMarkerStates();
    // Go to on another song while playing in performance mode.
    void MarkNextSong(SetTreeItem* item);
    void ClearNextMarks();
    // The first song item with that whole path, from its start; none: no
    // song becomes current.
    CSongDoc* FindSongByName(const std::filesystem::path& path);
    // The index-th song item, depth-first, disabled songs counted; past the
    // end the status item.
    CSongDoc* SelectSongByIndex(size_t index);
    CSongDoc* ReturnToPreviousSong();

    // What the view draws for an item.
    int imageOf(const SetTreeItem* item) const;
    int stateOf(const SetTreeItem* item) const;
    std::string captionOf(const SetTreeItem* item) const;

    // Rebuilds the caption and state of every item of the song.
    void UpdateSongCaption(CSongDoc& song);
    // Rebuilds the marker children of every item of the song.
    void UpdateMarkers(CSongDoc& song);
    // Expands or collapses a song item (its markers) or a folder.
    void setExpanded(SetTreeItem* item, bool expanded);
    // Tells the engine which item a Skip goes to.
    void publishNextSong();

private:
    bool expandCollapse() const;
    // Reads a song of the set as activating it does; false after a failed
    // read, its caption updated.
    bool readSong(CSongDoc& song);
    bool mayGoTo(const CSongDoc& song, bool toPlay) const;
    bool activateToGo(SetTreeItem* item, bool toPlay);
    void makeCurrent(SetTreeItem* item);
    void collapseFolderChain(SetTreeItem* folder, const SetTreeItem* keep);
    void changed(const SetTreeItem* item);

    SetDocument& m_set;
    ISetTreeObserver* m_observer = nullptr;
};

} // namespace rz
