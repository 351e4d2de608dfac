#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;
class CTrack;
class IProfile;
class ISynthLookup;
class ITrackRows;

// The piano roll's pitch rows, keyboard strip, shown tracks and the notes a
// paint draws. Row r shows key 108 - r, keys 21 (A0) to 108 (C8); a note is
// drawn at its key plus its track's transposition. Pure; GUI thread.
struct PianoLayout {
    static constexpr int kTopKey = 108;
    static constexpr int kBottomKey = 21;
    static constexpr int kRows = kTopKey - kBottomKey + 1;
    static constexpr int kMiddleC = 60;
    static constexpr int kNarrowStrip = 24; // the key picture alone
    static constexpr int kWideStrip = 120;  // with the drum-note names
    static constexpr int kNamesFromRowHeight = 6;
    static constexpr int kDefaultRowHeight = 10;
    static constexpr std::array<int, 7> kRowHeights{2, 3, 4, 6, 8, 10, 12};

    int rowHeight = kDefaultRowHeight; // pixels
    int firstRow = 0;                  // the row at the top of the note area
    int noteTop = 0;                   // client y of the note area

    static int keyOfRow(int row) { return kTopKey - row; }
    static int rowOfKey(int key) { return kTopKey - key; }
    static bool shownKey(int key) { return key >= kBottomKey && key <= kTopKey; }
    // Pitch classes 1, 3, 6, 8 and 10, counting C as 0.
    static bool blackKey(int key);

    int keyboardHeight() const { return kRows * rowHeight; }
    // The key whose row holds client `y`; -1 outside 21..108.
    int keyAtY(int y) const;
    // Client y of the top of a key's row.
    int yOfKey(int key) const;
    // The largest first row with the keyboard still filling `plotHeight`.
    int maxFirstRow(int plotHeight) const;

    // A stored row height; anything but the seven heights reads as 10.
    static int storedRowHeight(int value);
    struct Zoom {
        int rowHeight = kDefaultRowHeight;
        int firstRow = 0;
    };
    // One step of the row height, keeping the first row in proportion; no
    // step past either end.
    static Zoom zoomIn(Zoom from, int plotHeight);
    static Zoom zoomOut(Zoom from, int plotHeight);

    // The strip is wide, with note names, when one track is shown at a row
    // height of 6 or more and the database knows its drum set and its drum
    // channels (none, or its own).
    static int stripWidth(const CSongDoc& song, const std::vector<int>& shown, int rowHeight);
    // The drum set of a lone shown track, for names; nothing otherwise.
    static std::optional<std::string> drumSetOf(const CSongDoc& song, const CTrack& track);

    // The MIDI tracks whose rows the track view selected, in list order;
    // while the conductor track's record mark is not 0, the marked ones first.
    static std::vector<int> shownTracks(const CSongDoc& song, const ITrackRows* rows);

    // Indices of the note-ons of a track sounding in [from, to): those begun
    // in an earlier stretch through its seek point, then the events from the
    // stretch's start found by bisection. In event order after the first.
    static void visibleNotes(const CSongDoc& song, const CTrack& track, int32_t from, int32_t to,
                             std::vector<size_t>& out);

    // Subdivision lines of a measure: its length over the grid, thinned by
    // 3 or 2 while more than 2 and closer than 8 pixels. The grid is at
    // least one tick.
    static int subdivisions(int32_t measureLength, int gridValue, int timeBase, int measurePixels);
};

// "DisplayOptions" "PianoZoom", the row height the piano and velocity views
// share.
int readPianoZoom(const IProfile& profile);
void writePianoZoom(IProfile& profile, int rowHeight);

} // namespace rz
