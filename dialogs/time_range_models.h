#pragma once

// What the time-range dialogs decide, without widgets: the values they open
// with, which controls are live, and the parameters and profile values at
// OK. Each reads its song and the profile's "Defaults" and changes neither
// until `save`. GUI thread.

#include "core/edit_dialogs.h"

#include <array>
#include <cstdint>

namespace rz {

class CSongDoc;
class IProfile;
struct AppClipboard;

// A "% of q.note" amount behind its check box.
struct PercentAmount {
    bool on = false;
    int32_t percent = 0;
    // Ticks at the time base; 0 with the box off or greyed.
    int32_t ticks(int timeBase, bool boxEnabled = true) const;
};

// The selection's ends both lie on a beat.
bool selectionOnBeats(const CSongDoc& song);
// Track rows selected in the track view; 0 without one.
int selectedRowCount(const CSongDoc& song);

class CopyTimeModel {
public:
    static constexpr int32_t kMaxOffset = 120; // percent

    CopyTimeModel(const CSongDoc& song, bool controllerViewOpen);

    CopyTimeMode mode = CopyTimeMode::All; // every opening starts here
    PercentAmount offset;
    // "Just controller changes shown in the controller view" needs that view.
    bool controllersEnabled() const { return m_controllerView; }

    CopyTimeParams params() const;
    void save(IProfile& profile) const;

private:
    int m_timeBase;
    bool m_controllerView;
};

class DeleteTimeModel {
public:
    static constexpr int32_t kMaxAmount = 480; // percent

    explicit DeleteTimeModel(const CSongDoc& song);

    bool shiftAll = true; // "All within time range, then shift other events to fill hole"
    bool cues = true;
    bool events = true;
    bool tempos = true;
    bool selectedTracksOnly = false;
    bool measures = false;        // "Beat and measure boundaries"
    bool preserveNumbers = false; // "Preserve measure numbers"
    PercentAmount offset;
    PercentAmount shorten;

    struct Enabling {
        bool kinds;              // cues, tempo changes, events in tracks
        bool selectedTracksOnly;
        bool measures;
        bool preserveNumbers;
        bool offsetAmount;
        bool shortenAmount;
    };
    Enabling enabling() const;
    bool onBeats() const { return m_onBeats; }

    DeleteTimeParams params() const;
    // The measure keys only while their box can be used.
    void save(IProfile& profile) const;

private:
    int m_timeBase;
    bool m_onBeats;
    bool m_anySelected;
};

class InsertTimeModel {
public:
    static constexpr int32_t kMaxCount = 999;
    static constexpr int32_t kMaxBeats = 32;
    static constexpr std::array<const char*, 6> kBeatValues = {"1", "2", "4", "8", "16", "32"};
    // Index 7 - key: seven sharps first.
    static constexpr std::array<const char*, 15> kKeyNames = {
        "7 Sharps (C-Sharp)", "6 Sharps (F-Sharp)", "5 Sharps (B)", "4 Sharps (E)", "3 Sharps (A)",
        "2 Sharps (D)",       "1 Sharp (G)",        "C",            "1 Flat (F)",   "2 Flats (B-Flat)",
        "3 Flats (E-Flat)",   "4 Flats (A-Flat)",   "5 Flats (D-Flat)", "6 Flats (G-Flat)",
        "7 Flats (C-Flat)"};

    explicit InsertTimeModel(const CSongDoc& song);

    InsertTimeMethod method = InsertTimeMethod::Measures;
    int32_t count = 1; // "How many?"
    int32_t numerator = 4;
    int32_t beatValue = 2; // index into kBeatValues
    int32_t keyIndex = 7;  // index into kKeyNames
    bool preserveNumbers = true;
    PercentAmount offset;
    PercentAmount stretch;

    struct Enabling {
        bool otherMethods; // all but "Ticks at current time"
        bool measureFields; // beats, beat value, key, preserve numbers
        bool smpte;
        bool offsetAmount;
        bool stretchAmount;
    };
    Enabling enabling() const;
    bool onBeat() const { return m_onBeat; }

    // The time code that `ms` milliseconds after the song position reach (µs).
    double smpteFor(int32_t ms) const;
    // The milliseconds from the song position to a time code, rounded, at least 0.
    int32_t countFor(double smpte) const;

    InsertTimeParams params() const;
    void save(IProfile& profile) const;

private:
    int m_timeBase;
    double m_positionTime; // the song position as time code, µs
    bool m_onBeat;
};

class PasteTimeModel {
public:
    static constexpr int32_t kMaxCopies = 256;

    PasteTimeModel(const CSongDoc& song, const AppClipboard& clipboard, int32_t position);

    int32_t copies = 1;
    PasteMethod method = PasteMethod::Insert;
    bool cues = false;
    bool tempos = false;
    bool events = false;
    bool measures = false;
    bool selectedTracksOnly = false;
    bool preserveNumbers = true;
    PercentAmount offset;
    PercentAmount stretch;
    int32_t firstCopy = 0;

    struct Enabling {
        bool cues, tempos, events, measures;
        bool selectedTracksOnly;
        bool preserveNumbers;
        bool offsetBox, offsetAmount;
        bool stretchBox, stretchAmount;
    };
    // Measures only while the first copy lies on a beat.
    Enabling enabling() const;

    PasteTimeParams params() const;
    void save(IProfile& profile) const;

private:
    const CSongDoc& m_song;
    bool m_hasCues, m_hasTempos, m_hasEvents, m_hasMeasures;
    bool m_anySelected;
};

class PasteEventsModel {
public:
    static constexpr int32_t kMaxCopies = 256;

    PasteEventsModel(const CSongDoc& song, const AppClipboard& clipboard, int32_t position);

    int32_t copies = 1;
    PasteTarget target = PasteTarget::SourceTracks;
    bool onlyNotes = false;
    int32_t firstCopy = 0;
    int32_t secondCopy = 0;

    // Distinct source tracks of the copied events, and the tracks to paste to.
    int sources() const { return m_sources; }
    int selected() const { return m_selected; }

    struct Enabling {
        bool selectedTracks; // "Selected &track(s)"
        bool mixdown;
        bool secondCopy;
    };
    Enabling enabling() const;

    PasteEventsParams params() const;
    void save(IProfile& profile) const;

private:
    int m_sources = 0;
    int m_selected = 0;
};

} // namespace rz
