#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rz {

struct CMidiEvent;

// Three words of the criteria: a value passes when it lies in [minimum,
// maximum] and `outside` is 0, or lies outside and `outside` is set.
struct FindRange {
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t outside = 0;

    bool passes(int64_t value) const
    {
        const bool inside = value >= minimum && value <= maximum;
        return outside != 0 ? !inside : inside;
    }
};

// What Find searches for: 84 32-bit words in a fixed order, so the Find
// dialog can keep presets of it as they are. Word flags are 0 or 1.
struct FindCriteria {
    static constexpr size_t kPatternBytes = 40;

    int32_t findAll = 0;            // select every match at once
    int32_t selectedTracksOnly = 0;
    // Kinds searched.
    int32_t polyPressure = 1;
    int32_t controllers = 1;
    int32_t text = 1;
    int32_t notes = 1;
    int32_t programs = 1;
    int32_t pitchBend = 1;
    int32_t channelPressure = 1;
    int32_t sysex = 1;
    int32_t chords = 1;             // chord markers, tested against chordPattern
    int32_t rpn = 1;
    int32_t nrpn = 1;
    int32_t wedges = 1;             // wedge markers
    FindRange key{0, 127, 0};
    FindRange duration{0, INT32_MAX, 0};
    FindRange velocity{0, 127, 0};
    FindRange program{0, 127, 0};
    FindRange bank{-1, 16383, 0};
    FindRange controller{0, 127, 0};
    FindRange controllerValue{0, 127, 0};
    FindRange pressureKey{0, 127, 0};
    FindRange pressureValue{0, 127, 0};
    FindRange channelPressureValue{0, 127, 0};
    FindRange bend{-8192, 8191, 0};
    char textPattern[kPatternBytes] = {};   // zero-terminated
    int32_t textOutside = 0;                // match texts that do not contain it
    char chordPattern[kPatternBytes] = {};  // zero-terminated
    int32_t chordOutside = 0;
    FindRange rpnNumber{0, 127, 0};
    FindRange nrpnNumber{0, 16383, 0};
    FindRange rpnValue{0, 16383, 0};
    FindRange nrpnValue{0, 65535, 0};
    int32_t timeRangeOn = 0;
    int32_t timeFrom = 0;           // ticks, inclusive
    int32_t timeTo = 0;

    // The patterns up to their terminator (the whole field when it has none).
    std::string_view textPatternView() const;
    std::string_view chordPatternView() const;
    // Stores a pattern, cut to 39 bytes so the terminator fits.
    void setTextPattern(std::string_view pattern);
    void setChordPattern(std::string_view pattern);
};

static_assert(sizeof(FindCriteria) == 84 * sizeof(int32_t), "the criteria are 84 words");

// Whether an event is one the criteria look for. Patterns and texts compare
// without regard to ASCII case.
bool MatchEvent(const FindCriteria& criteria, const CMidiEvent& event);

} // namespace rz
