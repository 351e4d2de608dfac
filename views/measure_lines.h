#pragma once

#include "views/time_axis.h"

#include <QColor>
#include <QRect>

class QPainter;

namespace rz {

class CSongDoc;

// The measure lines of a lane plot whose columns `fromX`..`toX` are dirty:
// `line`, or `change` where the measure's length or beat unit changes; one
// line a column. GUI thread.
void paintMeasureLines(QPainter& painter, const CSongDoc& song, const TimeAxis& axis, const QRect& plot, int fromX,
                       int toX, const QColor& line, const QColor& change);

} // namespace rz
