#include "staff/staff_lines.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace rz {
namespace {

constexpr int kSemitoneOfStep[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kStepOfSemitone[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};

int clampInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int measureEnd(const CStaffMeasure& m)
{
    return clampInt(int64_t(m.x) + m.leadIn + m.laidOutWidth + m.trailingWidth);
}

bool isPercussion(const CStaffTrack& staff)
{
    return staff.clef == kDrumMapClef || staff.clef == kOneLineDrumClef;
}

// The tick under a document x of the current layout, for wedges whose
// pixel length must follow a new layout.
int64_t tickAtX(const StaffModel& model, int x)
{
    int cache = 0;
    const int m = MeasureAtX(model, x, cache);
    if (m < 0)
        return 0;
    const CStaffMeasure& rec = model.measures[size_t(m)];
    const int64_t offset = std::clamp<int64_t>(int64_t(x) - rec.x - rec.leadIn, 0, rec.laidOutWidth);
    return rec.song.start + offset * rec.song.length / std::max(rec.laidOutWidth, 1);
}

// Line breaks and justification of the lead sheet; fills the header flags
// and the line starts and sets every measure's lead-in and laid-out width.
void breakLines(StaffModel& model, const LineLayoutInput& in, const NotationMetrics& metrics,
                const StaffMetrics& sizes, StaffLines& out)
{
    auto& measures = model.measures;
    const int lineWidth = std::max(in.clientWidth - kStaffBar - 2 * kLeadMargin, 1);
    const int gap = sizes.leadIn;
    out.headerFlags.assign(measures.size(), 0);
    int64_t x = 0;
    size_t lineStart = 0;
    const auto justify = [&](size_t from, size_t to, int64_t used) {
        int64_t fixed = 0;
        for (size_t k = from; k < to; ++k)
            fixed += int64_t(measures[k].leadIn) + measures[k].trailingWidth;
        // Lead-ins wider than the line still leave every measure a pixel.
        const int64_t room = std::max<int64_t>(lineWidth - fixed, int64_t(to - from));
        const int64_t content = std::max<int64_t>(used - fixed, 1);
        for (size_t k = from; k < to; ++k)
            measures[k].laidOutWidth =
                clampInt(std::max<int64_t>(int64_t(measures[k].contentWidth) * room / content, 1));
    };
    for (size_t m = 0; m < measures.size(); ++m) {
        CStaffMeasure& rec = measures[m];
        const bool atStart = x == 0;
        rec.leadIn = gap;
        rec.headerFlags &= ~kHeaderChange;
        rec.laidOutWidth = std::max(rec.contentWidth, 1);
        const MeasureRec* prev = m > 0 ? &measures[m - 1].song : nullptr;
        const bool meterSame = prev && prev->numerator == rec.song.numerator
                               && prev->denominator == rec.song.denominator;
        uint32_t flags = atStart ? 0x18 : 0x19;
        bool keySame = true;
        for (const CStaffTrack& staff : model.staves)
            if (prev && in.shownKey && in.shownKey(staff, int(m)) != in.shownKey(staff, int(m - 1)))
                keySame = false;
        if (!prev)
            keySame = false;
        if (!atStart && keySame)
            flags |= 4;
        if (meterSame)
            flags |= 2;
        out.headerFlags[m] = flags;
        if (atStart)
            out.lineStarts.push_back(int(m));
        if (atStart || !keySame || !meterSame) {
            for (const CStaffTrack& staff : model.staves) {
                const int key = in.shownKey ? in.shownKey(staff, int(m)) : rec.song.key;
                const int prevKey = prev && in.shownKey ? in.shownKey(staff, int(m - 1)) : 0;
                const int cancel = !(flags & 4) && key == 0 && prev && prevKey != key ? prevKey : 0;
                const int width = metrics.headerWidth(staff.clef, key, cancel, rec.song.numerator,
                                                      rec.song.denominator, int(flags));
                if (width != 0) {
                    rec.headerFlags |= kHeaderChange;
                    rec.leadIn = std::max(rec.leadIn, width + gap);
                }
            }
        }
        rec.leadIn += rec.extraLeadIn;
        const int64_t total = int64_t(rec.trailingWidth) + rec.contentWidth + rec.leadIn;
        if (x > 0 && x + total > lineWidth) {
            justify(lineStart, m, x);
            lineStart = m;
            x = 0;
            --m; // this measure again, as the start of the next line
            continue;
        }
        x += total;
    }
}

void placeMeasures(StaffModel& model)
{
    int64_t x = 0;
    for (CStaffMeasure& rec : model.measures) {
        rec.x = clampInt(x);
        x += int64_t(rec.leadIn) + rec.laidOutWidth + rec.trailingWidth;
    }
}

int elementX(const StaffModel& model, int64_t tick, int measure)
{
    const int m = std::clamp(measure, 0, int(model.measures.size()) - 1);
    return xOfTick(model.measures[size_t(m)], tick);
}

void placeElements(StaffModel& model, const NotationMetrics& metrics, int staffSize,
                   const std::vector<std::vector<int64_t>>& wedgeEnds)
{
    const int lyricHeight = (staffSize + 1) * 12 / 24;
    const int blank = metrics.textWidth(" ", lyricHeight);
    for (size_t s = 0; s < model.staves.size(); ++s) {
        CStaffTrack& staff = model.staves[s];
        for (auto& voice : staff.voices) {
            for (auto& note : voice->notes)
                note->x = elementX(model, note->tick, note->measure);
            if (!voice->notes.empty()) {
                voice->firstX = voice->notes.front()->x;
                voice->lastX = voice->notes.back()->x;
            }
        }
        const CStaffText* previous = nullptr;
        int previousEnd = 0;
        for (size_t i = 0; i < staff.texts.size(); ++i) {
            CStaffText& text = staff.texts[i];
            text.x = elementX(model, text.tick, text.measure);
            if (text.kind == kWedgeText) {
                const int64_t end = wedgeEnds[s][i];
                const int length = elementX(model, end, measureOfTick(model, end)) - text.x;
                text.wedgeLength = text.wedgeLength < 0 ? -length : length;
            }
            if (text.kind != kLyricText)
                continue;
            text.pushed = false;
            text.x -= blank / 2;
            if (previous && text.x <= previousEnd) {
                text.x = previousEnd;
                text.pushed = true;
            }
            previous = &text;
            previousEnd = text.x + metrics.textWidth(text.text, lyricHeight);
        }
    }
}

} // namespace

int clampZoomY(int zoomY)
{
    return std::clamp(zoomY, 0, kMaxZoomY);
}

int staffSizeOfZoom(int zoomY)
{
    return kStaffSizes[clampZoomY(zoomY)];
}

StaffMetrics StaffMetrics::of(int staffSize, bool leadSheet)
{
    StaffMetrics m;
    m.staffSize = std::max(staffSize, 4);
    m.glyph = m.staffSize - 1;
    m.halfGlyph = m.glyph / 2;
    m.lineSpace = m.staffSize / 4;
    m.headerWidth = leadSheet ? 0 : m.staffSize * 105 / 27;
    m.leadIn = m.staffSize * 20 / 27;
    return m;
}

int StaffLines::lineOf(int measure) const
{
    auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), measure);
    return it == lineStarts.begin() ? 0 : int(it - lineStarts.begin() - 1);
}

int StaffLines::lineEnd(int line, int measureCount) const
{
    return line + 1 < lineCount() ? lineStarts[size_t(line + 1)] : measureCount;
}

StaffLines LayoutLines(StaffModel& model, const LineLayoutInput& in, const NotationMetrics& metrics)
{
    StaffLines out;
    const StaffMetrics sizes = StaffMetrics::of(in.staffSize, in.leadSheet);
    if (in.leadSheet) {
        out.visibleWidth = std::max(in.clientWidth - kStaffBar - 2 * kLeadMargin, 0);
        out.visibleHeight = std::max(in.clientHeight, 0);
    } else {
        out.visibleWidth = std::max(in.clientWidth - kStaffBar - in.headerWidth, 0);
        out.visibleHeight = std::max(in.clientHeight - kStaffBar - in.rulerHeight, 0);
    }
    if (model.staves.empty() || model.measures.empty())
        return out;
    if (in.leadSheet) {
        std::vector<std::vector<int64_t>> wedgeEnds(model.staves.size());
        for (size_t s = 0; s < model.staves.size(); ++s)
            for (const CStaffText& text : model.staves[s].texts)
                wedgeEnds[s].push_back(text.kind == kWedgeText
                                           ? tickAtX(model, text.x + std::abs(text.wedgeLength))
                                           : 0);
        breakLines(model, in, metrics, sizes, out);
        placeMeasures(model);
        placeElements(model, metrics, sizes.staffSize, wedgeEnds);
        out.lineHeight = std::max(model.systemHeight + sizes.staffSize, 1);
        out.totalHeight = clampInt(int64_t(out.lineHeight) * out.lineCount());
        const CStaffMeasure& last = model.measures.back();
        out.totalWidth = measureEnd(last);
    } else {
        out.lineStarts = {0};
        const CStaffMeasure& last = model.measures.back();
        out.totalWidth = std::max(model.systemWidth, measureEnd(last));
        out.totalHeight = model.systemHeight;
        out.lineHeight = model.systemHeight;
        out.maxOriginX = std::max(out.totalWidth - out.visibleWidth, 0);
    }
    AlignLyricBaselines(model, out.lineStarts);
    StackMarksBelow(model, out.lineStarts, metrics, (sizes.staffSize + 1) / 2);
    out.maxOriginY = std::max(out.totalHeight - out.visibleHeight, 0);
    return out;
}

bool ensureMeasures(StaffModel& model, const MeasureMap& songMeasures, const StaffMetrics& metrics)
{
    if (model.measures.empty() || model.measures.size() >= songMeasures.size())
        return false;
    while (model.measures.size() < songMeasures.size()) {
        const CStaffMeasure& last = model.measures.back();
        CStaffMeasure next = last;
        next.song = songMeasures[model.measures.size()];
        next.song.length = std::max(next.song.length, 1);
        next.headerFlags = 0;
        next.extraLeadIn = 0;
        next.trailingWidth = 0;
        next.valueFlags = 0;
        next.x = clampInt(int64_t(last.x) + last.leadIn + last.laidOutWidth + last.trailingWidth);
        next.leadIn = metrics.leadIn;
        next.contentWidth = std::max(next.song.numerator * 72 / std::max<int>(next.song.denominator, 1), 1);
        next.laidOutWidth = next.contentWidth;
        model.measures.push_back(next);
        model.systemWidth = measureEnd(model.measures.back());
    }
    const size_t count = model.measures.size();
    for (CStaffTrack& staff : model.staves) {
        staff.lowestVoice.resize(count, -1);
        staff.highestVoice.resize(count, 0);
        staff.content.resize(count, 0);
        staff.highestUsed.resize(count, 4);
        staff.lowestUsed.resize(count, -4);
        staff.textIndex.resize(count, staff.textIndex.empty() ? -1 : staff.textIndex.back());
    }
    return true;
}

int MeasureAtX(const StaffModel& model, int x, int& cache)
{
    const int count = int(model.measures.size());
    if (count == 0)
        return -1;
    int m = std::clamp(cache, 0, count - 1);
    if (x <= 0)
        m = 0;
    while (m + 1 < count && model.measures[size_t(m + 1)].x <= x)
        ++m;
    while (m > 0 && model.measures[size_t(m)].x > x)
        --m;
    cache = m;
    return m;
}

int xOfTick(const CStaffMeasure& measure, int64_t tick)
{
    const int64_t offset =
        (tick - measure.song.start) * measure.laidOutWidth / std::max(measure.song.length, 1);
    return clampInt(offset + measure.leadIn + measure.x);
}

int measureOfTick(const StaffModel& model, int64_t tick)
{
    const auto& measures = model.measures;
    auto it = std::upper_bound(measures.begin(), measures.end(), tick,
                               [](int64_t t, const CStaffMeasure& m) { return t < m.song.start; });
    return it == measures.begin() ? 0 : int(it - measures.begin() - 1);
}

int positionOfPitch(const CStaffTrack& staff, int pitch)
{
    const int octave = int(floorDiv(pitch, 12));
    const int semitone = pitch - octave * 12;
    return octave * 7 + kStepOfSemitone[semitone] + staff.referenceOffset;
}

int pitchOfPosition(const CStaffTrack& staff, int position)
{
    if (isPercussion(staff))
        return -1;
    const int64_t diatonic = int64_t(position) - staff.referenceOffset;
    const int64_t octave = floorDiv(diatonic, 7);
    const int step = int(diatonic - octave * 7);
    return int(std::clamp<int64_t>(octave * 12 + kSemitoneOfStep[step], 0, 127));
}

StaffPoint PointToTime(const StaffModel& model, const StaffMetrics& metrics, int x, int y,
                       int snapTicks, int& cache)
{
    StaffPoint point;
    const int m = MeasureAtX(model, x, cache);
    if (m < 0)
        return point;
    const CStaffMeasure& rec = model.measures[size_t(m)];
    const int width = std::max(rec.laidOutWidth, 1);
    const int64_t offset = std::clamp<int64_t>(int64_t(x) - rec.x - rec.leadIn, 0, width);
    // Rounded to the nearest tick, so that a tick's own x gives it back.
    int64_t tick = rec.song.start + (offset * rec.song.length + width - 1) / width;
    if (snapTicks > 0)
        tick = (tick + snapTicks / 2) / snapTicks * snapTicks;
    point.tick = int32_t(std::clamp<int64_t>(tick, 0, INT32_MAX));
    int best = INT_MAX;
    for (size_t s = 0; s < model.staves.size(); ++s) {
        const int middle = model.staves[s].topLineY + metrics.glyph / 2;
        const int distance = std::abs(y - middle);
        if (distance < best) {
            best = distance;
            point.staff = int(s);
        }
    }
    if (point.staff >= 0) {
        const CStaffTrack& staff = model.staves[size_t(point.staff)];
        const double middle = staff.topLineY + metrics.glyph / 2.0;
        point.position = int(std::lround((middle - y) / metrics.step()));
        point.pitch = pitchOfPosition(staff, point.position);
    }
    return point;
}

int TimeToPointX(const StaffModel& model, int64_t tick)
{
    if (model.measures.empty())
        return 0;
    const int m = measureOfTick(model, tick);
    const CStaffMeasure& rec = model.measures[size_t(m)];
    // The inverse of PointToTime: the first x whose tick is this one.
    const int64_t offset = (tick - rec.song.start) * std::max(rec.laidOutWidth, 1);
    const int64_t length = std::max(rec.song.length, 1);
    return clampInt(int64_t(rec.x) + rec.leadIn + offset / length);
}

int TimeToPointY(const StaffModel& model, const StaffMetrics& metrics, int staff, int position)
{
    if (staff < 0 || size_t(staff) >= model.staves.size())
        return 0;
    const double middle = model.staves[size_t(staff)].topLineY + metrics.glyph / 2.0;
    return int(std::lround(middle - position * metrics.step()));
}

LeadFollow leadSheetFollow(const StaffModel& model, const StaffLines& lines, int64_t position,
                           int timeBase, int glyph, int lineCache)
{
    LeadFollow out;
    const int count = lines.lineCount();
    if (count == 0 || model.measures.empty())
        return out;
    const auto startOf = [&](int line) {
        return int64_t(model.measures[size_t(lines.lineStarts[size_t(line)])].song.start);
    };
    int line = std::clamp(lineCache, 0, count - 1);
    while (line + 1 < count && startOf(line + 1) <= position)
        ++line;
    while (line > 0 && startOf(line) > position)
        --line;
    out.line = line;
    int64_t target = int64_t(line) * lines.lineHeight;
    const int64_t quarter = std::max(timeBase, 1);
    if (line + 1 < count) {
        const int64_t next = startOf(line + 1);
        if (position >= next - quarter)
            target += (position - (next - quarter)) * lines.lineHeight / quarter;
    }
    out.targetY = clampInt(target);
    const int64_t origin = target - (lines.visibleHeight / 2 - 2 * glyph);
    out.originY = clampInt(std::clamp<int64_t>(origin, 0, lines.maxOriginY));
    return out;
}

} // namespace rz
