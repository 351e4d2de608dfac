// Painting the tempo view: background, ruler, tempo and measure lines, the
// curve with its markers and a draw gesture in progress. GUI thread.

#include "views/graph/tempo_view.h"

#include "song/cue.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "views/cue_flag_painter.h"
#include "views/measure_labeler.h"
#include "views/measure_lines.h"
#include "views/plot_line_ends.h"
#include "views/view_colors.h"
#include "views/visible_measures.h"

#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

const QColor kMajorLine(145, 161, 177);
const QColor kMinorLine(189, 206, 192);
const QColor kTempoRulerFace(236, 233, 216);
constexpr int kTempoMarker = 7;
constexpr int kMajorStep = 600;       // tenths of a BPM between major lines
constexpr int kMinorStep = 100;
constexpr int kTempoMinorLinesFrom = 400;  // graph height in pixels
constexpr int kReachColumns = 3;      // points drawn either side of the dirty part

} // namespace

void TempoView::paintView(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, fromColorRef(view_colors::kBackground));
    if (!song())
        return;
    if (ownsRuler())
        paintRuler(painter, dirty);
    const TempoScale s = scale();
    painter.save();
    painter.setClipRect(plotRect() & dirty);
    paintGrid(painter, dirty, s);
    paintCurve(painter, dirty, s);
    painter.restore();
}

void TempoView::paintRuler(QPainter& painter, const QRect& dirty)
{
    const QRect band(0, 0, width(), std::min(lanes().lanesTop(), plotRect().top()));
    if (!band.intersects(dirty))
        return;
    painter.fillRect(band & dirty, kTempoRulerFace);
    painter.setPen(Qt::black);
    painter.drawLine(band.left(), lanes().rulerHeight - 1, band.right(), lanes().rulerHeight - 1);
    const TimeAxis a = axis();
    const MeasureMap measures = visibleMeasures(*song(), std::max(a.tickOfX(dirty.left()), 0), a.tickOfX(dirty.right()));
    painter.setFont(rulerFont());
    for (const MeasureRec& m : measures) {
        const int x = a.xOfTick(m.start);
        if (x < plotRect().left())
            continue;
        painter.drawLine(x, 0, x, lanes().rulerHeight - 1);
        if (m.label)
            painter.drawText(x + 2, lanes().rulerHeight - 4, QString::fromStdString(MeasureLabeler::labelText(m)));
    }
    paintCueFlags(painter, dirty & QRect(plotRect().left(), 0, plotRect().width(), band.height()));
}

// Last first, so that the earlier flag lies on top.
void TempoView::paintCueFlags(QPainter& painter, const QRect& area)
{
    const CSongDoc& doc = *song();
    const std::vector<QRect> flags = cueFlagRects();
    const TimeAxis a = axis();
    painter.save();
    painter.setClipRect(area);
    painter.setFont(CueFlagPainter::flagFont());
    for (size_t c = std::min(doc.cues.size(), flags.size()); c-- > 0;) {
        const CCue& cue = *doc.cues[c];
        if (flags[c].intersects(area))
            CueFlagPainter::DrawFlag(painter, cue, flags[c], a.xOfTick(cue.secondTime), a.xOfTick(cue.time),
                                     doc.selectionStamp, doc.context().host, doc.context().engine);
    }
    painter.restore();
}

void TempoView::paintGrid(QPainter& painter, const QRect& dirty, const TempoScale& s)
{
    const QRect plot = plotRect();
    const int effective = s.graphFits() ? s.plotHeight() : s.graphHeight;
    for (int tenths = TempoScale::kFullScale; tenths >= 0; tenths -= kMajorStep) {
        for (int minor = 1; effective > kTempoMinorLinesFrom && minor <= 4 && tenths - minor * kMinorStep >= 0; ++minor) {
            const int y = s.yOfTenths(tenths - minor * kMinorStep);
            painter.setPen(kMinorLine);
            painter.drawLine(dirty.left(), y, dirty.right(), y);
        }
        const int y = s.yOfTenths(tenths);
        if (y >= plot.top() && y <= plot.bottom()) {
            painter.setPen(kMajorLine);
            painter.drawLine(dirty.left(), y, dirty.right(), y);
        }
    }
    paintMeasureLines(painter, *song(), s.axis, plot, dirty.left(), dirty.right(), kMajorLine,
                      fromColorRef(view_colors::kMeterChangeLine));
}

void TempoView::paintCurve(QPainter& painter, const QRect& dirty, const TempoScale& s)
{
    const std::vector<CTempoPoint>& points = m_graph.points();
    if (points.empty())
        return;
    const QRect plot = plotRect();
    const int64_t reach = int64_t(kReachColumns) * s.axis.gridTicks;
    const int32_t fromTick = int32_t(std::max<int64_t>(int64_t(s.axis.tickOfX(dirty.left())) - reach, 0));
    const int64_t toTick = int64_t(s.axis.tickOfX(dirty.right())) + reach;
    const size_t first = size_t(std::max(m_graph.FindPointIndex(fromTick), 0));
    size_t last = first;
    while (last + 1 < points.size() && points[last].tick <= toTick)
        ++last;
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPoint from = s.pointOf(points[first].tick, points[first].tempo);
    for (size_t i = first; i < last; ++i) {
        const QPoint to = s.pointOf(points[i + 1].tick, points[i + 1].tempo);
        painter.setPen(points[i].tempo == points[i + 1].tempo ? fromColorRef(view_colors::kCurve) : Qt::black);
        painter.drawLine(heldX(from.x(), plot), from.y(), heldX(to.x(), plot), to.y());
        from = to;
    }
    const bool tempoSelection = song()->selectionKind & kSelectTempo;
    const uint32_t stamp = song()->selectionStamp;
    for (size_t i = first; i <= last; ++i) {
        paintPointMarker(painter, s.pointOf(points[i].tick, points[i].tempo), kTempoMarker,
                         tempoSelection && points[i].flags == stamp, dirty);
    }
    if (m_draw.active() && !m_draw.drawn().empty()) {
        painter.setPen(Qt::black);
        QPoint previous = s.pointOf(m_draw.drawn().front().tick, m_draw.drawn().front().tempo);
        for (const CTempoPoint& p : m_draw.drawn()) {
            const QPoint at = s.pointOf(p.tick, p.tempo);
            painter.drawLine(previous, at);
            previous = at;
        }
    }
}

} // namespace rz
