#include "set/lyric_marks.h"

#include "song/selection.h"
#include "song/song_doc.h"
#include "song/track.h"

#include <algorithm>

namespace rz {

namespace {

const CMidiEvent* eventOf(const LyricItem& item, const CTrack& track)
{
    if (item.eventIndex < 0 || size_t(item.eventIndex) >= track.events.size())
        return nullptr;
    return &track.events[size_t(item.eventIndex)];
}

bool isSelected(const CMidiEvent& event, uint32_t stamp)
{
    return stamp != 0 && event.selectionStamp == stamp;
}

bool intersects(const LyricRect& a, const LyricRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

bool LyricMarks::mark(std::vector<LyricItem>& items, int first, int end, LyricRect band, bool ctrl,
                      const CTrack& track, uint32_t stamp)
{
    if (band.left > band.right)
        std::swap(band.left, band.right);
    if (band.top > band.bottom)
        std::swap(band.top, band.bottom);
    if (band.right == band.left)
        ++band.right;
    if (band.bottom == band.top)
        ++band.bottom;
    first = std::max(first, 0);
    end = std::min(end, int(items.size()));
    bool changed = false;
    for (int i = first; i < end; ++i) {
        LyricItem& item = items[size_t(i)];
        const CMidiEvent* event = eventOf(item, track);
        if (!event)
            continue;
        int32_t mark = 0;
        if (intersects(item.rect, band))
            mark = ctrl && isSelected(*event, stamp) ? -1 : 1;
        changed |= mark != item.mark;
        item.mark = mark;
    }
    return changed;
}

std::pair<int32_t, int32_t> LyricMarks::range(const std::vector<LyricItem>& items, const CTrack& track,
                                              uint32_t stamp)
{
    int32_t firstTick = -1;
    int32_t lastEnd = -1;
    for (const LyricItem& item : items) {
        const CMidiEvent* event = eventOf(item, track);
        if (!event || item.mark == -1 || (item.mark != 1 && !isSelected(*event, stamp)))
            continue;
        if (firstTick < 0 || event->tick < firstTick)
            firstTick = event->tick;
        lastEnd = std::max(lastEnd, event->tick);
    }
    return {firstTick, lastEnd};
}

void LyricMarks::commit(std::vector<LyricItem>& items, CTrack& track, CSongDoc& song)
{
    for (LyricItem& item : items) {
        if (item.mark == 0 || item.eventIndex < 0 || size_t(item.eventIndex) >= track.events.size()) {
            item.mark = 0;
            continue;
        }
        CMidiEvent& event = track.events[size_t(item.eventIndex)];
        if (item.mark == 1)
            event.selectionStamp = song.selectionStamp;
        else if (isSelected(event, song.selectionStamp))
            event.selectionStamp = 0;
        item.mark = 0;
    }
    const auto [firstTick, lastEnd] = range(items, track, song.selectionStamp);
    if (firstTick >= 0) {
        song.selectionKind = kSelectEvents;
        song.selectionFrom = firstTick;
        song.selectionTo = lastEnd;
    } else {
        song.selectionKind = 0;
        song.selectionFrom = -1;
        song.selectionTo = -1;
    }
}

std::string LyricCopyText(const std::vector<LyricItem>& items, const CTrack& track)
{
    std::string text;
    for (const LyricItem& item : items) {
        const CMidiEvent* event = eventOf(item, track);
        if (!event)
            continue;
        const std::span<const uint8_t> bytes = event->data.bytes();
        const char lead = bytes.empty() ? '\0' : char(bytes[0]);
        if (lead == '\n' || lead == '\\' || lead == '|')
            text += "\n\n";
        else if (lead == '\r' || lead == '/')
            text += '\n';
        text += item.text;
    }
    return text;
}

} // namespace rz
