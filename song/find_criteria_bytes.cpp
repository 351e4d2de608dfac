#include "song/find_criteria_bytes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace rz {

namespace {

constexpr size_t kTextOffset = 188;
constexpr size_t kChordOffset = 232;

// Every word of the record with its offset; C is FindCriteria, const or not.
template <class C>
auto wordsOf(C& c)
{
    using Word = decltype(&c.findAll);
    std::array<std::pair<size_t, Word>, 64> words{{
        {0, &c.findAll}, {4, &c.selectedTracksOnly}, {8, &c.polyPressure}, {12, &c.controllers},
        {16, &c.text}, {20, &c.notes}, {24, &c.programs}, {28, &c.pitchBend},
        {32, &c.channelPressure}, {36, &c.sysex}, {40, &c.chords}, {44, &c.rpn},
        {48, &c.nrpn}, {52, &c.wedges},
    }};
    size_t at = 14;
    auto range = [&](size_t offset, auto& r) {
        words[at++] = {offset, &r.minimum};
        words[at++] = {offset + 4, &r.maximum};
        words[at++] = {offset + 8, &r.outside};
    };
    range(56, c.key);
    range(68, c.duration);
    range(80, c.velocity);
    range(92, c.program);
    range(104, c.bank);
    range(116, c.controller);
    range(128, c.controllerValue);
    range(140, c.pressureKey);
    range(152, c.pressureValue);
    range(164, c.channelPressureValue);
    range(176, c.bend);
    words[at++] = {228, &c.textOutside};
    words[at++] = {272, &c.chordOutside};
    range(276, c.rpnNumber);
    range(288, c.nrpnNumber);
    range(300, c.rpnValue);
    range(312, c.nrpnValue);
    words[at++] = {324, &c.timeRangeOn};
    words[at++] = {328, &c.timeFrom};
    words[at++] = {332, &c.timeTo};
    return words;
}

void putWord(std::vector<uint8_t>& out, size_t offset, int32_t value)
{
    const auto v = uint32_t(value);
    for (size_t i = 0; i < 4; ++i)
        out[offset + i] = uint8_t(v >> (8 * i));
}

int32_t getWord(std::span<const uint8_t> in, size_t offset)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v |= uint32_t(in[offset + i]) << (8 * i);
    return int32_t(v);
}

void readPattern(std::span<const uint8_t> in, size_t offset, char (&field)[FindCriteria::kPatternBytes])
{
    if (in.size() <= offset)
        return;
    const size_t n = std::min(in.size() - offset, sizeof field);
    std::copy_n(in.begin() + std::ptrdiff_t(offset), n, field);
    field[sizeof field - 1] = '\0';
}

} // namespace

std::vector<uint8_t> toBytes(const FindCriteria& criteria)
{
    std::vector<uint8_t> out(kFindCriteriaBytes, 0);
    for (const auto& [offset, word] : wordsOf(criteria))
        putWord(out, offset, *word);
    std::copy_n(criteria.textPattern, FindCriteria::kPatternBytes, out.begin() + kTextOffset);
    std::copy_n(criteria.chordPattern, FindCriteria::kPatternBytes, out.begin() + kChordOffset);
    return out;
}

FindCriteria fromBytes(std::span<const uint8_t> bytes)
{
    bytes = bytes.first(std::min(bytes.size(), kFindCriteriaBytes));
    FindCriteria criteria;
    for (const auto& [offset, word] : wordsOf(criteria))
        if (offset + 4 <= bytes.size())
            *word = getWord(bytes, offset);
    readPattern(bytes, kTextOffset, criteria.textPattern);
    readPattern(bytes, kChordOffset, criteria.chordPattern);
    return criteria;
}

} // namespace rz
