#include "staff/model/staff_print_plan.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "core/file_names.h"
#include "core/text_codec.h"
#include "song/cue.h"
#include "song/song_doc.h"

namespace rz {
namespace {

int clampInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// value x P / G in 64 bits: a long dense score passes 2^31 / P pixels.
struct Scale {
    int64_t p = 1;
    int64_t g = 1;
    int operator()(int value) const { return clampInt(int64_t(value) * p / g); }
};

std::unique_ptr<CStaffBeat> copyBeat(const CStaffBeat& beat)
{
    auto out = std::make_unique<CStaffBeat>();
    out->firstX = beat.firstX;
    out->lastX = beat.lastX;
    out->startTick = beat.startTick;
    out->notes.reserve(beat.notes.size());
    for (const auto& note : beat.notes)
        out->notes.push_back(std::make_unique<CStaffNote>(*note));
    return out;
}

CStaffTrack copyStaff(const CStaffTrack& s)
{
    CStaffTrack c;
    c.track = s.track;
    c.clef = s.clef;
    c.percussionHead = s.percussionHead;
    c.percussionOffset = s.percussionOffset;
    c.accidentals = s.accidentals;
    c.lowerStaff = s.lowerStaff;
    c.grandStaff = s.grandStaff;
    c.lowestPitch = s.lowestPitch;
    c.highestPitch = s.highestPitch;
    c.referenceOffset = s.referenceOffset;
    c.bandHeight = s.bandHeight;
    c.topLineY = s.topLineY;
    c.highestPosition = s.highestPosition;
    c.lowestPosition = s.lowestPosition;
    c.topExtent = s.topExtent;
    c.bottomExtent = s.bottomExtent;
    c.groups = s.groups;
    c.spans = s.spans;
    c.voices.reserve(s.voices.size());
    for (const auto& voice : s.voices)
        c.voices.push_back(copyBeat(*voice));
    c.lowestVoice = s.lowestVoice;
    c.highestVoice = s.highestVoice;
    c.content = s.content;
    c.highestUsed = s.highestUsed;
    c.lowestUsed = s.lowestUsed;
    c.texts = s.texts;
    c.textIndex = s.textIndex;
    return c;
}

int measureHolding(const StaffModel& model, int64_t tick)
{
    const auto& measures = model.measures;
    auto it = std::upper_bound(measures.begin(), measures.end(), tick,
                               [](int64_t t, const CStaffMeasure& m) { return t < m.song.start; });
    const int index = int(it - measures.begin()) - 1;
    return std::clamp(index, 0, std::max(int(measures.size()) - 1, 0));
}

// The tick under a document x of the screen layout: where a wedge ends on
// the screen is where it ends on paper.
int64_t tickAtX(const StaffModel& model, int64_t x)
{
    const auto& measures = model.measures;
    auto it = std::upper_bound(measures.begin(), measures.end(), x,
                               [](int64_t v, const CStaffMeasure& m) { return v < m.x; });
    const size_t m = size_t(std::max<ptrdiff_t>(it - measures.begin() - 1, 0));
    const CStaffMeasure& rec = measures[m];
    const int64_t offset = std::clamp<int64_t>(x - rec.x - rec.leadIn, 0, rec.laidOutWidth);
    return rec.song.start + offset * rec.song.length / std::max(rec.laidOutWidth, 1);
}

int xOf(const StaffModel& model, int64_t tick)
{
    const CStaffMeasure& m = model.measures[size_t(measureHolding(model, tick))];
    const int64_t offset = (tick - m.song.start) * m.laidOutWidth / std::max(m.song.length, 1);
    return clampInt(offset + m.leadIn + m.x);
}

void setRange(StaffPrintPlan& plan, const CSongDoc& song, const StaffPrintInput& in)
{
    const StaffModel& model = plan.model;
    if (in.selectionFrom >= 0 && in.selectionTo >= in.selectionFrom) {
        plan.firstMeasure = measureHolding(model, in.selectionFrom);
        plan.lastMeasure = measureHolding(model, in.selectionTo);
        if (plan.lastMeasure > plan.firstMeasure
            && model.measures[size_t(plan.lastMeasure)].song.start == in.selectionTo)
            --plan.lastMeasure;
    } else {
        plan.firstMeasure = 0;
        plan.lastMeasure =
            measureHolding(model, std::max<int64_t>(0, int64_t(song.endTick) - song.timeBase / 8));
    }
}

// Sizes of the staves at print scale; false when they do not fit a page.
bool scaleStaves(StaffPrintPlan& plan, const Scale& scale, const NotationMetrics& metrics)
{
    StaffModel& model = plan.model;
    model.systemHeight = scale(model.systemHeight);
    model.bracketHeight = scale(model.bracketHeight);
    int height = 0;
    for (size_t i = 0; i < model.staves.size(); ++i) {
        CStaffTrack& staff = model.staves[i];
        staff.bandHeight = scale(staff.bandHeight);
        staff.topLineY = scale(staff.topLineY);
        height += staff.bandHeight;
        if (staff.grandStaff)
            plan.printRect.left = kPrintMargin + plan.braceRoom;
        if (staff.lowerStaff && i > 0)
            staff.topLineY = model.staves[i - 1].topLineY + 3 * metrics.musicFontUnit();
    }
    plan.systemHeight = height;
    return height <= plan.printRect.bottom - plan.printRect.top - kFirstPageHead;
}

struct SystemWalk {
    StaffPrintPlan& plan;
    const CSongDoc& song;
    const NotationMetrics& metrics;
    std::vector<int> natural; // per measure: the scaled content width

    int available(int line) const
    {
        const int width = plan.printRect.right - plan.printRect.left;
        return line == 0 ? width - kFirstSystemIndent : width;
    }

    // Spreads the measures from..to-1 over the system's width; every
    // measure keeps a positive width whatever the lead-ins take.
    void justify(int from, int to, int64_t used, int line)
    {
        auto& measures = plan.model.measures;
        int64_t fixed = 0;
        for (int k = from; k < to; ++k)
            fixed += int64_t(measures[size_t(k)].leadIn) + measures[size_t(k)].trailingWidth;
        const int64_t room = std::max<int64_t>(available(line) - fixed, to - from);
        const int64_t content = std::max<int64_t>(used - fixed, 1);
        for (int k = from; k < to; ++k)
            measures[size_t(k)].laidOutWidth =
                clampInt(std::max<int64_t>(int64_t(natural[size_t(k)]) * room / content, 1));
    }

    int headerLeadIn(int m, uint32_t flags, int leadIn)
    {
        CStaffMeasure& rec = plan.model.measures[size_t(m)];
        const MeasureRec* prev = m > 0 ? &plan.model.measures[size_t(m - 1)].song : nullptr;
        for (const CStaffTrack& staff : plan.model.staves) {
            const int key = printedKey(song, staff, rec.song);
            const int cancel = !(flags & 4) && key == 0 && prev && prev->key != rec.song.key
                                   ? printedKey(song, staff, *prev)
                                   : 0;
            const int width = metrics.headerWidth(staff.clef, key,
                                                  cancel, rec.song.numerator, rec.song.denominator,
                                                  int(flags));
            if (width != 0) {
                rec.headerFlags |= kHeaderChange;
                leadIn = std::max(leadIn, plan.defaultLeadIn + width);
            }
        }
        return leadIn;
    }

    void run()
    {
        auto& measures = plan.model.measures;
        plan.headerFlags.assign(measures.size(), 0);
        int64_t x = 0;
        int line = 0;
        int systemStart = plan.firstMeasure;
        for (int m = plan.firstMeasure; m <= plan.lastMeasure; ++m) {
            CStaffMeasure& rec = measures[size_t(m)];
            const MeasureRec* prev = m > 0 ? &measures[size_t(m - 1)].song : nullptr;
            rec.headerFlags &= kRepeatStart | kRepeatEnd;
            rec.laidOutWidth = natural[size_t(m)];
            const bool keySame = prev && prev->key == rec.song.key;
            const bool meterSame = prev && prev->numerator == rec.song.numerator
                                   && prev->denominator == rec.song.denominator;
            uint32_t flags = x == 0 ? 0x18 : 0x19;
            if (x > 0 && keySame)
                flags |= 4;
            if (meterSame && m != plan.firstMeasure)
                flags |= 2;
            plan.headerFlags[size_t(m)] = flags;
            if (x == 0)
                plan.systemStarts.push_back(m);
            int leadIn = plan.defaultLeadIn;
            if (!(x > 0 && keySame && meterSame))
                leadIn = headerLeadIn(m, flags, leadIn);
            rec.leadIn = clampInt(int64_t(leadIn) + rec.extraLeadIn);
            const int64_t total = int64_t(rec.leadIn) + rec.laidOutWidth + rec.trailingWidth;
            if (x > 0 && x + total > available(line)) {
                justify(systemStart, m, x, line);
                ++line;
                x = 0;
                systemStart = m;
                --m; // this measure again, as the next system's first
                continue;
            }
            x += total;
        }
    }
};

void placeMeasures(StaffPrintPlan& plan)
{
    int64_t x = 0;
    for (int m = plan.firstMeasure; m <= plan.lastMeasure; ++m) {
        CStaffMeasure& rec = plan.model.measures[size_t(m)];
        rec.x = clampInt(x);
        x += int64_t(rec.leadIn) + rec.laidOutWidth + rec.trailingWidth;
    }
    // Measures outside the range sit at the range's ends.
    for (int m = 0; m < plan.firstMeasure; ++m)
        plan.model.measures[size_t(m)].x = 0;
    for (size_t m = size_t(plan.lastMeasure + 1); m < plan.model.measures.size(); ++m)
        plan.model.measures[m].x = clampInt(x);
}

void breakPages(StaffPrintPlan& plan)
{
    int page = 0;
    int used = 0;
    for (size_t line = 0; line < plan.systemStarts.size(); ++line) {
        const int height = plan.systemHeight;
        plan.lineHeights.push_back(height);
        if (used > 0 && used + height > plan.pageRoom(page)) {
            ++page;
            used = 0;
        }
        if (used == 0) {
            plan.pageFirstMeasure.push_back(plan.systemStarts[line]);
            plan.pageFirstLine.push_back(int(line));
            plan.pageLineCount.push_back(0);
            plan.pageUsedHeight.push_back(0);
        }
        used += height;
        ++plan.pageLineCount.back();
        plan.pageUsedHeight.back() = used;
    }
}

void placeElements(StaffPrintPlan& plan, const NotationMetrics& metrics,
                   const std::vector<std::vector<int64_t>>& wedgeEnds)
{
    StaffModel& model = plan.model;
    const int lyricHeight = plan.staffHeight * 20 / 32;
    for (size_t s = 0; s < model.staves.size(); ++s) {
        CStaffTrack& staff = model.staves[s];
        for (auto& voice : staff.voices) {
            for (auto& note : voice->notes)
                note->x = xOf(model, note->tick);
            if (!voice->notes.empty()) {
                voice->firstX = voice->notes.front()->x;
                voice->lastX = voice->notes.back()->x;
            }
        }
        int previousEnd = -1;
        for (size_t i = 0; i < staff.texts.size(); ++i) {
            CStaffText& text = staff.texts[i];
            text.x = xOf(model, text.tick);
            if (text.kind == kWedgeText) {
                const int length = xOf(model, wedgeEnds[s][i]) - text.x;
                text.wedgeLength = text.wedgeLength < 0 ? -length : length;
            } else if (text.kind == kLyricText) {
                if (text.pushed || text.x <= previousEnd)
                    text.x = std::max(previousEnd, text.x);
                previousEnd = clampInt(int64_t(text.x) + metrics.textWidth(text.text, lyricHeight));
            }
        }
    }
}

std::vector<std::vector<int64_t>> screenWedgeEnds(const StaffModel& screen)
{
    std::vector<std::vector<int64_t>> ends(screen.staves.size());
    for (size_t s = 0; s < screen.staves.size(); ++s) {
        const auto& texts = screen.staves[s].texts;
        ends[s].resize(texts.size());
        for (size_t i = 0; i < texts.size(); ++i)
            if (texts[i].kind == kWedgeText)
                ends[s][i] = screen.measures.empty()
                                 ? texts[i].tick
                                 : tickAtX(screen, int64_t(texts[i].x) + std::abs(texts[i].wedgeLength));
    }
    return ends;
}

void setTexts(StaffPrintPlan& plan, const CSongDoc& song)
{
    for (const CStaffTrack& staff : plan.model.staves) {
        const bool known = staff.track > 0 && size_t(staff.track) < song.tracks.size();
        plan.trackNames.push_back(known ? decodeText(song.tracks[size_t(staff.track)]->name) : "");
        std::vector<int8_t> keys;
        keys.reserve(plan.model.measures.size());
        for (const CStaffMeasure& rec : plan.model.measures)
            keys.push_back(int8_t(printedKey(song, staff, rec.song)));
        plan.keys.push_back(std::move(keys));
    }
    for (const auto& cue : song.cues)
        if (cue->kind == kCueMarker)
            plan.markers.push_back({cue->time, decodeText(cue->name)});
    std::stable_sort(plan.markers.begin(), plan.markers.end(),
                     [](const StaffPrintMarker& a, const StaffPrintMarker& b) { return a.tick < b.tick; });
    plan.title = decodeText(song.title);
    StripKnownExtension(plan.title);
    plan.subtitle = decodeText(song.subtitle);
    plan.author = decodeText(song.author);
    plan.copyright = decodeText(song.copyright);
}

} // namespace

int printStaffHeight(int printStaffSize)
{
    return kPrintStaffHeights[std::clamp(printStaffSize, 0, 8)];
}

int printedKey(const CSongDoc& song, const CStaffTrack& staff, const MeasureRec& measure)
{
    const int key = std::clamp<int>(measure.key, -7, 7);
    if (staff.track <= 0 || size_t(staff.track) >= song.tracks.size())
        return key;
    return std::clamp<int>(song.tracks[size_t(staff.track)]->MapPitch(key), -7, 7);
}

StaffModel copyStaffModel(const StaffModel& model)
{
    StaffModel out;
    out.staves.reserve(model.staves.size());
    for (const CStaffTrack& staff : model.staves)
        out.staves.push_back(copyStaff(staff));
    out.measures = model.measures;
    out.systemWidth = model.systemWidth;
    out.systemHeight = model.systemHeight;
    out.bracketHeight = model.bracketHeight;
    out.grandStaffGap = model.grandStaffGap;
    return out;
}

int StaffPrintPlan::cancelKey(size_t staff, int m) const
{
    if (staff >= keys.size() || m <= 0 || size_t(m) >= keys[staff].size())
        return 0;
    const uint32_t flags = size_t(m) < headerFlags.size() ? headerFlags[size_t(m)] : 0;
    const auto& measures = model.measures;
    const bool changed = measures[size_t(m)].song.key != measures[size_t(m - 1)].song.key;
    return !(flags & 4) && keys[staff][size_t(m)] == 0 && changed ? keys[staff][size_t(m - 1)] : 0;
}

int StaffPrintPlan::pageTop(int page) const
{
    return printRect.top + (page == 0 ? kFirstPageHead : kPageHead);
}

int StaffPrintPlan::pageRoom(int page) const
{
    return printRect.bottom - pageTop(page);
}

int StaffPrintPlan::systemLeft(int line) const
{
    return printRect.left + (line == 0 ? kFirstSystemIndent : 0);
}

int StaffPrintPlan::systemEnd(int line) const
{
    return size_t(line + 1) < systemStarts.size() ? systemStarts[size_t(line + 1)] : lastMeasure + 1;
}

int StaffPrintPlan::pageSpread(int page) const
{
    if (page < 0 || page + 1 >= pageCount())
        return 0;
    const int count = pageLineCount[size_t(page)];
    if (count < 4)
        return 0;
    return std::max(0, printRect.bottom - pageTop(page) - pageUsedHeight[size_t(page)]) / (count - 1);
}

StaffPrintPlan planStaffPrint(const StaffModel& screen, const CSongDoc& song,
                              const StaffPrintInput& input, const NotationMetrics& metrics)
{
    StaffPrintPlan plan;
    plan.staffHeight = printStaffHeight(input.printStaffSize);
    const int p = plan.staffHeight;
    const Scale scale{p, std::max(input.screenStaffSize - 1, 1)};
    plan.pageWidth = input.pageWidth;
    plan.pageHeight = input.pageHeight;
    plan.printRect = {kPrintMargin, kPrintMargin, input.pageWidth - kPrintMargin,
                      input.pageHeight - kPrintBottomMargin};
    plan.braceRoom = p * 325 / 700;
    plan.lineWidth = p * 15 / 700;
    plan.barWidth = p * 80 / 700;
    plan.defaultLeadIn = scale(input.screenStaffSize * 20 / 27);
    plan.lyricFace = input.lyricFace;
    plan.lyricWeight = input.lyricWeight;
    plan.chordFace = input.chordFace;
    plan.chordWeight = input.chordWeight;
    if (screen.staves.empty() || screen.measures.empty()) {
        plan.lastMeasure = -1;
        setTexts(plan, song);
        return plan;
    }
    const auto wedgeEnds = screenWedgeEnds(screen);
    plan.model = copyStaffModel(screen);
    setTexts(plan, song);
    setRange(plan, song, input);
    if (!scaleStaves(plan, scale, metrics)) {
        plan.refused = true;
        return plan;
    }
    SystemWalk walk{plan, song, metrics, {}};
    walk.natural.resize(plan.model.measures.size());
    for (size_t m = 0; m < plan.model.measures.size(); ++m) {
        CStaffMeasure& rec = plan.model.measures[m];
        rec.extraLeadIn = scale(rec.extraLeadIn);
        rec.trailingWidth = scale(rec.trailingWidth);
        rec.contentWidth = scale(rec.contentWidth);
        rec.leadIn = scale(rec.leadIn);
        walk.natural[m] = std::max(rec.contentWidth, 1);
        rec.laidOutWidth = walk.natural[m];
    }
    walk.run();
    AlignLyricBaselines(plan.model, plan.systemStarts);
    StackMarksBelow(plan.model, plan.systemStarts, metrics, p * 20 / 32);
    placeMeasures(plan);
    breakPages(plan);
    placeElements(plan, metrics, wedgeEnds);
    return plan;
}

} // namespace rz
