#include "song/cue.h"
#include "song/track.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "core/engine_link.h"
#include "core/song_host.h"

namespace rz {

namespace {

// ShadeColor level that lightens a running vamp's flag.
constexpr int16_t kActiveVampShade = 150;

bool showsRepeatCount(int kind)
{
    return kind == kCueVamp || kind == kCueAdvanceCut || kind == kCueAdvance;
}

int32_t earlierTime(const CCue& cue) { return std::min(cue.time, cue.secondTime); }

// Reads "digits||" from the front of the name; leaves the name alone otherwise.
bool takeCountPrefix(std::string& name, int32_t& value)
{
    const size_t bar = name.find("||");
    if (bar == std::string::npos || bar == 0)
        return false;
    int32_t parsed = 0;
    const char* first = name.data();
    const auto [end, error] = std::from_chars(first, first + bar, parsed);
    if (error != std::errc() || end != first + bar || parsed < 0)
        return false;
    value = parsed;
    name.erase(0, bar + 2);
    return true;
}

// A stored record's times stay where a saved marker can put them: from 0 up
// to one before the tick a marker is written at for the last one.
int32_t clampedTick(int64_t tick)
{
    return int32_t(std::clamp<int64_t>(tick, 0, int64_t(kEndTick) - 2));
}

} // namespace

std::string CCue::GetLabel() const
{
    std::string label = name;
    if (showsRepeatCount(kind) && repeatCount != 0) {
        if (!label.empty())
            label += ' ';
        label += '(' + std::to_string(repeatCount) + "x)";
    }
    return label;
}

void CCue::GetColors(const ISongDisplayOptions& host, const ITransportLink& engine, Color& fill,
                     Color& text) const
{
    fill = host.cueColor(validCueKind(kind));
    if (showsRepeatCount(kind) && engine.activeVamp() == this
        && engine.transportState() != TransportState::Stopped
        && engine.vampRepetitionsLeft() != 1)
        fill = ShadeColor(fill, kActiveVampShade);
    text = ColorLuminance(fill);
}

int FindCueInsertPos(const CueList& cues, const CCue& cue)
{
    // The list is in this order, so the place is found by halving; a reader
    // appends cues in time order, so the end is tried first.
    const auto sortsAfter = [](const CCue& a, const CCue& b) {
        const int32_t at = a.GetTime();
        const int32_t bt = b.GetTime();
        return at > bt || (at == bt && earlierTime(a) > earlierTime(b));
    };
    if (cues.empty() || !sortsAfter(*cues.back(), cue))
        return int(cues.size());
    const auto place = std::upper_bound(cues.begin(), cues.end(), cue,
                                        [&](const CCue& value, const std::unique_ptr<CCue>& other) {
                                            return sortsAfter(*other, value);
                                        });
    return int(place - cues.begin());
}

int insertCueInOrder(CueList& cues, std::unique_ptr<CCue> cue)
{
    const int pos = FindCueInsertPos(cues, *cue);
    cues.insert(cues.begin() + pos, std::move(cue));
    return pos;
}

CCue cueFromStoredRecord(int kind, std::span<const uint8_t, 4> valueGroups,
                         std::span<const uint8_t> nameBytes, int32_t tick)
{
    CCue cue;
    cue.kind = validCueKind(kind);
    int32_t v = 0;
    for (size_t i = 4; i-- > 0;)
        v = v * 128 + (valueGroups[i] & 0x7F);
    // The name ends at a terminating zero, if the record has one.
    const auto nameEnd = std::find(nameBytes.begin(), nameBytes.end(), uint8_t(0));
    const size_t nameLength =
        std::min(size_t(nameEnd - nameBytes.begin()), kMaxStoredCueName);
    cue.name.assign(reinterpret_cast<const char*>(nameBytes.data()), nameLength);
    if (isVampLike(cue.kind) && takeCountPrefix(cue.name, cue.repeatCount))
        takeCountPrefix(cue.name, cue.secondCount);
    if (isVampLike(cue.kind)) {
        cue.time = tick;
        cue.secondTime = clampedTick(int64_t(tick) - v);
    } else if (cue.kind == kCueAdLib) {
        cue.secondTime = tick;
        cue.time = clampedTick(int64_t(tick) - v);
    } else {
        cue.time = tick;
        cue.secondTime = clampedTick(int64_t(tick) + v);
    }
    return cue;
}

} // namespace rz
