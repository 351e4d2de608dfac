#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "song/cue.h"
#include "song/text_markers.h"
#include "staff/model/staff_build.h"

namespace rz::staff_build {
namespace {

// Whether the text up to the next ";" is a whole number.
bool numberField(std::string_view text)
{
    const std::string_view field = text.substr(0, text.find(';'));
    size_t i = !field.empty() && field[0] == '-' ? 1 : 0;
    if (i == field.size())
        return false;
    for (; i < field.size(); ++i)
        if (field[i] < '0' || field[i] > '9')
            return false;
    return true;
}

struct MarkerFields {
    int code = 0;
    std::vector<int32_t> numbers;
    std::string text;
};

// The code, up to `count` numeric fields, and the whole remainder as the
// text: the user's text may hold ";" itself. A field that is not a number
// ends the numbers.
MarkerFields readMarker(std::string_view body)
{
    MarkerFields fields;
    fields.code = numberField(body) ? takeNumber(body) : 0;
    if (!body.empty() && body[0] == ';')
        body.remove_prefix(1);
    const size_t count = fields.code == kChordSymbolText ? 6
                         : fields.code == kExpressionText || fields.code == kWedgeText ? 1
                                                                                        : 0;
    while (fields.numbers.size() < count && numberField(body)) {
        fields.numbers.push_back(takeNumber(body));
        if (!body.empty() && body[0] == ';')
            body.remove_prefix(1);
    }
    fields.text.assign(body);
    return fields;
}

void addMarker(StaffBuild& sb, int measure, int eventIndex, std::string_view body)
{
    const CMidiEvent& event = sb.track.events[size_t(eventIndex)];
    MarkerFields fields = readMarker(body);
    CStaffText text;
    text.kind = fields.code;
    text.tick = event.tick;
    text.eventIndex = eventIndex;
    text.selectionStamp = event.selectionStamp;
    text.pendingChange = event.pendingChange;
    text.measure = measure;
    uint32_t& content = sb.staff.content[size_t(measure)];
    if (fields.code == kChordSymbolText) {
        for (size_t i = 0; i < fields.numbers.size(); ++i) {
            const int32_t n = fields.numbers[i];
            text.grid[i] = n >= 0 && n <= 255 ? uint8_t(n) : kNoGrid;
        }
        text.text = std::move(fields.text);
        content |= kHasChordSymbol | (text.hasGrid() ? kHasChordGrid : 0);
    } else if (fields.code == kExpressionText) {
        text.grid[0] = fields.numbers.empty() ? 0 : uint8_t(fields.numbers[0]);
        text.text = std::move(fields.text);
        content |= kHasExpression;
    } else if (fields.code == kWedgeText) {
        text.wedgeLength = fields.numbers.empty() ? 0 : fields.numbers[0];
        content |= kHasExpression;
    }
    sb.staff.texts.push_back(std::move(text));
}

bool startsWord(char c)
{
    return c == '\n' || c == '\r' || c == ' ' || c == '/' || c == '\\' || c == '|';
}

void addLyric(StaffBuild& sb, int measure, int eventIndex, std::string text)
{
    const Build& b = sb.build;
    const CMidiEvent& event = sb.track.events[size_t(eventIndex)];
    const MeasureRec& rec = b.measureRec(measure);
    const int64_t end = int64_t(rec.start) + rec.length;
    int64_t tick = event.tick;
    // A syllable just before a bar line belongs to the next measure, when there is one.
    if (end - tick < b.timeBase / 8 && size_t(measure) + 1 < b.model.measures.size()) {
        tick = end;
        ++measure;
    }
    if (text.empty())
        text = "-";
    CStaffText* previous = sb.lastLyric >= 0 ? &sb.staff.texts[size_t(sb.lastLyric)] : nullptr;
    if (previous && (previous->text.empty() || previous->text.back() == ' '))
        previous = nullptr;
    if (startsWord(text[0])) {
        text.erase(0, 1);
        if (previous)
            previous->text += ' ';
    } else if (previous) {
        previous->text += "- ";
    }
    if (text.empty() || text[0] == '@' || text[0] == '{')
        return;
    CStaffText lyric;
    lyric.kind = kLyricText;
    lyric.tick = int(tick);
    lyric.eventIndex = eventIndex;
    lyric.selectionStamp = event.selectionStamp;
    lyric.pendingChange = event.pendingChange;
    lyric.text = std::move(text);
    lyric.measure = measure;
    sb.staff.content[size_t(measure)] |= kHasLyrics;
    b.model.measures[size_t(measure)].valueFlags |= kHasLyrics;
    sb.lastLyric = int(sb.staff.texts.size());
    sb.staff.texts.push_back(std::move(lyric));
}

CStaffText cueMark(const Build& b, int kind, int32_t tick)
{
    CStaffText mark;
    mark.kind = kCueMarkText + kind;
    mark.tick = tick;
    mark.measure = b.measureOf(tick);
    return mark;
}

void insertText(CStaffTrack& staff, CStaffText text)
{
    auto at = std::upper_bound(staff.texts.begin(), staff.texts.end(), text.tick,
                               [](int tick, const CStaffText& t) { return tick < t.tick; });
    staff.texts.insert(at, std::move(text));
}

// The rows under a measure's staff: lyrics at 0, expressions after them.
struct TextRows {
    int lyric = 0;
    int expression = 0;
    int deepest = 0;
};

TextRows rowsOf(uint32_t content)
{
    TextRows rows;
    int next = 0;
    if (content & kHasLyrics) {
        rows.lyric = next;
        rows.deepest = next;
        next += 4;
    }
    if (content & kHasExpression) {
        rows.expression = next;
        rows.deepest = next;
    }
    return rows;
}

// Staff steps between a wedge's middle line and a pedal mark's below it:
// the wedge opens 1.5 steps each way and the mark stands about 3 high.
constexpr int kPedalUnderWedge = 6;

// Moves every pedal mark that lies under a wedge below that wedge, where a
// reader sees both; returns the lowest pedal position (0 without pedals).
int stackPedalsUnderWedges(const Build& b, CStaffTrack& staff)
{
    const int markWidth = 2 * b.metrics.noteheadWidth();
    int lowest = 0;
    for (CStaffText& pedal : staff.texts) {
        if (pedal.kind != kPedalDownText && pedal.kind != kPedalUpText)
            continue;
        for (const CStaffText& wedge : staff.texts)
            if (wedge.kind == kWedgeText && pedal.x + markWidth >= wedge.x
                && pedal.x <= wedge.x + std::abs(wedge.wedgeLength))
                pedal.position = std::min(pedal.position, wedge.position - kPedalUnderWedge);
        lowest = std::min(lowest, pedal.position);
    }
    return lowest;
}

// Staff steps (eighths of the music font unit) that the marks under the
// staff and the lyrics above them take, for the stacking of both.
struct MarkSteps {
    int lyricDepth = 0; // a lyric line below its anchor
    int rise = 0;       // a dynamic or pedal mark above its anchor
    int textDepth = 0;  // an expression text below its anchor
};

// Wedges open less than two steps each way; a dynamic's tail hangs about one.
constexpr int kWedgeReach = 2;
constexpr int kGlyphDepth = 1;

int stepsOf(int pixels, int unit)
{
    return (std::max(pixels, 0) * 8 + unit - 1) / unit;
}

MarkSteps markSteps(const NotationMetrics& metrics, int lyricHeight)
{
    const int unit = std::max(metrics.musicFontUnit(), 1);
    return {stepsOf(metrics.textLineHeight(lyricHeight), unit), stepsOf(metrics.markRise(), unit),
            stepsOf(metrics.textLineHeight(11 * unit / 16), unit)};
}

// An expression placed under the staff, a wedge or a pedal mark.
bool isMarkBelow(const CStaffText& text)
{
    return (text.kind == kExpressionText && text.grid[0] == 0) || text.kind == kWedgeText
           || text.kind == kPedalDownText || text.kind == kPedalUpText;
}

// Steps a mark reaches above and below its anchor: glyphs stand on it,
// texts hang from it, wedges open round it.
int riseOf(const CStaffText& text, const MarkSteps& steps)
{
    if (text.kind == kWedgeText)
        return kWedgeReach;
    return text.kind == kExpressionText && DynamicIndex(text.text) < 0 ? 0 : steps.rise;
}

int depthOf(const CStaffText& text, const MarkSteps& steps)
{
    if (text.kind == kWedgeText)
        return kWedgeReach;
    return text.kind == kExpressionText && DynamicIndex(text.text) < 0 ? steps.textDepth : kGlyphDepth;
}

// How far the marks under a line's lyrics move down so that the highest
// reaching of them (`reach`, steps) clears the lyric line by a step.
int stackShift(int lyricTop, int reach, const MarkSteps& steps)
{
    if (lyricTop == INT_MAX || reach == INT_MIN)
        return 0;
    return std::max(reach - (lyricTop - steps.lyricDepth - 1), 0);
}

// Moves every wedge that lies under an expression below the staff down
// until it clears that expression; returns the lowest wedge position (0
// without wedges). A wedge drawn through a dynamic reads as neither.
int stackWedgesUnderExpressions(const Build& b, CStaffTrack& staff, const MarkSteps& steps)
{
    const int unit = std::max(b.metrics.musicFontUnit(), 1);
    int lowest = 0;
    for (CStaffText& wedge : staff.texts) {
        if (wedge.kind != kWedgeText)
            continue;
        const int from = wedge.x + std::min(wedge.wedgeLength, 0);
        const int to = wedge.x + std::max(wedge.wedgeLength, 0);
        for (const CStaffText& mark : staff.texts) {
            if (mark.kind != kExpressionText || !isMarkBelow(mark))
                continue;
            const int width = DynamicIndex(mark.text) >= 0 ? 2 * b.metrics.noteheadWidth()
                                                           : b.metrics.textWidth(mark.text, 11 * unit / 16);
            if (mark.x + width >= from && mark.x - width / 3 <= to)
                wedge.position = std::min(wedge.position,
                                          mark.position - depthOf(mark, steps) - kWedgeReach - 1);
        }
        lowest = std::min(lowest, wedge.position);
    }
    return lowest;
}

// The lowest step the staff's marks reach once stacked under its lowest
// lyrics: every line's stack lies within it. INT_MAX when nothing stacks.
int lowestStackedMark(const CStaffTrack& staff, const MarkSteps& steps)
{
    int lyricTop = INT_MAX;
    int reach = INT_MIN;
    for (const CStaffText& text : staff.texts) {
        if (text.kind == kLyricText)
            lyricTop = std::min(lyricTop, text.ownPosition);
        else if (isMarkBelow(text))
            reach = std::max(reach, text.ownPosition + riseOf(text, steps));
    }
    const int shift = stackShift(lyricTop, reach, steps);
    if (shift == 0)
        return INT_MAX;
    int lowest = INT_MAX;
    for (const CStaffText& text : staff.texts)
        if (isMarkBelow(text))
            lowest = std::min(lowest, text.ownPosition - shift - depthOf(text, steps));
    return lowest;
}

} // namespace

void addTextEvent(StaffBuild& sb, int measure, int eventIndex)
{
    const auto bytes = sb.track.events[size_t(eventIndex)].data.bytes();
    std::string text(bytes.begin(), bytes.end());
    // A stored terminator ends the text: a lone one is an empty syllable.
    text.resize(std::min(text.find('\0'), text.size()));
    if (text.starts_with(kMarkerPrefix))
        addMarker(sb, measure, eventIndex, std::string_view(text).substr(kMarkerPrefix.size()));
    else
        addLyric(sb, measure, eventIndex, std::move(text));
}

void addCueMarks(Build& b)
{
    for (const auto& cuePtr : b.song.cues) {
        const CCue& cue = *cuePtr;
        for (CStaffTrack& staff : b.model.staves) {
            switch (cue.kind) {
            case kCueCaesura:
            case kCueFermata:
            case kCueUnused7: insertText(staff, cueMark(b, cue.kind, cue.time)); break;
            case kCueAdLib:
                if (!staff.lowerStaff)
                    insertText(staff, cueMark(b, cue.kind, cue.time));
                break;
            case kCueHoldCut:
                insertText(staff, cueMark(b, kCueFermata, cue.time));
                insertText(staff, cueMark(b, kCueCaesura, cue.secondTime));
                break;
            default: break;
            }
        }
    }
}

void placeTexts(Build& b, CStaffTrack& staff)
{
    const int lyricHeight = (b.staffSize + 1) / 2;
    const int blank = b.metrics.textWidth(" ", lyricHeight);
    const MarkSteps steps = markSteps(b.metrics, lyricHeight);
    int above = 0;
    int below = 0;
    CStaffText* previousLyric = nullptr;
    int previousEnd = 0;
    staff.textIndex.assign(b.model.measures.size(), -1);
    for (size_t i = 0; i < staff.texts.size(); ++i) {
        CStaffText& text = staff.texts[i];
        const int m = std::clamp(text.measure, 0, int(b.model.measures.size()) - 1);
        text.measure = m;
        const TextRows rows = rowsOf(staff.content[size_t(m)]);
        below = std::max(below, rows.deepest);
        const int high = staff.highestUsed[size_t(m)];
        const int low = staff.lowestUsed[size_t(m)];
        text.x = b.xOf(text.tick, m);
        switch (text.kind) {
        case kChordSymbolText:
            text.position = std::max(high + 3, 7);
            if (text.hasGrid())
                above = std::max(above, 12);
            break;
        case kExpressionText:
            if (text.grid[0] != 0) {
                text.position = std::max(high + 4, 8);
                above = std::max(above, 4);
            } else {
                text.position = std::min(-5 - rows.expression, low - rows.expression - 1);
                // A dynamic stands on its anchor: it hangs below the notes
                // from there as a text does, instead of rising onto them.
                if (DynamicIndex(text.text) >= 0)
                    text.position -= steps.rise;
            }
            break;
        case kWedgeText: {
            const int64_t endTick = std::min<int64_t>(
                int64_t(text.tick) + std::abs(int64_t(text.wedgeLength)), b.songEnd);
            const int endMeasure = b.measureOf(endTick);
            text.position = std::min(-rows.expression - 8,
                                     staff.lowestUsed[size_t(endMeasure)] - rows.expression - 4);
            const int length = b.xOf(endTick, endMeasure) - text.x;
            text.wedgeLength = text.wedgeLength < 0 ? -length : length;
            break;
        }
        case kLyricText:
            text.position = std::min(-5 - rows.lyric, low - rows.lyric - 1);
            text.x -= blank / 2;
            if (previousLyric && text.x <= previousEnd) {
                if (previousLyric->text.ends_with("- ")) {
                    previousLyric->text.resize(previousLyric->text.size() - 2);
                    previousEnd =
                        previousLyric->x + b.metrics.textWidth(previousLyric->text, lyricHeight);
                }
                text.x = previousEnd;
                text.pushed = true;
            }
            previousLyric = &text;
            previousEnd = text.x + b.metrics.textWidth(text.text, lyricHeight);
            break;
        case kPedalDownText:
        case kPedalUpText:
            text.position = std::min(low - 8, -12);
            below = std::max(below, 8);
            break;
        case int(kCueMarkText) + int(kCueCaesura): text.position = std::max(high + 2, 2); break;
        case int(kCueMarkText) + int(kCueFermata):
        case int(kCueMarkText) + int(kCueAdLib): text.position = std::max(high + 2, 6); break;
        case int(kCueMarkText) + int(kCueUnused7): text.position = high + 4; break;
        default: break;
        }
        staff.textIndex[size_t(m)] = int(i);
    }
    for (size_t m = 1; m < staff.textIndex.size(); ++m)
        if (staff.textIndex[m] < 0)
            staff.textIndex[m] = staff.textIndex[m - 1];
    const int lowestWedge = stackWedgesUnderExpressions(b, staff, steps);
    const int lowestPedal = stackPedalsUnderWedges(b, staff);
    for (CStaffText& text : staff.texts)
        text.ownPosition = text.position;
    const int lowestMark = lowestStackedMark(staff, steps);
    staff.topExtent = std::max(staff.highestPosition + above + 8, 12);
    staff.bottomExtent = std::min({staff.lowestPosition - below - 4, lowestPedal - 4,
                                   lowestWedge - kWedgeReach - 2, -12});
    if (lowestMark != INT_MAX)
        staff.bottomExtent = std::min(staff.bottomExtent, lowestMark - 2);
}

} // namespace rz::staff_build

namespace rz {

void AlignLyricBaselines(StaffModel& model, std::span<const int> lineStarts)
{
    const auto lineOf = [&](int measure) {
        return int(std::upper_bound(lineStarts.begin(), lineStarts.end(), measure) - lineStarts.begin());
    };
    for (CStaffTrack& staff : model.staves) {
        std::vector<int> lowest(lineStarts.size() + 1, INT_MAX);
        for (const CStaffText& text : staff.texts)
            if (text.kind == kLyricText) {
                int& low = lowest[size_t(lineOf(text.measure))];
                low = std::min(low, text.ownPosition);
            }
        for (CStaffText& text : staff.texts)
            if (text.kind == kLyricText)
                text.position = lowest[size_t(lineOf(text.measure))];
    }
}

void StackMarksBelow(StaffModel& model, std::span<const int> lineStarts,
                     const NotationMetrics& metrics, int lyricHeight)
{
    using namespace staff_build;
    const MarkSteps steps = markSteps(metrics, lyricHeight);
    const auto lineOf = [&](int measure) {
        return size_t(std::upper_bound(lineStarts.begin(), lineStarts.end(), measure) - lineStarts.begin());
    };
    for (CStaffTrack& staff : model.staves) {
        std::vector<int> lyricTop(lineStarts.size() + 1, INT_MAX);
        std::vector<int> reach(lineStarts.size() + 1, INT_MIN);
        for (const CStaffText& text : staff.texts) {
            int& top = lyricTop[lineOf(text.measure)];
            int& high = reach[lineOf(text.measure)];
            if (text.kind == kLyricText)
                top = std::min(top, text.position);
            else if (isMarkBelow(text))
                high = std::max(high, text.ownPosition + riseOf(text, steps));
        }
        for (CStaffText& text : staff.texts)
            if (isMarkBelow(text)) {
                const size_t line = lineOf(text.measure);
                text.position = text.ownPosition - stackShift(lyricTop[line], reach[line], steps);
            }
    }
}

} // namespace rz
