#include "staff/model/staff_records.h"

#include <algorithm>

#include "staff/model/staff_model.h"

namespace rz {
namespace {

// Letter step (0 = C .. 6 = B) of position 0 for each clef that has one.
int middleLineStep(int clef)
{
    switch (clef) {
    case kTrebleClef: return 6;
    case kBassClef: return 1;
    case kAltoClef: return 0;
    case kTenorClef: return 5;
    default: return -1;
    }
}

// The key signature's accidental on a letter step.
int keyAccidental(int key, int step)
{
    constexpr int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6}; // F C G D A E B
    constexpr int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};  // B E A D G C F
    const int* order = key > 0 ? kSharpOrder : kFlatOrder;
    const int count = key > 0 ? key : -key;
    for (int i = 0; i < count; ++i)
        if (order[i] == step)
            return key > 0 ? 1 : -1;
    return 0;
}

} // namespace

bool CStaffText::hasGrid() const
{
    return std::any_of(grid.begin(), grid.end(), [](uint8_t b) { return b != kNoGrid; });
}

CStaffTrack::CStaffTrack()
{
    percussionHead.fill(-1);
}

void CStaffTrack::SetKeyAccidentals(int key, bool merge)
{
    key = std::clamp(key, -7, 7);
    const int start = middleLineStep(clef);
    for (int p = kLowestPosition; p < kLowestPosition + kPositionCount; ++p) {
        const int wanted = start < 0 ? 0 : keyAccidental(key, (start + p + 70) % 7);
        int& state = accidentalAt(p);
        if (!merge || state == kCautionary || state == wanted)
            state = wanted;
        else
            state = kCautionary;
    }
}

int PercussionHead(const DrumNotation& notation)
{
    const int head = notation.head >= 0 && notation.head <= 7 ? notation.head : 0;
    const int circle = notation.circle >= 0 && notation.circle <= 3 ? notation.circle : 0;
    return circle * 8 + head;
}

int DynamicIndex(std::string_view text)
{
    if (text.empty())
        return -1;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        number = std::min(number * 10 + (c - '0'), 100);
    }
    return number < 13 ? number : -1;
}

} // namespace rz
