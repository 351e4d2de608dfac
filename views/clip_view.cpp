// The clip view: lanes of clips with their waveforms, cue flags, the ruler,
// the overview worker and the mouse. GUI thread.

#include "views/clip_view.h"

#include "core/color.h"
#include "core/engine_link.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "res/clip_menu.h"
#include "res/command_ids.h"
#include "song/audio_clip.h"
#include "song/cue.h"
#include "song/lane_items.h"
#include "song/overview_worker.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "ui/resource_cursors.h"
#include "ui/zoom_scroll_bar.h"
#include "views/command_menu.h"
#include "views/cue_flag_painter.h"
#include "views/measure_labeler.h"
#include "views/track_view.h"
#include "views/view_factory.h"
#include "views/visible_measures.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace rz {
namespace {

constexpr int kCueTopGap = 2; // pixels between the ruler and a cue's flag
constexpr Color kBackground = makeColor(206, 204, 209);
constexpr Color kLaneBase = makeColor(160, 160, 208);
constexpr Color kSelection = makeColor(12, 20, 56);
constexpr Color kInactiveSelection = makeColor(160, 160, 160);
constexpr Color kMeasureChange = makeColor(32, 32, 32);
constexpr Color kMeasureLine = makeColor(145, 161, 177);
constexpr Color kLabelText = makeColor(255, 240, 14);

QColor qc(Color c)
{
    return fromColorRef(c);
}

QColor shade(Color c, int level)
{
    return qc(ShadeColor(c, int16_t(level)));
}

void fillGradient(QPainter& painter, const QRect& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    painter.fillRect(r, g);
}

bool stopped(const CSongDoc& song)
{
    return song.context().engine.transportState() == TransportState::Stopped;
}

ClipPointer pointerOf(const QMouseEvent& event)
{
    return ClipPointer{.at = event.position().toPoint(),
                       .modifiers = event.modifiers(),
                       .rightHeld = (event.buttons() & Qt::RightButton) != 0};
}

} // namespace

ClipView::ClipView(ClipViewContext context, QWidget* parent)
    : EditViewBase(LinkRole::Clip, parent), m_context(std::move(context))
{
    setMouseTracking(true);
    setCentreLeftOfOrigin(true);
}

ClipView::~ClipView()
{
    stopOverviewWorker();
    m_editor.reset();
    writeZoomSettings();
}

void ClipView::attach(CSongDoc& song)
{
    EditViewBase::attach(song);
    m_editor = std::make_unique<ClipEditController>(song, rubberBand(), [this] {
        if (CSongDoc* doc = this->song())
            doc->context().host.updateSongViews(*doc, this, kHintRepaintOnly);
    });
    IClipLoader* loader = m_context.loader ? m_context.loader : song.context().clipLoader;
    if (loader)
        m_worker = std::make_unique<OverviewWorker>(*loader, [this] { blockComputed(); });
}

void ClipView::detach()
{
    stopOverviewWorker();
    m_worker.reset();
    if (m_editor)
        m_editor->cancel();
    m_editor.reset();
    EditViewBase::detach();
}

void ClipView::stopOverviewWorker()
{
    if (m_worker)
        m_worker->stop();
}

bool ClipView::workerRunning() const
{
    return m_worker && m_worker->running();
}

// A finished block repaints once the GUI thread gets to it; blocks that finish
// meanwhile ride on the same repaint.
void ClipView::blockComputed()
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
// clips; the origin comes from an open controller-pane view.
void ClipView::initialUpdate()
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
    ViewLinks* links = viewLinks();
    if (!doc || !links)
        return;
    for (LinkRole role : {LinkRole::Tempo, LinkRole::Control}) {
        const ILinkedView* view = links->viewOf(role);
        if (view && view->linkOrigin() != 0) {
            setScrollOrigin(ViewLinks::linkedOrigin(view->linkOrigin(), view->linkMargin(), linkMargin()), false);
            return;
        }
    }
}

void ClipView::rebuild()
{
    CSongDoc& doc = *song();
    const PaneViews views = viewLinks() ? viewLinks()->paneViews() : PaneViews{};
    setHorizontalBarShown(paneOwnership(views).clipShowsOwnBar);
    stopOverviewWorker();
    BuildLaneItems(doc);
    if (m_worker)
        m_worker->start(doc);
}

// Every edit stopped the worker; an update that only repaints still brings
// the items and the worker back.
void ClipView::lightUpdate()
{
    if (song() && m_worker && !m_worker->running())
        rebuild();
    QWidget::update();
}

void ClipView::ScrollToRow(int row)
{
    if (!song())
        return;
    // The base owns the first row; line steps move it without a relayout.
    const int steps = row - lanes().firstRow;
    for (int i = 0; i < std::abs(steps); ++i) {
        const int before = lanes().firstRow;
        emit verticalBar()->scrolled(steps > 0 ? ZoomScrollBar::kLineDown : ZoomScrollBar::kLineUp);
        if (lanes().firstRow == before)
            break;
    }
}

std::vector<QRect> ClipView::cueRects() const
{
    std::vector<QRect> rects;
    const CSongDoc* doc = song();
    if (!doc)
        return rects;
    const QFontMetrics metrics(CueFlagPainter::flagFont());
    const TimeAxis a = axis();
    rects.reserve(doc->cues.size());
    for (const auto& cue : doc->cues)
        rects.push_back(CueFlagPainter::GetFlagRect(*cue, metrics, a.xOfTick(cue->secondTime), a.xOfTick(cue->time),
                                                    lanes().rulerHeight + kCueTopGap));
    return rects;
}

ClipGeometry ClipView::geometryNow() const
{
    ClipGeometry g;
    g.axis = axis();
    g.lanes = lanes();
    g.plot = plotRect();
    g.trackCount = song() ? int(song()->tracks.size()) : 0;
    g.dragDistance = QApplication::startDragDistance();
    g.cueRects = cueRects();
    return g;
}

void ClipView::paintView(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, qc(kBackground));
    if (!song())
        return;
    const ClipGeometry g = geometryNow();
    paintLanes(painter, dirty, g);
    paintCues(painter, dirty, g);
    paintRuler(painter, dirty, g);
    paintClips(painter, dirty, g);
}

// Layers 2, 4 and 5: lane gradients, selected rows, the time range.
void ClipView::paintLanes(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
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
                     shade(base, 220), qc(base));
        if (!rowMode && rowSelected(row)) {
            const Color c = hasFocus() ? kSelection : kInactiveSelection;
            fillGradient(painter, QRect(lane.left(), g.lanes.rowY(row), lane.width(), g.lanes.laneHeight),
                         shade(c, 180), shade(c, 80));
        }
    }
    const Selection s = selection();
    if ((s.kind & kSelectTimeRange) && s.from >= 0) {
        const int x1 = std::max(g.axis.xOfTick(s.from), g.plot.left());
        const int x2 = std::min(g.axis.xOfTick(s.to), g.plot.right() + 1);
        if (x2 > x1) {
            const QRect r = QRect(x1, g.plot.top(), x2 - x1, g.plot.height()) & plot;
            painter.save();
            painter.setOpacity(0.5);
            fillGradient(painter, QRect(r.left(), g.plot.top(), r.width(), g.plot.height()), shade(kSelection, 150),
                         qc(kSelection));
            painter.restore();
        }
    }
}

// Layer 3: the cues' spans down the lanes and their flags, last first.
void ClipView::paintCues(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    const CSongDoc& doc = *song();
    painter.save();
    painter.setFont(CueFlagPainter::flagFont());
    for (size_t c = std::min(doc.cues.size(), g.cueRects.size()); c-- > 0;) {
        const CCue& cue = *doc.cues[c];
        const int x1 = g.axis.xOfTick(std::min(cue.time, cue.secondTime));
        const int x2 = std::max(g.axis.xOfTick(std::max(cue.time, cue.secondTime)), x1 + 1);
        const QRect span = QRect(x1, g.plot.top(), x2 - x1, g.plot.height()) & g.plot & dirty;
        const Color color = doc.context().host.cueColor(cue.kind);
        if (!span.isEmpty())
            fillGradient(painter, QRect(span.left(), g.plot.top(), span.width(), g.plot.height()),
                         shade(color, 180), shade(color, 80));
        if (g.cueRects[c].intersects(dirty)) {
            painter.setClipRect(QRect(g.plot.left(), 0, g.plot.width(), g.lanes.lanesTop()) & dirty);
            CueFlagPainter::DrawFlag(painter, cue, g.cueRects[c], g.axis.xOfTick(cue.secondTime),
                                     g.axis.xOfTick(cue.time), doc.selectionStamp, doc.context().host,
                                     doc.context().engine);
            painter.setClipping(false);
        }
    }
    painter.restore();
}

// Layer 6: the ruler band, measure lines down the lanes and the labels.
void ClipView::paintRuler(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    const QRect band(g.plot.left(), 0, g.plot.width(), g.lanes.rulerHeight);
    if (band.intersects(dirty))
        fillGradient(painter, band & dirty, shade(kSelection, 160), shade(kSelection, 100));
    const MeasureMap measures = visibleMeasures(*song(), std::max(g.axis.tickOfX(std::max(dirty.left(), g.plot.left())), 0),
                                                std::max(g.axis.tickOfX(dirty.right()), 0));
    painter.save();
    painter.setClipRect(QRect(g.plot.left(), 0, g.plot.width(), g.plot.bottom() + 1) & dirty);
    painter.setFont(rulerFont());
    const MeasureRec* previous = nullptr;
    for (const MeasureRec& m : measures) {
        const int x = g.axis.xOfTick(m.start);
        const bool changed = previous && (m.length != previous->length || m.denominator != previous->denominator);
        previous = &m;
        if (x < g.plot.left() || x > dirty.right())
            continue;
        painter.setPen(qc(changed ? kMeasureChange : kMeasureLine));
        painter.drawLine(x, 0, x, g.plot.bottom());
        if (m.label) {
            painter.setPen(QColor(0, 0, 0, 120));
            painter.drawLine(x + 1, 0, x + 1, g.lanes.rulerHeight - 1);
            painter.setPen(qc(kLabelText));
            painter.drawText(x + 3, g.lanes.rulerHeight - 4, QString::fromStdString(MeasureLabeler::labelText(m)));
        }
    }
    const Selection s = selection();
    if ((s.kind & kSelectTimeRange) && s.from >= 0 && s.to > s.from) {
        const QRect range = QRect(QPoint(g.axis.xOfTick(s.from), 0), QPoint(g.axis.xOfTick(s.to) - 1, g.lanes.rulerHeight - 1));
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(range & band, Qt::white);
    }
    painter.restore();
}

// Layer 7: every clip item of the visible lanes, its repetitions dotted, its
// waveform over it; a block not computed yet is asked of the worker.
void ClipView::paintClips(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    const CSongDoc& doc = *song();
    const QRect clip = g.plot.adjusted(-2, 0, 2, 0) & dirty;
    if (clip.isEmpty())
        return;
    painter.save();
    painter.setClipRect(clip);
    bool wake = false;
    for (int row = g.firstVisibleRow(); row <= g.lastVisibleRow(); ++row) {
        const CTrack& track = *doc.tracks[size_t(row)];
        if (track.type != kWaveTrack)
            continue;
        for (const CTrackItem& item : track.items) {
            if (!item.clip)
                continue;
            const QRect block = g.TickRowToRect(item.start, item.start + item.length, row);
            if (block.right() < clip.left() - 2 || block.left() > clip.right() + 2)
                continue;
            const QRect r = block.intersected(g.plot.adjusted(-2, 0, 2, 0));
            const int mid = r.top() + r.height() / 2;
            QLinearGradient fill(r.topLeft(), r.bottomLeft());
            fill.setColorAt(0, shade(track.color, 80));
            fill.setColorAt(0.5, shade(track.color, 180));
            fill.setColorAt(1, shade(track.color, 80));
            painter.fillRect(r, fill);
            painter.setPen(shade(track.color, 80));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            (void)mid;
            const CAudioClip& audio = *item.clip;
            if (audio.number > 1 && audio.length > 0) {
                painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
                const double start = doc.TickToTime(item.start);
                for (int k = 1; k < audio.number; ++k) {
                    const int x = g.axis.xOfTick(doc.TimeToTick(start + double(k) * double(audio.length) / 10.0));
                    painter.drawLine(x, r.top(), x, r.bottom());
                }
            }
            paintWaveform(painter, r, clip, item, qc(track.textColor), wake);
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

void ClipView::paintWaveform(QPainter& painter, const QRect& block, const QRect& dirty, const CTrackItem& item,
                             QColor pen, bool& wake)
{
    PeakBuffer* peaks = item.peaks.get();
    const CAudioClip& audio = *item.clip;
    if (!peaks || audio.length <= 0 || !audio.loaded)
        return;
    const CSongDoc& doc = *song();
    const TimeAxis a = axis();
    const double start = doc.TickToTime(item.start);
    const double pass = double(audio.length) / 10.0; // µs
    const int half = (lanes().laneHeight - 1) / 2;
    const int mid = block.top() + block.height() / 2;
    const int x0 = std::max(block.left(), dirty.left());
    const int x1 = std::min(block.right(), dirty.right());
    painter.setPen(pen);
    double from = doc.TickToTime(std::max(a.tickOfX(x0), item.start)) - start;
    for (int x = x0; x <= x1; ++x) {
        const double to = doc.TickToTime(std::max(a.tickOfX(x + 1), item.start)) - start;
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

Qt::CursorShape ClipView::cursorAt(QPoint point) const
{
    const CSongDoc* doc = song();
    if (!doc || !stopped(*doc) || doc->context().host.performanceMode() || !m_editor)
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

void ClipView::mousePressEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || !m_editor) {
        EditViewBase::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const ClipGeometry g = geometryNow();
    if (event->button() == Qt::RightButton) {
        if (m_editor->rightPress(g, pointerOf(*event)))
            doc->OnEditProperties();
        QWidget::update();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (m_editor->press(g, pointerOf(*event)))
        beginDrag(event->position().toPoint(), true);
    QWidget::update();
}

void ClipView::mouseMoveEvent(QMouseEvent* event)
{
    setCursor(cursorAt(event->position().toPoint()));
    if (song() && m_editor && m_editor->active()) {
        m_editor->move(geometryNow(), pointerOf(*event));
        QWidget::update();
    }
    EditViewBase::mouseMoveEvent(event);
}

void ClipView::dragMoved(QPoint point)
{
    if (song() && m_editor)
        m_editor->move(geometryNow(), ClipPointer{.at = point, .modifiers = QApplication::keyboardModifiers()});
}

void ClipView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton || !m_editor->active()) {
        EditViewBase::mouseReleaseEvent(event);
        return;
    }
    m_editor->release(geometryNow(), pointerOf(*event));
    finishGesture();
}

void ClipView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || !m_editor || event->button() != Qt::LeftButton)
        return;
    const bool properties = m_editor->doubleClick(geometryNow(), pointerOf(*event));
    finishGesture();
    if (properties)
        doc->OnEditProperties();
}

void ClipView::finishGesture()
{
    endDrag();
    if (CSongDoc* doc = song())
        doc->UpdateViews();
    QWidget::update();
}

bool ClipView::event(QEvent* event)
{
    if (event->type() == QEvent::UngrabMouse && m_editor && m_editor->active()) {
        m_editor->cancel();
        QWidget::update();
    }
    return EditViewBase::event(event);
}

// Menu 162 with clips selected, its "Audio effect" popup first; else 151.
QMenu* ClipView::contextMenuAt(QPoint)
{
    const CSongDoc* doc = song();
    if (!doc || !(doc->selectionKind & kSelectAudioClip)) {
        m_menu = commandMenu(clipContextMenu(), this, m_context.sink);
        return m_menu.get();
    }
    m_menu = commandMenu(clipSelectionMenu(), this, m_context.sink);
    auto* effects = new QMenu(QStringLiteral("Audio effect"), m_menu.get());
    const auto pick = [this](CommandId id) {
        return [this, id] {
            if (m_context.sink)
                m_context.sink(id);
        };
    };
    std::vector<std::string> names = m_context.audioEffects ? m_context.audioEffects() : std::vector<std::string>{};
    if (names.empty())
        names.push_back("(None)");
    for (size_t i = 0; i < names.size(); ++i)
        connect(effects->addAction(QString::fromStdString(names[i])), &QAction::triggered, effects,
                pick(kIdAudioEffect1 + CommandId(i)));
    connect(effects->addAction(QStringLiteral("More...")), &QAction::triggered, effects, pick(kIdMoreAudioEffects));
    const QList<QAction*> actions = m_menu->actions();
    m_menu->insertMenu(actions.value(0), effects);
    return m_menu.get();
}

void registerClipView(ViewFactory& factory, ClipViewContext context)
{
    factory.registerView(ViewKind::Clip, [context](const ViewRequest& request) -> SongView* {
        return new ClipView(context, request.parent);
    });
}

std::vector<std::string> audioEffectNames(const QMenu* menu)
{
    std::vector<std::string> names;
    if (!menu)
        return names;
    const QList<QAction*> actions = menu->actions();
    for (qsizetype i = 0; i + 1 < actions.size(); ++i)
        names.push_back(actions[i]->text().toStdString());
    return names;
}

void followTrackList(TrackViewContext& tracks, std::function<ClipView*()> clipView)
{
    tracks.scrollLanes = [clipView](int row) {
        if (ClipView* view = clipView())
            view->ScrollToRow(row);
    };
    tracks.lanesFollow = [clipView] { return clipView() != nullptr; };
}

} // namespace rz
