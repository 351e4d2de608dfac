#pragma once

#include "core/set_link.h"
#include "set/set_navigator.h"
#include "set/set_tree.h"
#include "song/song_doc.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rz {

struct SetFileImage;

// The set document calls the program's main window: the application's
// StatusLine implements ISetDocumentHost. GUI thread.
class ISetDocumentHost {
public:
    virtual ~ISetDocumentHost() = default;

    // The status line shows `prompt` with `text` as its status text, and the
    // main window repaints, so a set being read grows visibly.
    virtual void showSetProgress(std::string_view prompt, std::string_view text) = 0;
    // The status line's idle prompt again.
    virtual void endSetProgress() = 0;
    // The main tool bar's performance-mode button is locked (shown pressed).
    virtual bool performanceLocked() const = 0;
    // Performance mode on, its button locked.
    virtual void lockPerformance() = 0;
};

// The open set: its song documents, the set file and folder, the show order
// (SetTree) and which songs are loaded. A set without a set file merely
// gathers the songs opened from anywhere: its modified flag is ignored and
// saving writes nothing. GUI thread, except songOfItem().
class SetDocument : public ISetLink {
public:
    // "SetOptions" "MaxSetSize" when the profile has none.
    static constexpr int kDefaultMaxSetSize = 80;

    // Elapsed and total length of the enabled songs, µs.
    struct Totals {
        double elapsed = 0.0; // the songs before the current one
        double total = 0.0;
    };

    // Songs are made with `songContext`, whose set link becomes this set.
    SetDocument(const SongContext& songContext, ISetDocumentHost& host);
    ~SetDocument() override;
    SetDocument(const SetDocument&) = delete;
    SetDocument& operator=(const SetDocument&) = delete;

    const SongContext& songContext() const { return m_songContext; }
    SetTree& tree() { return m_tree; }
    const SetTree& tree() const { return m_tree; }

    // The set file.
    bool hasSetFile() const { return !m_noSetFile; }
    bool hasFile() const { return hasSetFile(); }
    const std::filesystem::path& pathName() const { return m_path; }
    // The set file's folder; empty without a set file.
    const std::filesystem::path& setFolder() const { return m_folder; }
    std::filesystem::path folder() const override { return m_folder; }
    // The set file's name without ".set"; "Untitled" without one.
    std::string title() const;
    // The set's own flag; its songs keep theirs.
    bool IsModified() const { return m_modified; }
    // Ignored without a set file.
    void SetModifiedFlag(bool modified = true);

    // The song documents: a song entered twice is one document.
    int CountSongs() const { return int(m_songs.size()); }
    size_t size() const { return m_songs.size(); }
    std::vector<CSongDoc*> songs() const;
    // The song of the index-th song item, depth-first, disabled songs
    // counted; null past the end.
    CSongDoc* songAt(size_t index) const;
    // The index of the song's first item as songAt() counts; -1 when none.
    int indexOf(const CSongDoc* song) const;
    bool contains(const CSongDoc* song) const { return entryOf(song) != nullptr; }
    // The song whose whole path equals `path`; null when none.
    CSongDoc* findSongByName(const std::filesystem::path& path) const;
    // How many items of the tree stand for the song.
    int entryCount(const CSongDoc& song) const;
    // The song's last read failed.
    bool loadFailed(const CSongDoc& song) const;

    void setDisabled(CSongDoc& song, bool disabled);
    bool isDisabled(const CSongDoc& song) const;
    // The song the next step goes to first.
    void setNextMark(CSongDoc& song, bool marked);
    bool hasNextMark(const CSongDoc& song) const;

    // A new, empty set without a set file.
    void OnNewDocument();
    // Reads the set file whole before anything changes: a file that cannot
    // be read or decoded gives its message and leaves the set as it was.
    // The caller asks SaveModified() first.
    bool OnOpenDocument(const std::filesystem::path& path);
    // Writes the set file; without a set file writes nothing and succeeds.
    // A failed write gives its message; the old file stays, the set modified.
    bool OnSaveDocument(const std::filesystem::path& path);
    bool DoFileSave() { return OnSaveDocument(m_path); }
    // Each modified song's question, then (with a set file) the set's own;
    // false when the user cancelled or a save failed.
    bool SaveModified();
    // Every song goes without a question; the set has no set file after.
    void DeleteContents();
    // The same, used when the program closes.
    void CloseAllDocuments() { DeleteContents(); }

    // Adds an item for the song file at `place`, reusing the document that
    // has the path. loadMode: -1 disabled, 0 not read, 1 read. select: the
    // song becomes current (only when it is loaded). A failed read keeps the
    // song, unloaded, and gives the reader's reason when asked for.
    CSongDoc* AddSong(const std::filesystem::path& path, const TreePlace& place, int loadMode,
                      bool select, std::string* reason = nullptr);
    // AddSong without selecting, for a file the user opens: with loadMode 1
    // the song is read first (a document of that path already in the set
    // only when not loaded), and a song that cannot be read leaves the set
    // as it was: null with the reader's reason.
    CSongDoc* AddSongIfReadable(const std::filesystem::path& path, const TreePlace& place,
                                int loadMode, std::string& reason);
    // Adds a song made elsewhere just before the status item.
    CSongDoc* AddSong(std::unique_ptr<CSongDoc> song);
    // Adds a loaded, selected song just before the selection (as a folder's
    // first child when a folder is selected); the set is modified.
    CSongDoc* InsertSongAtSelection(const std::filesystem::path& path);
    // Where InsertSongAtSelection puts a song: a selected folder's first
    // child, else just before the selection (a marker stands for its song).
    TreePlace placeAtSelection() const;
    // Copies a song file from elsewhere, with its clips, into the set folder
    // and inserts it at the selection. False (messages given) when nothing
    // changed.
    bool ImportSong(const std::filesystem::path& path);
    // One item of the song leaves the set (the given one, else its last);
    // the document goes with its last item. With a set file the set is
    // saved at once.
    void RemoveSong(CSongDoc& song, SetTreeItem* item = nullptr);
    // Every modified song, then the set when it has a file and is modified.
    void SaveAllSongs();
    // What SaveAllSongs would write: a modified song, or a set with a file
    // that is modified.
    bool anyModified() const;
    // Reads a song of the set under the SongMutex.
    bool loadSong(CSongDoc& song, std::string& reason);
    // With more songs than "SetOptions" "MaxSetSize" (default 80), every
    // other loaded song that is unmodified, has no undo steps and is neither
    // current nor marked to play next is unloaded.
    void EnforceMaxSetSize(const CSongDoc* keep);
    // Every song's user tracks look up their port's synthesizer again.
    void UpdateTrackSynths();
    // Song files (".mid", ".kar") below `folder`, sorted. Sub-folders that
    // hold a set of their own and links to folders are not entered.
    static void ScanFolder(const std::filesystem::path& folder,
                           std::vector<std::filesystem::path>& list);
    // Stops the transport and makes the index-th song item's song current
    // from its start, reading it when needed; none past the end.
    CSongDoc* SelectSongByIndex(size_t index);

    // The application calls it whenever the current song changes; the
    // tree's current song item follows unless it already names the song.
    void setCurrent(CSongDoc* song);
    CSongDoc* current() const { return m_current; }
    const Totals& totals() const { return m_totals; }
    // Candidates for the next step, best first: a marked, enabled, loaded
    // song, then every enabled song after the current one in show order.
    std::vector<CSongDoc*> nextSongCandidates() const;
    // The enabled song before the current one; null when none.
    CSongDoc* previousSong() const;

    // A song's first item; valid while the item exists.
    SetItemHandle handleOf(const CSongDoc* song) const;
    // Any thread; never waits longer than a look-up takes.
    CSongDoc* songOfItem(SetItemHandle item) const;

    // The show order at work: stepping and what the items show.
    SetNavigator& navigator() { return m_navigator; }
    const SetNavigator& navigator() const { return m_navigator; }
    // Where the engine learns which item a Skip goes to; may be empty.
    void setNextSongPublisher(std::function<void(SetItemHandle)> publish)
    {
        m_publishNext = std::move(publish);
    }
    void publishNextSong(SetItemHandle item)
    {
        if (m_publishNext)
            m_publishNext(item);
    }

    // Called after a restored layout; may be empty.
    void setViewsUpdater(std::function<void()> update) { m_updateViews = std::move(update); }

    // ISetLink.
    void UpdateTotals() override;
    void UpdateSongCaption(CSongDoc& song) override { m_navigator.UpdateSongCaption(song); }
    void UpdateMarkers(CSongDoc& song) override { m_navigator.UpdateMarkers(song); }
    SetItemHandle FindAdjacentSong(bool previous) override;
    void updateSetViews() override;
    bool isStandAlone() const override { return m_noSetFile; }
    void setModified() override { SetModifiedFlag(true); }

private:
    // A song document of the set and what the set keeps about it.
    struct SongEntry {
        std::unique_ptr<CSongDoc> song;
        int entries = 0;         // items standing for it
        bool disabled = false;
        bool nextMark = false;
        bool loadFailed = false;
        std::string storedName;  // the path as the set file held it
        std::filesystem::path storedPath; // where that name led
    };

    SongEntry* entryOf(const CSongDoc* song) const;
    SongEntry& addEntry(std::unique_ptr<SongEntry> entry);
    // AddSong without the totals and the activation: `known` is the song of
    // that path already in the set, or null; `select` turns false when the
    // song is not to be activated.
    CSongDoc* placeSong(CSongDoc* known, const std::filesystem::path& path, const TreePlace& place,
                        int loadMode, bool& select, std::string* reason);
    SetTreeItem* currentItem() const;
    void readImage(const SetFileImage& image);
    void addStraySongs();
    std::filesystem::path resolveStoredPath(const std::string& stored) const;
    std::vector<uint8_t> encode() const;
    void unloadSong(CSongDoc& song);
    void destroySong(CSongDoc& song);

    SongContext m_songContext;
    ISetDocumentHost& m_host;
    SetTree m_tree;
    SetNavigator m_navigator{*this}; // torn down after the songs
    std::vector<std::unique_ptr<SongEntry>> m_songs; // in the order they joined
    std::unordered_map<const CSongDoc*, SongEntry*> m_entryBySong; // every entry of m_songs
    bool m_noSetFile = true;
    bool m_modified = false;
    std::filesystem::path m_path;
    std::filesystem::path m_folder;
    CSongDoc* m_current = nullptr;
    Totals m_totals;
    std::function<void()> m_updateViews;
    std::function<void(SetItemHandle)> m_publishNext;
};

} // namespace rz
