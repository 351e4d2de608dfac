#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/color.h"

namespace rz {

class ISongDisplayOptions;
class ITransportLink;

enum CueKind : int32_t {
    kCueMarker = 0,
    kCueCaesura = 1,
    kCueFermata = 2,
    kCueVamp = 3,
    kCueSkip = 4,
    kCueAdLib = 5,
    kCueHoldCut = 6,
    kCueUnused7 = 7, // not offered in the pickers; vamp-like
    kCueAdvanceCut = 8,
    kCueAdvance = 9,
};
inline constexpr int kCueKindCount = 10;

// Names shown in the cue-type pickers, by kind ("-" is never offered).
inline constexpr std::array<const char*, kCueKindCount> kCueKindNames = {
    "Marker", "Caesura (cut)", "Fermata (hold)", "Vamp (repeat)", "Skip",
    "Ad lib (cola voce)", "Hold & Cut", "-", "Advance & Cut", "Advance"};

// The kinds whose repeat count and second count are used and stored.
constexpr bool isVampLike(int kind)
{
    return kind == kCueVamp || kind == kCueUnused7 || kind == kCueAdvanceCut || kind == kCueAdvance;
}

// A kind read from outside (a file, a dialog): anything outside 0..9 is a Marker,
// so it can index the colour and icon tables.
constexpr int32_t validCueKind(int kind)
{
    return kind >= 0 && kind < kCueKindCount ? kind : kCueMarker;
}

// A named, timed instruction to the performer and the sequencer.
struct CCue {
    std::string name;         // bytes as stored
    int32_t kind = kCueMarker;
    int32_t repeatCount = 0;  // vamp-like: repetitions, 0 until told to stop
    int32_t secondCount = 0;  // vamp-like: measures to leave early on the last pass
    int32_t time = 0;         // tick; for a vamp-like cue the end of the stretch
    int32_t secondTime = 0;   // the stretch start, skip target, ad-lib end or resume point
    uint32_t selectionStamp = 0;
    int32_t selectedState = 0; // 1 drawn selected, -1 never, else by the stamp

    // The tick the song's cue order uses: the second time for Ad lib, else the time.
    int32_t GetTime() const { return kind == kCueAdLib ? secondTime : time; }
    // The name, and for kinds 3, 8 and 9 with a repeat count "(%dx)" after a space
    // (no space when the name is empty).
    std::string GetLabel() const;
    // The kind's colour, lightened while this is the engine's running vamp with
    // repetitions left other than 1; the text colour that reads on it.
    void GetColors(const ISongDisplayOptions& host, const ITransportLink& engine, Color& fill,
                   Color& text) const;
};

// Cues an undo record carries: the indices it takes out, where its cues go in,
// and the cues in time order.
struct CCueSet {
    std::vector<uint32_t> removeKeys;
    std::vector<uint32_t> insertKeys;
    std::vector<CCue> cues;
};

// A song's cues in the order of GetTime. Held through pointers: the sequencer
// and the views keep the address of a cue (the running vamp, a dragged flag)
// across inserts.
using CueList = std::vector<std::unique_ptr<CCue>>;

// Where a cue sorts into a list kept in this order: the first index whose
// cue's effective time is above the new one's, or equal with a larger
// min(time, second time); the count when none. Logarithmic; constant when the
// cue goes last.
int FindCueInsertPos(const CueList& cues, const CCue& cue);
// Inserts the cue at its place in time order; returns its index.
int insertCueInOrder(CueList& cues, std::unique_ptr<CCue> cue);

// Most repeat and second counts a dialog sets.
inline constexpr int32_t kMaxCueCount = 999;

// Largest name a stored record carries.
inline constexpr size_t kMaxStoredCueName = 127;

// Builds a cue from its stored record: the kind, a 28-bit value in four
// 7-bit groups (least significant first), the name bytes and the record's
// tick. Vamp-like names may begin "count||second||".
CCue cueFromStoredRecord(int kind, std::span<const uint8_t, 4> valueGroups,
                         std::span<const uint8_t> nameBytes, int32_t tick);

} // namespace rz
