// The program's own records inside a Standard MIDI File: "@DR;" text markers
// and FF 7F "dr" records, read back into songs and tracks. GUI thread.
#include "song/text_markers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>

#include "core/midi_bytes.h"
#include "song/build_maps.h"
#include "song/cue.h"
#include "song/song_doc.h"
#include "song/track.h"

namespace rz {
namespace {

constexpr int kMaxType = kMetaTrack;
constexpr int kMaxInputDevice = 15;
constexpr int kMaxNotationSetting = 6;
constexpr int32_t kMaxKeyOffset = 127;
constexpr int32_t kMaxVelocityOffset = 127;
constexpr int32_t kMaxTimeOffset = 4096;      // ms
constexpr int32_t kMaxVolumePercent = 65535;
// Below the "unchanged" value of a track-properties change.
constexpr int32_t kMinNotationValue = -127;
constexpr int32_t kMaxNotationValue = 255;
// Relative-volume codes step 1/16 octave; four octaves either way.
constexpr int64_t kMaxVolumeSteps = 64;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string_view textOf(std::span<const uint8_t> data)
{
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// A text up to its terminating zero, or to the end of the data.
std::string_view terminatedText(std::span<const uint8_t> data)
{
    const auto end = std::find(data.begin(), data.end(), uint8_t(0));
    return textOf(data.first(size_t(end - data.begin())));
}

void skipOne(std::string_view& text)
{
    if (!text.empty())
        text.remove_prefix(1);
}

int32_t takeField(std::string_view& text)
{
    const int32_t value = takeNumber(text);
    const size_t semicolon = text.find(';');
    text.remove_prefix(semicolon == std::string_view::npos ? text.size() : semicolon + 1);
    return value;
}

void appendText(CTrack& track, int32_t tick, const std::string& text)
{
    CMidiEvent& event = track.events.emplace_back();
    event.tick = tick;
    event.SetText(text);
}

int8_t signedByte(uint8_t b) { return int8_t(b); }

// Older chord, expression and wedge records become their text markers.
void appendOlderMarker(CTrack& track, std::span<const uint8_t> d, int32_t tick)
{
    char text[64];
    switch (d[2]) {
    case 1:
        std::snprintf(text, sizeof text, "@DR;1;%d;%d;%d;%d;%d;%d;", signedByte(d[3]),
                      signedByte(d[4]), signedByte(d[5]), signedByte(d[6]), signedByte(d[7]),
                      signedByte(d[8]));
        appendText(track, tick, text + std::string(terminatedText(d.subspan(9))));
        return;
    case 2:
        std::snprintf(text, sizeof text, "@DR;2;%d;", signedByte(d[3]));
        if (d[4] < 0x20)
            appendText(track, tick, text + std::to_string(signedByte(d[4])));
        else
            appendText(track, tick, text + std::string(terminatedText(d.subspan(4))));
        return;
    default: {
        int64_t length = signedByte(d[7]);
        for (size_t i = 6; i >= 4; --i)
            length = length * 128 + signedByte(d[i]);
        if (d[3] == 0)
            length = -length;
        appendText(track, tick, "@DR;3;" + std::to_string(length));
        return;
    }
    }
}

// Bytes each "dr" id needs, counting "dr" and the id; 0 for unknown ids.
size_t drRecordLength(uint8_t id)
{
    switch (id) {
    case 0: return 5;
    case 1: return 9;
    case 2: return 5;
    case 3: return 8;
    case 30: case 31: case 32: case 33: case 34: case 36: case 38: case 39: return 4;
    case 35: return 6;
    case 37: case 40: return 5;
    case 127: return 3;
    default: return 0;
    }
}

// Id 0: the spelling and notation attribute of the note just stored, matched
// by its key as written in the image.
void applyNoteAttributes(CTrack& track, std::span<const uint8_t> d)
{
    if (track.events.empty())
        return;
    CMidiEvent& note = track.events.back();
    if (!midi::isNoteOn(note.kind()) || note.data2() == 0 || note.data1() != d[3])
        return;
    note.notation = uint8_t((d[4] >> 4) - 1);
    note.spelling = int8_t(uint8_t((d[4] & 15) - 1));
}

void applyOlderSetting(CTrack& track, std::span<const uint8_t> d)
{
    switch (d[2]) {
    case 30: track.type = std::min<int32_t>(d[3], kMaxType); return;
    case 31: track.inputDevice = std::min<int32_t>(d[3], kMaxInputDevice); return;
    case 32: track.inputChannel = std::clamp<int32_t>(signedByte(d[3]), -1, 15); return;
    case 33: track.notationSetting = std::min<int32_t>(d[3], kMaxNotationSetting); return;
    case 34: track.notationValue = int32_t(d[3]) - 60; return;
    case 35: {
        const Color color = Color(d[3]) | Color(d[4]) << 8 | Color(d[5]) << 16;
        track.setColor(color == 0x10E010 ? kDefaultTrackColor : color);
        return;
    }
    case 36: track.key = std::max(int32_t(d[3]) - 128, -kMaxKeyOffset); return;
    case 37:
        track.timeOffset = std::clamp(int32_t(d[3]) + (int32_t(d[4]) - 128) * 256,
                                      -kMaxTimeOffset, kMaxTimeOffset);
        return;
    case 38: track.velocityOffset = std::max(int32_t(d[3]) - 128, -kMaxVelocityOffset); return;
    case 39: track.playEnabled = track.savedPlayEnabled = d[3] != 0 ? 1 : 0; return;
    case 40: track.volume = int32_t(d[3]) + int32_t(d[4]) * 256; return;
    default: return;
    }
}

// Cues of one parse, by the index their markers carry.
using ParsedCues = std::map<int32_t, std::unique_ptr<CCue>>;

bool isNumberText(std::string_view text)
{
    if (text.starts_with('-'))
        text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// "count||" at the front of a vamp-like cue's name.
bool takeExtraValue(std::string_view& text, int32_t& value)
{
    const size_t bars = text.find("||");
    if (bars == std::string_view::npos || !isNumberText(text.substr(0, bars)))
        return false;
    std::string_view number = text.substr(0, bars);
    value = takeNumber(number);
    text.remove_prefix(bars + 2);
    return true;
}

void parseCueMarker(ParsedCues& cues, std::string_view text, int32_t tick)
{
    const int32_t index = takeNumber(text);
    skipOne(text);
    const int32_t flag = takeNumber(text);
    skipOne(text);
    auto& slot = cues[index];
    const bool created = slot == nullptr;
    if (created)
        slot = std::make_unique<CCue>();
    CCue& cue = *slot;
    if (flag == 0) {
        cue.secondTime = tick;
        return;
    }
    cue.time = tick;
    if (created)
        cue.secondTime = tick;
    cue.kind = validCueKind(takeField(text));
    if (isVampLike(cue.kind) && takeExtraValue(text, cue.repeatCount))
        takeExtraValue(text, cue.secondCount);
    cue.name.assign(text.substr(0, kMaxStoredCueName));
}

bool parseLabelMarker(CSongDoc& song, std::string_view label, int32_t tick)
{
    if (!extendMeasuresPast(song, tick))
        return false;
    const int index = song.FindMeasure(tick);
    if (index >= 0)
        applyMeasureLabel(song.measureMap[size_t(index)], label.substr(0, kMaxLabelBytes));
    return true;
}

} // namespace

int32_t takeNumber(std::string_view& text)
{
    bool negative = false;
    if (text.starts_with('-') || text.starts_with('+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(INT32_MAX) + 1);
    text.remove_prefix(i);
    value = negative ? -value : value;
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void applyMeasureLabel(MeasureRec& measure, std::string_view label)
{
    if (!label.empty() && isDigit(label[0])) {
        measure.number = uint16_t(std::min<int32_t>(takeNumber(label), UINT16_MAX));
    } else {
        measure.number = 0;
    }
    measure.letter = label.empty() ? char(0) : upperAscii(label[0]);
}

double relativeVolumeFromCode(int64_t code)
{
    const int64_t steps = std::clamp<int64_t>(code - 16, -kMaxVolumeSteps, kMaxVolumeSteps);
    return std::exp2(double(steps) * 0.0625);
}

bool ParseTextMarkers(CSongDoc& song, CTrack& track, std::string& reason)
{
    ParsedCues cues;
    std::vector<CMidiEvent> kept;
    for (CMidiEvent& event : track.events) {
        std::string_view text = textOf(event.data.bytes());
        if (event.message != kTextMessage || !text.starts_with(kMarkerPrefix)) {
            kept.push_back(std::move(event));
            continue;
        }
        const int32_t tick = std::max(event.tick - 1, 0);
        text.remove_prefix(kMarkerPrefix.size());
        const int32_t code = takeNumber(text);
        skipOne(text);
        switch (code) {
        case 20:
            if (!parseLabelMarker(song, text, tick)) {
                reason = "a measure label lies beyond measure " + std::to_string(kMaxSongMeasures);
                return false;
            }
            break;
        case 21: song.layoutText.assign(text); break;
        case 22: parseCueMarker(cues, text, tick); break;
        case 23: song.performanceTempo = uint32_t(std::clamp(takeNumber(text), 0, 0xFFFFFF)); break;
        case 24: song.relativeVolume = relativeVolumeFromCode(takeNumber(text)); break;
        default: break;
        }
    }
    track.events = std::move(kept);
    for (auto& [index, cue] : cues)
        insertCueInOrder(song.cues, std::move(cue));
    return true;
}

bool isTrackSettingsMarker(std::string_view text)
{
    constexpr size_t kFields = 11;
    constexpr std::string_view kCode = "30";
    if (!text.starts_with(kMarkerPrefix))
        return false;
    text.remove_prefix(kMarkerPrefix.size());
    if (!text.starts_with(kCode) || !(text.size() == kCode.size() || text[kCode.size()] == ';'))
        return false;
    text.remove_prefix(kCode.size());
    for (size_t fields = 0; !text.empty(); ++fields) {
        text.remove_prefix(1); // the ';'
        const size_t end = std::min(text.find(';'), text.size());
        std::string_view field = text.substr(0, end);
        if (field.starts_with('-') || field.starts_with('+'))
            field.remove_prefix(1);
        if (fields == kFields || field.empty() || !std::all_of(field.begin(), field.end(), isDigit))
            return false;
        text.remove_prefix(end);
    }
    return true;
}

bool applyTrackSettingsMarker(CTrack& track, std::string_view text)
{
    if (!isTrackSettingsMarker(text))
        return false;
    std::string_view rest = text.substr(kMarkerPrefix.size() + 2);
    skipOne(rest);
    std::array<int64_t, 11> v{};
    for (int64_t& field : v)
        field = takeField(rest);
    track.type = int32_t(std::clamp<int64_t>(v[0], 0, kMaxType));
    track.inputDevice = int32_t(std::clamp<int64_t>(v[1], 0, kMaxInputDevice));
    track.inputChannel = int32_t(std::clamp<int64_t>(v[2], -1, 15));
    track.notationSetting = int32_t(std::clamp<int64_t>(v[3], 0, kMaxNotationSetting));
    track.notationValue = int32_t(std::clamp<int64_t>(v[4], kMinNotationValue, kMaxNotationValue));
    track.setColor(v[5] >= 0 && v[5] <= 0xFFFFFF ? Color(v[5]) : kDefaultTrackColor);
    track.key = int32_t(std::clamp<int64_t>(v[6], -kMaxKeyOffset, kMaxKeyOffset));
    track.timeOffset = int32_t(std::clamp<int64_t>(v[7], -kMaxTimeOffset, kMaxTimeOffset));
    track.velocityOffset = int32_t(std::clamp<int64_t>(v[8], -kMaxVelocityOffset, kMaxVelocityOffset));
    track.playEnabled = track.savedPlayEnabled = v[9] != 0 ? 1 : 0;
    track.volume = int32_t(std::clamp<int64_t>(v[10], 0, kMaxVolumePercent));
    return true;
}

bool applyTrackDrRecord(CTrack& track, std::span<const uint8_t> data, int32_t tick)
{
    if (data.size() < 3 || data[0] != 'd' || data[1] != 'r' || data[2] > 127)
        return false;
    const uint8_t id = data[2];
    const size_t needed = drRecordLength(id);
    if (needed == 0 || data.size() < needed)
        return false;
    if ((id == 0 && data.size() != 5) || (id == 35 && data.size() != 6))
        return false;
    if (id == 0)
        applyNoteAttributes(track, data);
    else if (id <= 3)
        appendOlderMarker(track, data, tick);
    else if (id != 127)
        applyOlderSetting(track, data);
    return true;
}

} // namespace rz
