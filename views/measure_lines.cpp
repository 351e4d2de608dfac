#include "views/measure_lines.h"

#include "views/visible_measures.h"

#include <QPainter>

#include <algorithm>
#include <climits>

namespace rz {

void paintMeasureLines(QPainter& painter, const CSongDoc& song, const TimeAxis& axis, const QRect& plot, int fromX,
                       int toX, const QColor& line, const QColor& change)
{
    const MeasureMap measures =
        visibleMeasures(song, std::max(axis.tickOfX(fromX), 0), std::max(axis.tickOfX(toX), 0));
    const MeasureRec* previous = nullptr;
    int lastX = INT_MIN;
    for (const MeasureRec& m : measures) {
        const int x = axis.xOfTick(m.start);
        const bool meterChange = previous && (previous->length != m.length || previous->denominator != m.denominator);
        previous = &m;
        if (x == lastX && !meterChange)
            continue;
        lastX = x;
        painter.setPen(meterChange ? change : line);
        painter.drawLine(x, plot.top(), x, plot.bottom());
    }
}

} // namespace rz
