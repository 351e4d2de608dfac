#pragma once

#include "core/set_link.h"
#include "song/song_doc.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace rz {

// The open set as the application sees it: an untitled set held in memory
// that reads and writes no set file. It owns its song documents in set
// order; a song whose file was given twice is one entry. GUI thread, except
// songOfItem().
class SetModel : public ISetLink {
public:
    // Elapsed and total length of the enabled songs, µs.
    struct Totals {
        double elapsed = 0.0; // the songs before the current one
        double total = 0.0;
    };

    // Songs are made with `songContext`, whose set link becomes this set.
    explicit SetModel(const SongContext& songContext);
    ~SetModel() override;
    SetModel(const SetModel&) = delete;
    SetModel& operator=(const SetModel&) = delete;

    const SongContext& songContext() const { return m_songContext; }

    size_t size() const { return m_entries.size(); }
    // Null past the end.
    CSongDoc* songAt(size_t index) const;
    // -1 when the song is not in the set.
    int indexOf(const CSongDoc* song) const;
    bool contains(const CSongDoc* song) const { return indexOf(song) >= 0; }
    // The first song whose path equals `path` ignoring case; null when none.
    CSongDoc* findSongByName(const std::filesystem::path& path) const;

    // An untitled set has no set file until the set document replaces it.
    bool hasFile() const { return false; }
    std::string title() const { return "Untitled"; }
    // The set itself or one of its songs is modified.
    bool IsModified() const;
    bool setItselfModified() const { return m_modified; }

    // Adds the song file at the end, or finds the entry that has it. Reads
    // it when `load` and it is not loaded yet; a failed read leaves the song
    // in the set unloaded and gives the reader's reason.
    CSongDoc* AddSong(const std::filesystem::path& path, bool load, std::string& reason);
    // Adds a song made elsewhere at the end.
    CSongDoc* addSong(std::unique_ptr<CSongDoc> song);
    void setDisabled(CSongDoc& song, bool disabled);
    bool isDisabled(const CSongDoc& song) const;
    // The song the next step goes to first.
    void setNextMark(CSongDoc& song, bool marked);

    // The application calls it whenever the current song changes.
    void setCurrent(CSongDoc* song) { m_current = song; }
    CSongDoc* current() const { return m_current; }
    // With more songs than "SetOptions" "MaxSetSize" (default 80), every
    // other loaded song that is not modified and has no undo steps is closed.
    void EnforceMaxSetSize(const CSongDoc* keep);
    const Totals& totals() const { return m_totals; }
    // Candidates for the next step, best first: a marked, enabled, loaded
    // song, then every enabled song after the current one in set order.
    std::vector<CSongDoc*> nextSongCandidates() const;
    // The enabled song before the current one; null when none.
    CSongDoc* previousSong() const;

    // Each modified song's save question, in set order; false when the user
    // cancelled one (the others asked so far keep their answers).
    bool SaveModified();
    // Empties the set: every song's contents go without a question.
    void CloseAllDocuments();

    // Items are entries; a handle stays valid until its song leaves the set.
    SetItemHandle handleOf(const CSongDoc* song) const;
    // Any thread; never waits longer than a copy of the list takes.
    CSongDoc* songOfItem(SetItemHandle item) const;

    // Called after a restored layout; may be empty.
    void setViewsUpdater(std::function<void()> update) { m_updateViews = std::move(update); }

    // ISetLink.
    void UpdateTotals() override;
    // Empty: no set pane shows captions or markers yet.
    void UpdateSongCaption(CSongDoc&) override {}
    void UpdateMarkers(CSongDoc&) override {}
    SetItemHandle FindAdjacentSong(bool previous) override;
    void updateSetViews() override;
    bool isStandAlone() const override { return !hasFile(); }
    void setModified() override { m_modified = true; }

private:
    struct Entry {
        std::unique_ptr<CSongDoc> song;
        bool disabled = false;
        bool nextMark = false;
    };

    Entry* entryOf(const CSongDoc* song) const;
    int countSongs() const { return int(m_entries.size()); }

    SongContext m_songContext;
    std::vector<std::unique_ptr<Entry>> m_entries;
    mutable std::mutex m_entriesMutex; // held by writers and songOfItem only
    CSongDoc* m_current = nullptr;
    Totals m_totals;
    bool m_modified = false;
    std::function<void()> m_updateViews;
};

} // namespace rz
