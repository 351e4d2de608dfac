#pragma once

// What the move and measure-number dialogs decide, without widgets. Each
// reads its song and the profile's "Defaults" and writes the profile only
// in `save`. GUI thread.

#include "core/edit_dialogs.h"
#include "dialogs/time_range_models.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSongDoc;
class IProfile;

class MoveModel {
public:
    static constexpr int32_t kMaxOffset = 15360; // the offset spin steps within ±this
    static constexpr int32_t kMinPercent = 1;
    static constexpr int32_t kMaxPercent = 1000;
    // "Offset event selection by" steps within 0..this percent.
    static constexpr int32_t kMaxSelectionOffset = 100;

    // firstTick: the earliest tick of what moves.
    MoveModel(const CSongDoc& song, int32_t firstTick);

    MoveMethod method = MoveMethod::Offset;
    int32_t offsetValue = 0;
    int32_t units = 0; // index into unitNames()
    int32_t targetTime = 0;
    int32_t percent = 100;
    bool durations = true;
    bool cues = false;
    bool events = false;
    bool tempos = false;
    int32_t trackIndex = -1; // into trackItems(); -1 none
    bool mixdown = false;
    PercentAmount offset;
    bool selectedTracksOnly = true;

    // "Ticks", "Measures", then the note units.
    static std::vector<std::string> unitNames();
    // The user tracks as "%d: %s".
    const std::vector<std::string>& trackItems() const { return m_tracks; }

    struct Enabling {
        bool whatMoves;        // cues, events in tracks, tempo changes
        bool offsetBox;        // "Offset event selection by"
        bool offsetAmount;
        bool selectedTracksOnly;
        bool offsetFields;     // offset and its units
        bool targetPosition;
        bool percentFields;    // percent and "Change note durations by same percentage"
        bool trackFields;      // first target track and mix-down
    };
    Enabling enabling() const;

    MoveParams params() const;
    void save(IProfile& profile) const;

private:
    int m_timeBase;
    bool m_timeRange;
    bool m_rowsUsable;
    std::vector<std::string> m_tracks;
};

// A measure label as typed: digits, of which only the last may instead be a
// letter ("12", "12A", "A"); the number fits a measure's 16 bits.
struct MeasureLabel {
    int32_t number = 0;
    char letter = 0; // upper case, 0 none
    bool operator==(const MeasureLabel&) const = default;
};
// None for anything else, for an empty text and for a number 0 without a
// letter. Blanks around the label are ignored.
std::optional<MeasureLabel> parseMeasureLabel(std::string_view text);

inline constexpr char kMeasureLabelFormat[] = "Your number is not in a supported format.";
inline constexpr char kIntegerMessage[] = "Please enter an integer.";

class MeasureNumbersModel {
public:
    explicit MeasureNumbersModel(const CSongDoc& song);

    // The label of the measure at the song position.
    std::string label;
    int32_t count = 999;
    MeasureNumberMethod method = MeasureNumberMethod::Slide;

    // The parameters for a typed label; none when it is not one.
    std::optional<MeasureNumbersParams> params(std::string_view typed) const;
    void save(IProfile& profile) const;
};

} // namespace rz
