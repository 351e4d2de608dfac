// Painting the controller view, back to front: background and plot
// gradient, cue and time-range tints, value and measure lines, the curve
// with its markers, a curve being drawn, the ruler and the value scale.
// GUI thread.

#include "views/graph/control_view.h"

#include "core/color.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "ui/font_substitutions.h"
#include "views/measure_labeler.h"
#include "views/measure_lines.h"
#include "views/plot_line_ends.h"
#include "views/view_colors.h"
#include "views/visible_measures.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kCueFar = 0xF0CB85;
const QColor kPlotTop(239, 225, 13);
const QColor kPlotBottom(189, 206, 192);
const QColor kMinorGridLine(224, 224, 224);
constexpr int kControlMarker = 6;
constexpr int kGridDivisions = 8;
constexpr int kControlMinorLinesFrom = 400; // zoom, pixels
constexpr int kLabelsFrom = 550;
constexpr int kMinorTicksFrom = 750;
constexpr int kMinorLabelsFrom = 1000;
constexpr int kLabelHeight = 9;

void etchedLine(QPainter& painter, QPoint from, QPoint to, bool vertical)
{
    painter.setPen(QColor(0, 0, 0));
    painter.drawLine(from, to);
    painter.setPen(QColor(255, 255, 255, 96));
    const QPoint step = vertical ? QPoint(1, 0) : QPoint(0, 1);
    painter.drawLine(from + step, to + step);
}

} // namespace

void ControlView::paintView(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, fromColorRef(view_colors::kBackground));
    if (!song())
        return;
    const ControlScale s = scale();
    const QRect plot = plotRect();
    if (s.drawable()) {
        painter.save();
        painter.setClipRect(plot & dirty);
        paintBackground(painter, plot);
        paintSpans(painter, plot);
        paintGrid(painter, plot, s);
        paintCurve(painter, dirty, s);
        paintPath(painter, s);
        if (rubberBand().active())
            rubberBand().paint(painter);
        painter.restore();
    }
    if (ownsRuler())
        paintRuler(painter, dirty);
    if (s.drawable() && plot.left() > 0)
        paintValueScale(painter, s);
}

void ControlView::paintBackground(QPainter& painter, const QRect& plot)
{
    QLinearGradient gradient(0, plot.top(), 0, plot.bottom());
    gradient.setColorAt(0, kPlotTop);
    gradient.setColorAt(1, kPlotBottom);
    painter.fillRect(plot, gradient);
}

void ControlView::paintSpans(QPainter& painter, const QRect& plot)
{
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    const auto span = [&](int32_t from, int32_t to) {
        const int left = std::max(a.xOfTick(std::min(from, to)), plot.left());
        const int right = std::min(a.xOfTick(std::max(from, to)), plot.right());
        return QRect(left, plot.top(), right - left + 1, plot.height());
    };
    for (const auto& cue : doc.cues) {
        const QRect r = span(cue->time, cue->secondTime);
        if (r.width() <= 0)
            continue;
        const Color colour = doc.context().host.cueColor(cue->kind);
        QLinearGradient gradient(0, plot.top(), 0, plot.bottom());
        gradient.setColorAt(0, fromColorRef(BlendColors(colour, view_colors::kFrameBase)));
        gradient.setColorAt(1, fromColorRef(BlendColors(colour, kCueFar)));
        painter.fillRect(r, gradient);
    }
    if ((doc.selectionKind & kSelectTimeRange) && doc.selectionTo > doc.selectionFrom) {
        const QRect r = span(doc.selectionFrom, doc.selectionTo);
        if (r.width() > 0)
            painter.fillRect(r, fromColorRef(ShadeColor(view_colors::kFrameBase, 150)));
    }
}

void ControlView::paintGrid(QPainter& painter, const QRect& plot, const ControlScale& s)
{
    const int step = std::max((s.maximum + 1) / kGridDivisions, 1);
    const bool minor = (s.fits() ? plot.height() : s.zoom) > kControlMinorLinesFrom;
    for (int v = 0; v <= s.maximum + 1; v += step) {
        for (int k = 1; minor && k < 4 && v + k * step / 4 <= s.maximum; ++k) {
            painter.setPen(kMinorGridLine);
            const int y = s.yOfValue(v + k * step / 4);
            painter.drawLine(plot.left(), y, plot.right(), y);
        }
        painter.setPen(fromColorRef(view_colors::kGridLine));
        const int y = s.yOfValue(v);
        painter.drawLine(plot.left(), y, plot.right(), y);
    }
    paintMeasureLines(painter, *song(), s.axis, plot, plot.left(), plot.right(), fromColorRef(view_colors::kGridLine),
                      fromColorRef(view_colors::kMeterChangeLine));
}

void ControlView::paintCurve(QPainter& painter, const QRect& dirty, const ControlScale& s)
{
    const std::vector<CControlPoint>& points = m_curve.points();
    if (points.empty())
        return;
    const QRect plot = plotRect();
    const int32_t leftTick = s.axis.tickOfX(std::max(dirty.left(), plot.left()) - kControlMarker);
    const int64_t rightTick = int64_t(s.axis.tickOfX(dirty.right() + kControlMarker));
    size_t first = size_t(std::lower_bound(points.begin(), points.end(), leftTick,
                                           [](const CControlPoint& p, int32_t t) { return p.tick < t; })
                          - points.begin());
    first = first > 0 ? first - 1 : 0;
    size_t last = first;
    while (last + 1 < points.size() && points[last].tick <= rightTick)
        ++last;
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (size_t i = first; i < last; ++i) {
        const CControlPoint& a = points[i];
        const CControlPoint& b = points[i + 1];
        if (a.gap() || b.gap())
            continue;
        const QPoint from = s.pointOf(a.tick, a.value);
        const QPoint to = s.pointOf(b.tick, b.value);
        painter.setPen(a.value == b.value ? fromColorRef(view_colors::kCurve) : Qt::black);
        painter.drawLine(heldX(from.x(), plot), from.y(), heldX(to.x(), plot), to.y());
    }
    const CSongDoc& doc = *song();
    const bool selection = doc.selectionKind & kSelectEvents;
    for (size_t i = first; i <= last; ++i) {
        const CControlPoint& p = points[i];
        if (p.gap())
            continue;
        paintPointMarker(painter, s.pointOf(p.tick, p.value), kControlMarker, selection && p.stamp == doc.selectionStamp,
                         dirty);
    }
}

// The curve being drawn, as steps: across to the next tick, then up or down.
void ControlView::paintPath(QPainter& painter, const ControlScale& s)
{
    if (m_path.empty())
        return;
    const bool level = drawShape() == 0 && m_path.front().value == m_path.back().value;
    painter.setPen(level ? fromColorRef(view_colors::kCurve) : Qt::black);
    QPoint previous = s.pointOf(m_path.front().tick, m_path.front().value);
    for (const CControlPoint& p : m_path) {
        const QPoint at = s.pointOf(p.tick, p.value);
        painter.drawLine(previous, QPoint(at.x(), previous.y()));
        painter.drawLine(QPoint(at.x(), previous.y()), at);
        previous = at;
    }
}

void ControlView::paintRuler(QPainter& painter, const QRect& dirty)
{
    const QRect band(plotRect().left(), 0, width() - plotRect().left(), std::min(lanes().lanesTop(), plotRect().top()));
    if (!band.intersects(dirty) || band.height() <= 0)
        return;
    QLinearGradient gradient(0, band.top(), 0, band.bottom());
    gradient.setColorAt(0, fromColorRef(ShadeColor(view_colors::kFrameBase, 160)));
    gradient.setColorAt(1, fromColorRef(ShadeColor(view_colors::kFrameBase, 100)));
    painter.fillRect(band, gradient);
    etchedLine(painter, band.bottomLeft(), band.bottomRight(), false);
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    if ((doc.selectionKind & kSelectTimeRange) && doc.selectionTo > doc.selectionFrom) {
        const int left = std::max(a.xOfTick(doc.selectionFrom), band.left());
        const int right = std::min(a.xOfTick(doc.selectionTo), band.right());
        if (right >= left)
            painter.fillRect(QRect(left, band.top(), right - left + 1, band.height()), QColor(255, 255, 255, 96));
    }
    const MeasureMap measures = visibleMeasures(doc, std::max(a.tickOfX(band.left()), 0), a.tickOfX(band.right()));
    painter.setFont(rulerFont());
    painter.setPen(fromColorRef(view_colors::kLabelText));
    const int baseline = std::min(lanes().rulerHeight, band.height()) - 4;
    for (const MeasureRec& m : measures) {
        const int x = a.xOfTick(m.start);
        if (x < band.left() || !m.label)
            continue;
        painter.drawText(x + 2, baseline, QString::fromStdString(MeasureLabeler::labelText(m)));
    }
}

// The margin's scale: a tick every eighth of the range, labelled from zoom
// 550; quarter ticks from 750, labelled from 1000.
void ControlView::paintValueScale(QPainter& painter, const ControlScale& s)
{
    const QRect plot = plotRect();
    const QRect margin(0, plot.top(), plot.left(), plot.height());
    painter.save();
    painter.setClipRect(margin);
    painter.fillRect(margin, fromColorRef(view_colors::kFrameBase));
    etchedLine(painter, QPoint(margin.right() - 1, margin.top()), QPoint(margin.right() - 1, margin.bottom()), true);
    painter.setFont(programFont(QStringLiteral("Verdana"), kLabelHeight));
    const int step = std::max((s.maximum + 1) / kGridDivisions, 1);
    const int half = margin.width() / 2;
    const int threeQuarters = margin.width() * 3 / 4;
    const auto label = [&](int value, int y) {
        painter.setPen(fromColorRef(view_colors::kLabelText));
        painter.drawText(QRect(1, y - kLabelHeight - 1, half, kLabelHeight + 2), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(s.maximum > 0 ? value + m_kind.displayOffset() : value));
    };
    for (int v = 0; v <= s.maximum + 1; v += step) {
        const int y = s.yOfValue(v);
        etchedLine(painter, QPoint(half, y), QPoint(margin.right() - 2, y), false);
        if (s.zoom > kLabelsFrom)
            label(v, y);
        for (int k = 1; s.zoom > kMinorTicksFrom && k < 4 && v + k * step / 4 <= s.maximum; ++k) {
            const int minorY = s.yOfValue(v + k * step / 4);
            etchedLine(painter, QPoint(threeQuarters, minorY), QPoint(margin.right() - 2, minorY), false);
            if (s.zoom > kMinorLabelsFrom)
                label(v + k * step / 4, minorY);
        }
    }
    painter.restore();
}

} // namespace rz
