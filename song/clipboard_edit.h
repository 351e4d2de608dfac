#pragma once

// What copy, cut, delete and paste share. GUI thread.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/edit_dialogs.h"
#include "song/clipboard.h"
#include "song/event_list.h"
#include "song/track.h"

namespace rz {

class CSongDoc;
class CTrack;

inline constexpr char kFileCopyFailed[] =
    "Sorry, the file copy operation failed.  Do you have enough disk space?";
// The last tick an edit may put anything at, wide for clamping sums.
inline constexpr int64_t kLastEditTick = kLastTick;

bool hasEditDialog(const CSongDoc& song, EditDialog dialog);

// Whether a track's row counts as selected: the current row in current-row
// mode, else a selected row; none without a track view.
bool isRowSelected(const CSongDoc& song, size_t track);

// A note, key-off or key pressure with its key moved by `semitones` (folded);
// other messages unchanged.
uint32_t transposeKey(uint32_t message, int semitones);

// Saturates a 64-bit tick into 32 bits.
int32_t tickOf(int64_t tick);

// A new track with the settings of `source`: not its events, image or items.
std::unique_ptr<CTrack> copyTrackSettings(const CTrack& source);

// The wave files a copy or paste makes, each a copy of a clip's file under a
// new name in the work folder. Unless kept, they are removed again when the
// copy or paste ends without using them.
class ClipFileCopies {
public:
    explicit ClipFileCopies(CSongDoc& song) : m_song(song) {}
    ~ClipFileCopies();
    ClipFileCopies(const ClipFileCopies&) = delete;
    ClipFileCopies& operator=(const ClipFileCopies&) = delete;

    // Gives an audio-clip event a new, unloaded clip for a copy of its file,
    // keeping the repeat count; other events pass. False, with the failure
    // reported to the user, when the file could not be copied.
    bool duplicate(CMidiEvent& event);
    // The copies are in use from now on.
    void keep() { m_made.clear(); }

private:
    CSongDoc& m_song;
    std::vector<std::filesystem::path> m_made;
    bool m_failed = false;
};

// Collects events for a CEventList unsorted, then sorts once: inserting one
// by one would be quadratic in the size of a paste.
class EventListBuilder {
public:
    void remove(uint32_t sourceKey) { m_sourceKeys.push_back(sourceKey); }
    void insert(CMidiEvent event, uint32_t sortKey);
    bool empty() const { return m_sourceKeys.empty() && m_entries.empty(); }
    std::unique_ptr<CEventList> build();

private:
    struct Entry {
        uint32_t sortKey;
        CMidiEvent event;
    };
    std::vector<uint32_t> m_sourceKeys;
    std::vector<Entry> m_entries;
};

// Cues in the order a record's cue set must hold them.
void sortCuesByTime(std::vector<CCue>& cues);

// A note that starts before `windowStart` and ends at or after
// from + threshold: its duration once shortened to end threshold ticks after
// `from`, or, when longer, its duration less `removed`.
int32_t shortenedDuration(const CMidiEvent& note, int64_t from, int32_t threshold, int64_t removed);
bool encroaches(const CMidiEvent& event, int64_t windowStart, int64_t from, int32_t threshold);

} // namespace rz
