#include "views/clip/clip_geometry.h"

#include "song/song_doc.h"
#include "song/track.h"

#include <algorithm>

namespace rz {

bool ClipGeometry::inPlot(QPoint at) const
{
    return at.x() >= plot.left() && at.x() <= plot.right() && at.y() >= lanes.rulerHeight
           && at.y() <= plot.bottom();
}

int32_t ClipGeometry::tickOfX(int x, bool snap) const
{
    return clock ? clock->tickOfX(x, snap) : axis.tickOfX(x);
}

bool ClipGeometry::isItem(const CTrack& track, const CTrackItem& item) const
{
    return item.clip ? track.type == kWaveTrack : midiItems && track.type != kWaveTrack;
}

size_t ClipGeometry::firstItemFrom(const CTrack& track, int32_t tick)
{
    const auto after = std::partition_point(track.items.begin(), track.items.end(),
                                            [tick](const CTrackItem& item) { return item.start <= tick; });
    size_t i = size_t(after - track.items.begin());
    // The item starting before the tick may still run over it.
    if (i > 0 && int64_t(track.items[i - 1].start) + track.items[i - 1].length >= tick)
        --i;
    return i;
}

QRect ClipGeometry::TickRowToRect(int32_t fromTick, int32_t toTick, int row) const
{
    const int left = xOfTick(fromTick);
    const int right = std::max(xOfTick(toTick), left + 1);
    const int top = lanes.rowY(row);
    return QRect(QPoint(left, top + 1), QPoint(right - 1, top + lanes.laneHeight - 2));
}

ClipGeometry::TickRow ClipGeometry::PointToTickRow(QPoint at) const
{
    TickRow out;
    out.tick = std::max(tickOfX(std::max(at.x(), plot.left())), 0);
    out.row = at.y() >= lanes.lanesTop() ? lanes.rowAt(at.y()) : 0;
    return out;
}

int ClipGeometry::firstVisibleRow() const
{
    return lanes.firstRow + 1;
}

int ClipGeometry::lastVisibleRow() const
{
    return std::min(lanes.rowAt(plot.bottom()), trackCount - 2);
}

int32_t ClipGeometry::HitTest(const CSongDoc& song, QPoint at) const
{
    if (!inPlot(at))
        return kNoHit;
    for (size_t c = 0; c < cueRects.size(); ++c)
        if (cueRects[c].contains(at))
            return kCueHit | int32_t(c);
    if (at.y() < lanes.lanesTop())
        return kNoHit;
    const int row = lanes.rowAt(at.y());
    if (row < firstVisibleRow() || row > lastVisibleRow() || size_t(row) >= song.tracks.size())
        return kNoHit;
    const CTrack& track = *song.tracks[size_t(row)];
    if (track.type != kWaveTrack && !midiItems)
        return kNoHit;
    // Items drawn at least a pixel wide may lie just left of the tick.
    const size_t first = firstItemFrom(track, std::max(tickOfX(at.x() - 1), 0));
    const size_t last = std::min(firstItemFrom(track, tickOfX(at.x() + 1)) + 2, track.items.size());
    for (size_t i = last; i-- > first;) {
        const CTrackItem& item = track.items[i];
        if (isItem(track, item) && TickRowToRect(item.start, item.start + item.length, row).adjusted(0, -1, 0, 1).contains(at))
            return clipHit(row, int(i));
    }
    return kNoHit;
}

} // namespace rz
