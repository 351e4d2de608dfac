// The lanes the clip and clock-time views share: items, waveforms, cues,
// selected rows, the overview worker and the mouse. GUI thread.

#include "views/clip/clip_lanes_view.h"

#include "core/color.h"
#include "core/engine_link.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/audio_clip.h"
#include "song/cue.h"
#include "song/lane_items.h"
#include "song/overview_worker.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "ui/resource_cursors.h"
#include "views/cue_flag_painter.h"
#include "views/mouse_edit_rules.h"
#include "views/view_colors.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace rz {
namespace {

constexpr Color kLaneBase = makeColor(160, 160, 208);
constexpr Color kSelection = makeColor(12, 20, 56);
constexpr Color kInactiveSelection = makeColor(160, 160, 160);

QColor shade(Color c, int level)
{
    return fromColorRef(ShadeColor(c, int16_t(level)));
}

void fillGradient(QPainter& painter, const QRect& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    painter.fillRect(r, g);
}

} // namespace

ClipLanesView::ClipLanesView(LinkRole role, IClipLoader* loader, QWidget* parent)
    : EditViewBase(role, parent), m_loader(loader)
{
    setMouseTracking(true);
}

ClipLanesView::~ClipLanesView()
{
    stopOverviewWorker();
    m_editor.reset();
}

void ClipLanesView::attach(CSongDoc& song)
{
    EditViewBase::attach(song);
    m_editor = std::make_unique<ClipEditController>(song, rubberBand(), [this] {
        if (CSongDoc* doc = this->song())
            doc->context().host.updateSongViews(*doc, this, kHintRepaintOnly);
    });
    IClipLoader* loader = m_loader ? m_loader : song.context().clipLoader;
    if (loader)
        m_worker = std::make_unique<OverviewWorker>(*loader, [this] { blockComputed(); });
}

void ClipLanesView::detach()
{
    stopOverviewWorker();
    m_worker.reset();
    if (m_editor)
        m_editor->cancel();
    m_editor.reset();
    EditViewBase::detach();
}

void ClipLanesView::stopOverviewWorker()
{
    if (m_worker)
        m_worker->stop();
}

bool ClipLanesView::workerRunning() const
{
    return m_worker && m_worker->running();
}

// A finished block repaints once the GUI thread gets to it; blocks that finish
// meanwhile ride on the same repaint.
void ClipLanesView::blockComputed()
{
    if (m_updatePosted.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_updatePosted = false;
            QWidget::update();
        },
        Qt::QueuedConnection);
}

// The track list's row selection follows the song's selected events and
// clips.
void ClipLanesView::initialUpdate()
{
    CSongDoc* doc = song();
    ITrackRows* rows = trackRows();
    if (doc && rows && (doc->selectionKind & (kSelectEvents | kSelectAudioClip))) {
        rows->SelectNone();
        for (size_t t = 0; t < doc->tracks.size(); ++t)
            for (const CMidiEvent& event : doc->tracks[t]->events)
                if (event.selectionStamp == doc->selectionStamp) {
                    rows->SelectRow(int(t), false);
                    break;
                }
    }
    EditViewBase::initialUpdate();
}

void ClipLanesView::rebuild()
{
    CSongDoc& doc = *song();
    stopOverviewWorker();
    BuildLaneItems(doc);
    if (m_worker)
        m_worker->start(doc);
}

// Every edit stopped the worker; an update that only repaints still brings
// the items and the worker back.
void ClipLanesView::lightUpdate()
{
    if (song() && m_worker && !m_worker->running())
        rebuild();
    QWidget::update();
}

std::vector<QRect> ClipLanesView::cueRects(const ClipGeometry& g) const
{
    const CSongDoc* doc = song();
    if (!doc)
        return {};
    return CueFlagPainter::flagRects(doc->cues, [&g](int32_t tick) { return g.xOfTick(tick); },
                                     g.lanes.rulerHeight + CueFlagPainter::kTopGap, g.plot.left());
}

ClipGeometry ClipLanesView::geometryNow() const
{
    ClipGeometry g;
    fillAxis(g);
    g.lanes = lanes();
    g.plot = plotRect();
    g.trackCount = song() ? int(song()->tracks.size()) : 0;
    g.dragDistance = QApplication::startDragDistance();
    g.cueRects = cueRects(g);
    return g;
}

void ClipLanesView::paintView(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, fromColorRef(view_colors::kBackground));
    if (!song())
        return;
    const ClipGeometry g = geometryNow();
    paintLanes(painter, dirty, g);
    paintCues(painter, dirty, g);
    paintRuler(painter, dirty, g);
    paintItems(painter, dirty, g);
    paintOverlay(painter, g);
}

// Lane gradients, selected rows, the time range.
void ClipLanesView::paintLanes(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    const QRect plot = g.plot & dirty;
    if (plot.isEmpty())
        return;
    const Color base = ShadeColor(kLaneBase, 150);
    const ITrackRows* rows = trackRows();
    const bool rowMode = rows && rows->currentRowMode();
    for (int row = g.firstVisibleRow(); row <= g.lastVisibleRow(); ++row) {
        const QRect lane = QRect(g.plot.left(), g.lanes.rowY(row), g.plot.width(), g.lanes.laneHeight) & plot;
        if (lane.isEmpty())
            continue;
        fillGradient(painter, QRect(lane.left(), g.lanes.rowY(row), lane.width(), g.lanes.laneHeight),
                     shade(base, 220), fromColorRef(base));
        if (!rowMode && rowSelected(row)) {
            const Color c = rowsActive() ? kSelection : kInactiveSelection;
            fillGradient(painter, QRect(lane.left(), g.lanes.rowY(row), lane.width(), g.lanes.laneHeight),
                         shade(c, 180), shade(c, 80));
        }
    }
    const Selection s = selection();
    if ((s.kind & kSelectTimeRange) && s.from >= 0) {
        const int x1 = std::max(g.xOfTick(s.from), g.plot.left());
        const int x2 = std::min(g.xOfTick(s.to), g.plot.right() + 1);
        if (x2 > x1) {
            const QRect r = QRect(x1, g.plot.top(), x2 - x1, g.plot.height()) & plot;
            painter.save();
            painter.setOpacity(0.5);
            fillGradient(painter, QRect(r.left(), g.plot.top(), r.width(), g.plot.height()), shade(kSelection, 150),
                         fromColorRef(kSelection));
            painter.restore();
        }
    }
}

// The cues' spans down the lanes and their flags, last first.
void ClipLanesView::paintCues(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    const CSongDoc& doc = *song();
    painter.save();
    painter.setFont(CueFlagPainter::flagFont());
    for (size_t c = std::min(doc.cues.size(), g.cueRects.size()); c-- > 0;) {
        const CCue& cue = *doc.cues[c];
        const int x1 = g.xOfTick(std::min(cue.time, cue.secondTime));
        const int x2 = std::max(g.xOfTick(std::max(cue.time, cue.secondTime)), x1 + 1);
        const QRect span = QRect(x1, g.plot.top(), x2 - x1, g.plot.height()) & g.plot & dirty;
        const Color color = doc.context().host.cueColor(cue.kind);
        if (!span.isEmpty())
            fillGradient(painter, QRect(span.left(), g.plot.top(), span.width(), g.plot.height()),
                         shade(color, 180), shade(color, 80));
        if (g.cueRects[c].intersects(dirty)) {
            painter.setClipRect(QRect(g.plot.left(), 0, g.plot.width(), g.lanes.lanesTop()) & dirty);
            CueFlagPainter::DrawFlag(painter, cue, g.cueRects[c], g.xOfTick(cue.secondTime), g.xOfTick(cue.time),
                                     doc.selectionStamp, doc.context().host, doc.context().engine);
            painter.setClipRect(dirty);
        }
    }
    painter.restore();
}

void ClipLanesView::paintRulerBand(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    const QRect band(g.plot.left(), 0, g.plot.width(), g.lanes.rulerHeight);
    if (band.intersects(dirty))
        fillGradient(painter, band & dirty, shade(kSelection, 160), shade(kSelection, 100));
}

void ClipLanesView::invertRulerRange(QPainter& painter, const ClipGeometry& g)
{
    const Selection s = selection();
    if (!(s.kind & kSelectTimeRange) || s.from < 0 || s.to <= s.from)
        return;
    const QRect band(g.plot.left(), 0, g.plot.width(), g.lanes.rulerHeight);
    const QRect range = QRect(QPoint(g.xOfTick(s.from), 0), QPoint(g.xOfTick(s.to) - 1, g.lanes.rulerHeight - 1));
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(range & band, Qt::white);
    painter.restore();
}

// Every item of the visible lanes from the first that reaches the dirty
// part, each repetition of a clip after the first outlined dotted, its
// waveform over it; a block not computed yet is asked of the worker.
void ClipLanesView::paintItems(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    const CSongDoc& doc = *song();
    const QRect clip = g.plot.adjusted(-2, 0, 2, 0) & dirty;
    if (clip.isEmpty())
        return;
    painter.save();
    painter.setClipRect(clip);
    bool wake = false;
    const int32_t fromTick = std::max(g.tickOfX(clip.left() - 2), 0);
    for (int row = g.firstVisibleRow(); row <= g.lastVisibleRow(); ++row) {
        const CTrack& track = *doc.tracks[size_t(row)];
        if (track.type != kWaveTrack && !g.midiItems)
            continue;
        for (size_t i = ClipGeometry::firstItemFrom(track, fromTick); i < track.items.size(); ++i) {
            const CTrackItem& item = track.items[i];
            if (!g.isItem(track, item))
                continue;
            const QRect block = g.TickRowToRect(item.start, item.start + item.length, row);
            if (block.left() > clip.right() + 2)
                break;
            if (block.right() < clip.left() - 2)
                continue;
            const QRect r = block.intersected(g.plot.adjusted(-2, 0, 2, 0));
            QLinearGradient fill(r.topLeft(), r.bottomLeft());
            fill.setColorAt(0, shade(track.color, 80));
            fill.setColorAt(0.5, shade(track.color, 180));
            fill.setColorAt(1, shade(track.color, 80));
            painter.fillRect(r, fill);
            painter.setPen(shade(track.color, 80));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            if (item.clip) {
                const CAudioClip& audio = *item.clip;
                if (audio.number > 1 && audio.length > 0) {
                    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
                    const double start = doc.TickToTime(item.start);
                    const double pass = double(audio.length) / 10.0;
                    for (int k = 1; k < audio.number; ++k) {
                        const int x1 = g.xOfTick(doc.TimeToTick(start + double(k) * pass));
                        const int x2 = g.xOfTick(doc.TimeToTick(start + double(k + 1) * pass));
                        painter.drawRect(QRect(QPoint(x1, r.top()), QPoint(std::max(x2 - 1, x1), r.bottom())));
                    }
                }
                paintWaveform(painter, r, clip, g, item, fromColorRef(track.textColor), wake);
            }
            const bool selected = item.mark == 1
                                  || (item.stamp == doc.selectionStamp && item.mark != -1
                                      && track.events[size_t(item.firstEvent)].selectionStamp == doc.selectionStamp);
            if (selected) {
                painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
                painter.fillRect(r, Qt::white);
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            }
        }
    }
    painter.restore();
    if (wake && m_worker)
        m_worker->wake();
}

void ClipLanesView::paintWaveform(QPainter& painter, const QRect& block, const QRect& dirty, const ClipGeometry& g,
                                  const CTrackItem& item, QColor pen, bool& wake)
{
    PeakBuffer* peaks = item.peaks.get();
    const CAudioClip& audio = *item.clip;
    if (!peaks || audio.length <= 0 || !audio.loaded)
        return;
    const CSongDoc& doc = *song();
    const double start = doc.TickToTime(item.start);
    const double pass = double(audio.length) / 10.0; // µs
    const int half = (lanes().laneHeight - 1) / 2;
    const int mid = block.top() + block.height() / 2;
    const int x0 = std::max(block.left(), dirty.left());
    const int x1 = std::min(block.right(), dirty.right());
    painter.setPen(pen);
    // Column edges in clock time, exact on a clock axis.
    const auto timeAt = [&](int x) {
        return g.clock ? std::max(g.clock->timeOfX(x, false), start) - start
                       : doc.TickToTime(std::max(g.tickOfX(x), item.start)) - start;
    };
    double from = timeAt(x0);
    for (int x = x0; x <= x1; ++x) {
        const double to = timeAt(x + 1);
        int high = 0;
        int low = 0;
        bool drawn = false;
        for (double t = std::max(from, 0.0); t < std::max(to, from + 1.0); t += 10000.0) {
            const size_t e = size_t(std::fmod(t, pass) / 10000.0);
            if (e >= peaks->entries())
                break;
            const size_t b = e / PeakBuffer::kEntriesPerBlock;
            if (!peaks->computed(b)) {
                wake |= peaks->request(b) || peaks->state(b) == PeakBuffer::kRequested;
                break;
            }
            const uint16_t v = peaks->entry(e);
            high = std::max(high, int(v >> 7));
            low = std::max(low, int(v & 0x7F));
            drawn = true;
        }
        if (drawn)
            painter.drawLine(x, mid - high * half / 127, x, mid + low * half / 127);
        from = to;
    }
}

// Nothing while the transport runs or in performance mode.
Qt::CursorShape ClipLanesView::cursorAt(QPoint point) const
{
    const CSongDoc* doc = song();
    if (!doc || !transportStopped(*doc) || doc->context().host.performanceMode() || !m_editor)
        return Qt::ArrowCursor;
    if (m_editor->mode() & ClipEditController::kDragging)
        return resourceCursor(kCursorDragging);
    const ClipGeometry g = geometryNow();
    if (g.HitTest(*doc, point) != ClipGeometry::kNoHit)
        return resourceCursor(kCursorScroll);
    const ClipGeometry::TickRow at = g.PointToTickRow(point);
    if (doc->context().host.editTools().tool == 1 && g.inPlot(point) && at.row >= 1 && at.row < g.trackCount - 1)
        return resourceCursor(kCursorDrawLine);
    return Qt::ArrowCursor;
}

void ClipLanesView::mousePressEvent(QMouseEvent* event)
{
    if (!song() || !m_editor) {
        EditViewBase::mousePressEvent(event);
        return;
    }
    pressLaneEditor(*m_editor, geometryNow(), *event, true);
}

std::string ClipLanesView::statusTextAt(QPoint point) const
{
    const ClipGeometry::TickRow at = geometryNow().PointToTickRow(point);
    if (at.row < 1 || at.row > int(song()->tracks.size()) - 2 || !statusNamesTick(at.tick))
        return {};
    return EditViewBase::statusTextAt(point);
}

bool ClipLanesView::statusNamesTick(int32_t tick) const
{
    return tick <= song()->endTick;
}

void ClipLanesView::mouseMoveEvent(QMouseEvent* event)
{
    setCursor(cursorAt(event->position().toPoint()));
    if (song() && m_editor && m_editor->active()) {
        m_editor->move(geometryNow(), lanePointerOf(*event));
        QWidget::update();
    }
    EditViewBase::mouseMoveEvent(event);
}

void ClipLanesView::dragMoved(QPoint point)
{
    if (song() && m_editor)
        m_editor->move(geometryNow(), ClipPointer{.at = point, .modifiers = QApplication::keyboardModifiers()});
}

void ClipLanesView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton || !m_editor->active()) {
        EditViewBase::mouseReleaseEvent(event);
        return;
    }
    m_editor->release(geometryNow(), lanePointerOf(*event));
    finishGesture();
}

void ClipLanesView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || !m_editor || event->button() != Qt::LeftButton)
        return;
    const bool properties = m_editor->doubleClick(geometryNow(), lanePointerOf(*event));
    finishGesture();
    if (properties)
        doc->OnEditProperties();
}

void ClipLanesView::finishGesture()
{
    endDrag();
    if (CSongDoc* doc = song())
        doc->UpdateViews();
    QWidget::update();
}

bool ClipLanesView::event(QEvent* event)
{
    if (event->type() == QEvent::UngrabMouse && m_editor && m_editor->active()) {
        m_editor->cancel();
        QWidget::update();
    }
    return EditViewBase::event(event);
}

} // namespace rz
