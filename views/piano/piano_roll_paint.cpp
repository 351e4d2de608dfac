// Painting the piano roll: pitch rows, ruler, cue spans, the time
// selection, measure and subdivision lines, labels, the notes, the drag
// overlays, the keyboard strip and the band. GUI thread.

#include "views/piano/piano_roll_view.h"

#include "core/color.h"
#include "core/engine_link.h"
#include "core/song_host.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"
#include "ui/font_substitutions.h"
#include "ui/frame_3d.h"
#include "views/cue_flag_painter.h"
#include "views/piano/key_rows_paint.h"
#include "views/measure_labeler.h"
#include "views/view_colors.h"
#include "views/visible_measures.h"
#include "views/patch_names.h"

#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kDraggedNote = 0xA0A0A0;
constexpr int kBandPatternLimit = 800; // width + height above which the band is not tinted


// Beat length in ticks: metronome clicks of the measure.
int32_t beatTicks(const MeasureRec& m, int timeBase)
{
    return std::max<int32_t>(int32_t(m.clocksPerClick) * timeBase / 24, 1);
}

} // namespace

void PianoRollView::paintView(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, fromColorRef(view_colors::kBackground));
    const QRect plot = plotRect() & dirty;
    rowsRef().noteTop = plotRect().top();
    painter.save();
    painter.setClipRect(plotRect() & dirty);
    paintRows(painter, plot);
    painter.restore();
    if (song()) {
        paintRuler(painter, dirty);
        paintCueFlags(painter, dirty);
        painter.save();
        painter.setClipRect(plotRect() & dirty);
        paintSpans(painter, plot);
        const TimeAxis a = axis();
        const MeasureMap measures = visibleMeasures(*song(), std::max(a.tickOfX(dirty.left()), 0),
                                                    std::max(a.tickOfX(dirty.right()), 0));
        paintMeasureLines(painter, plot, measures);
        if (shownTracks().empty())
            paintHint(painter);
        else
            paintNotes(painter, plot);
        paintOverlays(painter, plot);
        painter.restore();
    }
    paintKeyboard(painter, dirty);
}

void PianoRollView::paintRows(QPainter& painter, const QRect& plot)
{
    for (int key = PianoLayout::kTopKey; key >= PianoLayout::kBottomKey; --key) {
        const QRect row(plot.left(), rowsRef().yOfKey(key), plot.width(), rowsRef().rowHeight);
        if (row.bottom() < plot.top() || row.top() > plot.bottom())
            continue;
        painter.fillRect(row & plot, fromColorRef(PianoLayout::blackKey(key) ? key_rows::kBlackRow : key_rows::kWhiteRow));
    }
}

void PianoRollView::paintRuler(QPainter& painter, const QRect& dirty)
{
    const int height = lanes().rulerHeight;
    const QRect band(stripWidth(), 0, width() - stripWidth(), height);
    if (!band.intersects(dirty))
        return;
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0, fromColorRef(ShadeColor(view_colors::kFrameBase, 160)));
    gradient.setColorAt(1, fromColorRef(ShadeColor(view_colors::kFrameBase, 100)));
    painter.fillRect(band & dirty, gradient);
    painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 60)));
    painter.drawLine(band.left(), height - 2, band.right(), height - 2);
    painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 200)));
    painter.drawLine(band.left(), height - 1, band.right(), height - 1);
    const TimeAxis a = axis();
    const MeasureMap measures =
        visibleMeasures(*song(), std::max(a.tickOfX(dirty.left()), 0), a.tickOfX(dirty.right()));
    painter.setFont(rulerFont());
    for (size_t i = 0; i < measures.size(); ++i) {
        const MeasureRec& m = measures[i];
        const int x = a.xOfTick(m.start);
        if (x < stripWidth())
            continue;
        if (!m.label) {
            painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 200)));
            painter.drawLine(x, height * 3 / 4 + 3, x, height - 2);
            continue;
        }
        const QString text = QString::fromStdString(MeasureLabeler::labelText(m));
        const QRect box(x, 1, painter.fontMetrics().horizontalAdvance(text) + 4, height - 3);
        draw3dRect(painter, box, ShadeColor(view_colors::kFrameBase, 200), ShadeColor(view_colors::kFrameBase, 60));
        painter.setPen(fromColorRef(view_colors::kLabelText));
        painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
        const int32_t beat = beatTicks(m, song()->timeBase);
        const bool nextLabelled = i + 1 < measures.size() && measures[i + 1].label;
        if (nextLabelled && a.xOfTick(m.start + beat) - x >= 8) {
            painter.setPen(fromColorRef(ShadeColor(view_colors::kFrameBase, 200)));
            for (int64_t t = int64_t(m.start) + beat; t < int64_t(m.start) + m.length; t += beat) {
                const int bx = a.xOfTick(int32_t(t));
                painter.drawLine(bx, height * 3 / 4 + 3, bx, height - 2);
            }
        }
    }
}

void PianoRollView::paintCueFlags(QPainter& painter, const QRect& dirty)
{
    const CSongDoc& doc = *song();
    const std::vector<QRect> flags = cueRects();
    const TimeAxis a = axis();
    painter.save();
    painter.setClipRect(QRect(stripWidth(), 0, width() - stripWidth(), plotRect().top()) & dirty);
    painter.setFont(CueFlagPainter::flagFont());
    for (size_t c = 0; c < flags.size() && c < doc.cues.size(); ++c) {
        const CCue& cue = *doc.cues[c];
        if (flags[c].intersects(dirty))
            CueFlagPainter::DrawFlag(painter, cue, flags[c], a.xOfTick(cue.secondTime), a.xOfTick(cue.time),
                                     doc.selectionStamp, doc.context().host, doc.context().engine);
    }
    painter.restore();
}

// Cue spans tint their rows, then the time selection shades them.
void PianoRollView::paintSpans(QPainter& painter, const QRect& plot)
{
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    const ISongDisplayOptions& options = doc.context().host;
    const auto tint = [&](int32_t from, int32_t to, const auto& colourOf) {
        const int left = std::max(a.xOfTick(from), plot.left());
        const int right = std::min(a.xOfTick(to), plot.right());
        if (right < left)
            return;
        for (int key = PianoLayout::kTopKey; key >= PianoLayout::kBottomKey; --key) {
            const QRect row(left, rowsRef().yOfKey(key), right - left + 1, rowsRef().rowHeight);
            if (row.intersects(plot))
                painter.fillRect(row & plot, fromColorRef(colourOf(PianoLayout::blackKey(key))));
        }
    };
    for (const auto& cue : doc.cues) {
        const Color colour = options.cueColor(cue->kind);
        tint(std::min(cue->time, cue->secondTime), std::max(cue->time, cue->secondTime), [&](bool black) {
            return BlendColors(colour, black ? key_rows::kBlackRow : key_rows::kWhiteRow);
        });
    }
    if (doc.selectionKind == kSelectTimeRange && doc.selectionTo > doc.selectionFrom)
        tint(doc.selectionFrom, doc.selectionTo,
             [](bool black) { return black ? view_colors::kFrameBase : ShadeColor(view_colors::kFrameBase, 150); });
}

void PianoRollView::paintMeasureLines(QPainter& painter, const QRect& plot, const MeasureMap& measures)
{
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    const EditTools tools = doc.context().host.editTools();
    const MeasureRec* previous = nullptr;
    const QPen dotted(fromColorRef(ShadeColor(key_rows::kMeasureLine, 210)), 1, Qt::DotLine);
    for (const MeasureRec& m : measures) {
        const int x = a.xOfTick(m.start);
        const bool changed = previous && (beatTicks(*previous, doc.timeBase) != beatTicks(m, doc.timeBase)
                                          || previous->length != m.length);
        previous = &m;
        const int measurePixels = a.xOfTick(m.start + m.length) - x;
        const int n = PianoLayout::subdivisions(m.length, tools.gridValue, doc.timeBase, measurePixels);
        if (n > 1 && measurePixels / n >= 8) {
            painter.setPen(dotted);
            for (int i = 1; i < n; ++i) {
                const int sx = x + int(int64_t(measurePixels) * i / n);
                if (sx >= plot.left() && sx <= plot.right())
                    painter.drawLine(sx, plot.top(), sx, plot.bottom());
            }
        }
        if (x < plot.left() || x > plot.right())
            continue;
        painter.setPen(fromColorRef(changed ? view_colors::kMeterChangeLine : key_rows::kMeasureLine));
        painter.drawLine(x, plot.top(), x, plot.bottom());
    }
}

// From the last shown track to the first, so the first is on top. The
// notes are gathered front to back first, leaving out those that the notes
// drawn after them hide, then drawn back to front.
void PianoRollView::paintNotes(QPainter& painter, const QRect& plot)
{
    if (plot.isEmpty())
        return;
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    const int32_t from = std::max(a.tickOfX(plot.left()), 0);
    const int32_t to = int32_t(std::min<int64_t>(int64_t(a.tickOfX(plot.right() + 1)) + a.gridTicks, INT32_MAX));
    const bool grey = m_editor && m_editor->greysSelection();
    PianoGeometry g;
    g.axis = a;
    g.rows = rowsRef();
    m_cover.reset(PianoLayout::kRows, plot.left(), plot.right());
    m_drawn.clear();
    for (int shown : shownTracks()) {
        const CTrack& track = *doc.tracks[size_t(shown)];
        PianoLayout::visibleNotes(doc, track, from, to, m_visible);
        for (auto index = m_visible.rbegin(); index != m_visible.rend(); ++index) {
            const CMidiEvent& e = track.events[*index];
            const int key = e.data1() + track.key;
            if (!PianoLayout::shownKey(key))
                continue;
            const QRect r = m_editor ? m_editor->noteRect(g, e.tick, e.value2, key)
                                     : QRect(a.xOfTick(e.tick), rowsRef().yOfKey(key), 1, rowsRef().rowHeight);
            if (r.bottom() < plot.top() || r.top() > plot.bottom()
                || !m_cover.cover(PianoLayout::rowOfKey(key), r.left(), r.right()))
                continue;
            const bool selected =
                (e.selectionStamp == doc.selectionStamp && e.pendingChange >= 0) || e.pendingChange == 1;
            m_drawn.push_back({r, selected ? (grey ? kDraggedNote : view_colors::kFrameBase) : track.color});
        }
    }
    Color last = 0;
    QColor colour = fromColorRef(last);
    for (auto note = m_drawn.rbegin(); note != m_drawn.rend(); ++note) {
        if (note->fill != last) {
            last = note->fill;
            colour = fromColorRef(last);
        }
        const QRect& r = note->rect;
        painter.fillRect(r, colour);
        if (r.width() > 2 && r.height() > 2)
            draw3dRect(painter, r, ShadeColor(last, 180), ShadeColor(last, 80));
    }
}

void PianoRollView::paintOverlays(QPainter& painter, const QRect& plot)
{
    if (!m_editor)
        return;
    const TimeAxis a = axis();
    const uint32_t mode = m_editor->mode();
    if ((mode & PianoEditController::kOutline) && !(mode & PianoEditController::kPressed)) {
        const PianoEditController::Box& box = m_editor->box();
        const int top = box.high >= PianoEditController::kCueKey ? plot.top() : rowsRef().yOfKey(box.high);
        const int bottom =
            box.low >= PianoEditController::kCueKey ? plot.top() : rowsRef().yOfKey(box.low) + rowsRef().rowHeight;
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(a.xOfTick(box.left), top), QPoint(a.xOfTick(box.right), std::max(bottom, top))));
    }
    const PianoEditController::Highlight& h = m_editor->highlight();
    if ((mode & PianoEditController::kDrawOrMove) && !(mode & PianoEditController::kOutline) && h.key >= 0) {
        const QRect r(a.xOfTick(h.tick) + 2, rowsRef().yOfKey(h.key), std::max(h.length / a.gridTicks, 1),
                      rowsRef().rowHeight);
        painter.fillRect(r & plot, fromColorRef(view_colors::kFrameBase));
    }
}

void PianoRollView::paintKeyboard(QPainter& painter, const QRect& dirty)
{
    const int top = plotRect().top();
    const QRect strip(0, top, stripWidth(), plotRect().height());
    const QRect corner(0, 0, stripWidth(), top);
    if (corner.intersects(dirty)) {
        painter.fillRect(corner, fromColorRef(ShadeColor(view_colors::kFrameBase, 200)));
        draw3dRect(painter, corner, ShadeColor(view_colors::kFrameBase, 60), ShadeColor(view_colors::kFrameBase, 240));
        draw3dRect(painter, corner.adjusted(1, 1, -1, -1), ShadeColor(view_colors::kFrameBase, 240),
                   ShadeColor(view_colors::kFrameBase, 60));
    }
    if (!strip.intersects(dirty))
        return;
    painter.save();
    painter.setClipRect(strip & dirty);
    painter.fillRect(strip, fromColorRef(view_colors::kFrameBase));
    draw3dRect(painter, strip, key_rows::kStripEdgeLight, key_rows::kMeasureLine);
    const int id = key_rows::keysBitmap(rowsRef().rowHeight);
    if (id >= 0) {
        const QImage& keys = BitmapCatalog::image(id);
        const QRect from(0, rowsRef().firstRow * rowsRef().rowHeight, keys.width(), strip.height());
        painter.drawImage(QPoint(0, top), keys, from);
    }
    const int middleC = rowsRef().yOfKey(PianoLayout::kMiddleC);
    painter.fillRect(QRect(PianoLayout::kNarrowStrip - key_rows::kMarkSize - 1,
                           middleC + (rowsRef().rowHeight - key_rows::kMarkSize) / 2, key_rows::kMarkSize,
                           key_rows::kMarkSize),
                     fromColorRef(key_rows::kMiddleCMark));
    if (m_editor && (m_editor->mode() & PianoEditController::kKeyboard) && m_editor->highlight().key >= 0) {
        const int key = m_editor->highlight().key;
        painter.fillRect(QRect(2, rowsRef().yOfKey(key) + 2, PianoLayout::kNarrowStrip - 4,
                               std::max(rowsRef().rowHeight - 4, 1)),
                         fromColorRef(view_colors::kFrameBase));
    }
    if (stripWidth() > PianoLayout::kNarrowStrip && song() && shownTracks().size() == 1) {
        const CTrack& track = *song()->tracks[size_t(shownTracks().front())];
        painter.setFont(programFont("Arial", 1 - rowsRef().rowHeight, 400));
        for (int key = PianoLayout::kTopKey; key >= PianoLayout::kBottomKey; --key) {
            const QRect cell(PianoLayout::kNarrowStrip, rowsRef().yOfKey(key), stripWidth() - PianoLayout::kNarrowStrip,
                             rowsRef().rowHeight);
            if (!cell.intersects(strip))
                continue;
            painter.fillRect(cell, fromColorRef(PianoLayout::blackKey(key) ? key_rows::kNameBlack : key_rows::kNameWhite));
            if (auto name = drumNoteName(*song(), track, key - track.key)) {
                painter.setPen(Qt::black);
                painter.drawText(cell.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::TextSingleLine,
                                 QString::fromStdString(*name));
            }
        }
    }
    painter.restore();
    const QRect band = rubberBand().rect().normalized();
    if (rubberBand().active() && band.width() + band.height() < kBandPatternLimit) {
        painter.save();
        painter.setOpacity(key_rows::kBandAlpha / 255.0);
        painter.fillRect(band, QBrush(BitmapCatalog::image(bitmap_id::kBandPattern)));
        painter.restore();
    }
}

void PianoRollView::paintHint(QPainter& painter)
{
    const QRect plot = plotRect();
    painter.setPen(Qt::black);
    painter.setFont(programFont("Verdana", -10, 400));
    painter.drawText(plot.adjusted(0, key_rows::kHintDrop, 0, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     key_rows::kHint);
}

} // namespace rz
