#include <algorithm>

#include "core/set_link.h"
#include "core/song_host.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

int32_t earlierTime(const CCue& cue) { return std::min(cue.time, cue.secondTime); }

// Whether a new cue sorts after an existing one.
bool sortsAfter(const CCue& added, const CCue& existing)
{
    return added.GetTime() > existing.GetTime()
           || (added.GetTime() == existing.GetTime() && earlierTime(added) >= earlierTime(existing));
}

// What the next measure shows when nothing changes: the next number, or the
// next letter when the measure has one.
void stepNumbering(MeasureRec& m)
{
    if (m.letter != 0)
        ++m.letter;
    else
        ++m.number;
}

// The fields a snapshot keeps per run; start and length follow from the meter.
bool sameRun(const MeasureRec& a, const MeasureRec& b)
{
    return a.number == b.number && a.letter == b.letter && a.key == b.key && a.mode == b.mode
           && a.numerator == b.numerator && a.denominator == b.denominator
           && a.clocksPerClick == b.clocksPerClick && a.thirtySeconds == b.thirtySeconds
           && a.carried[0] == b.carried[0] && a.carried[1] == b.carried[1] && a.last == b.last;
}

} // namespace

void CSongDoc::RestoreCues(CCueSet& set, bool keepPlaces)
{
    std::vector<CCue> removed;
    removed.reserve(set.removeKeys.size());
    for (size_t k = set.removeKeys.size(); k-- > 0;) {
        removed.insert(removed.begin(), *cues[set.removeKeys[k]]);
        cues.erase(cues.begin() + std::ptrdiff_t(set.removeKeys[k]));
    }
    const bool explicitPlaces = keepPlaces && set.insertKeys.size() == set.cues.size();
    std::vector<uint32_t> inserted;
    size_t cursor = 0;
    for (size_t k = 0; k < set.cues.size(); ++k) {
        const CCue& cue = set.cues[k];
        if (explicitPlaces) {
            cursor = std::min<size_t>(set.insertKeys[k], cues.size());
        } else {
            while (cursor < cues.size() && sortsAfter(cue, *cues[cursor]))
                ++cursor;
        }
        auto added = std::make_unique<CCue>(cue);
        added->selectionStamp = selectionStamp;
        cues.insert(cues.begin() + std::ptrdiff_t(cursor), std::move(added));
        inserted.push_back(uint32_t(cursor++));
    }
    set.insertKeys = set.removeKeys;
    set.cues = std::move(removed);
    const bool any = !inserted.empty();
    set.removeKeys = std::move(inserted);
    UpdateSongEnd();
    m_context.host.clearEventListSelection(*this);
    if (m_context.setLink != nullptr)
        m_context.setLink->UpdateMarkers(*this);
    if (any)
        selectionKind |= kSelectCues;
}

std::unique_ptr<CMeasureMapSnapshot> CSongDoc::SnapshotMeasureMap() const
{
    return rz::SnapshotMeasureMap(measureMap, timeBase);
}

std::unique_ptr<CMeasureMapSnapshot> SnapshotMeasureMap(const MeasureMap& measureMap, int timeBase)
{
    auto snapshot = std::make_unique<CMeasureMapSnapshot>();
    snapshot->measureCount = int32_t(measureMap.size());
    MeasureRec expected;
    int64_t running = 0;
    for (size_t i = 0; i < measureMap.size(); ++i) {
        const MeasureRec& m = measureMap[i];
        if (i > 0)
            stepNumbering(expected);
        if (i == 0 || !sameRun(m, expected)) {
            expected = m;
            expected.start = int32_t(std::min<int64_t>(running, INT32_MAX));
            expected.length = measureLength(timeBase, m.numerator, m.denominator);
            snapshot->entries.push_back(expected);
        }
        running += measureLength(timeBase, m.numerator, m.denominator);
    }
    return snapshot;
}

void CSongDoc::RestoreMeasureMap(const CMeasureMapSnapshot& snapshot)
{
    measureMap.assign(size_t(std::max(snapshot.measureCount, 0)), MeasureRec());
    size_t next = 0;
    MeasureRec current;
    int64_t running = 0;
    for (size_t i = 0; i < measureMap.size(); ++i) {
        const int32_t tick = int32_t(std::min<int64_t>(running, INT32_MAX));
        if (next < snapshot.entries.size() && snapshot.entries[next].start <= tick) {
            current = snapshot.entries[next++];
        } else {
            stepNumbering(current);
        }
        MeasureRec& m = measureMap[i];
        m = current;
        m.start = tick;
        m.length = measureLength(timeBase, m.numerator, m.denominator);
        running += m.length;
    }
    measureMapEnd = int32_t(std::min<int64_t>(running, INT32_MAX));
}

} // namespace rz
