#include "views/edit_view_base.h"

#include "views/drag_autoscroll.h"
#include "views/follow_policy.h"
#include "views/measure_labeler.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "core/zoom_percent.h"
#include "song/song_doc.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_text.h"
#include "ui/font_substitutions.h"
#include "ui/gui_thread.h"
#include "ui/zoom_scroll_bar.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <vector>

namespace rz {
namespace {

constexpr const char* kRulerFont = "Verdana";
// Beyond this many rectangles a repaint draws their bounding rectangle once.
constexpr int kMaxPaintParts = 8;

std::string trimmedPosition(const CSongDoc& song, int32_t tick)
{
    std::string text;
    song.FormatTime(tick, text);
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

} // namespace

EditViewBase::EditViewBase(LinkRole role, QWidget* parent) : SongView(parent), m_role(role)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_hbar = new ZoomScrollBar(ZoomScrollBar::kZoomButtons, this);
    m_vbar = new ZoomScrollBar(ZoomScrollBar::kVertical | ZoomScrollBar::kZoomButtons, this);
    m_hbar->setObjectName(QString::number(kHorizontalBarId));
    m_vbar->setObjectName(QString::number(kVerticalBarId));
    for (ZoomScrollBar* bar : {m_hbar, m_vbar}) {
        bar->setToolTip(commandTipText(uint32_t(bar == m_hbar ? kHorizontalBarId : kVerticalBarId)));
        for (BitmapPushButton* button : {bar->zoomInButton(), bar->zoomOutButton()})
            button->setToolTip(commandTipText(button->dlgCtrlId()));
        connect(bar, &ZoomScrollBar::scrolled, this, [this, bar](int code) { onScrolled(bar, code); });
        connect(bar, &ZoomScrollBar::zoomCommand, this, &EditViewBase::onZoomCommand);
    }
    m_autoscroll.setInterval(kAutoscrollMs);
    connect(&m_autoscroll, &QTimer::timeout, this, &EditViewBase::autoscrollTick);
    m_lanes = LaneLayout::make(2, 2, 0, 0);
    relayout();
    updateScrollBars();
}

// A view naming its own time-zoom key has written it already: here the
// virtual call reaches only the base's key.
EditViewBase::~EditViewBase()
{
    if (m_links)
        m_links->remove(this);
    if (!m_zoomWritten)
        writeZoomSettings();
}

// The view's zoom settings outlive it in the profile.
void EditViewBase::writeZoomSettings()
{
    if (!m_profile || !m_host)
        return;
    writeSetting(*m_profile, timeZoomKey(), timeZoomIndex());
    writeSetting(*m_profile, settings::kDisplayYZoom, m_host->laneZoom());
    m_zoomWritten = true;
}

void EditViewBase::attach(CSongDoc& song)
{
    SongView::attach(song);
    m_host = &song.context().host;
    m_profile = &song.context().profile;
}

void EditViewBase::detach()
{
    m_initialized = false;
    setScrolling(false);
    endDrag();
    m_band.cancel();
    m_cursorColumn = -1;
    m_origin = 0;
    SongView::detach();
    updateScrollBars();
    QWidget::update();
}

void EditViewBase::initialUpdate()
{
    fullUpdate();
}

void EditViewBase::setScrolling(bool on)
{
    m_scrolling = on;
    if (m_links)
        m_links->setUserScrolling(on);
}

void EditViewBase::setViewLinks(ViewLinks* links)
{
    if (m_links)
        m_links->remove(this);
    m_links = joinsViewLinks() ? links : nullptr;
    if (m_links)
        m_links->add(this);
}

ISongHost* EditViewBase::host() const
{
    return song() ? &song()->context().host : nullptr;
}

ITrackRows* EditViewBase::trackRows() const
{
    return song() ? song()->context().trackRows : nullptr;
}

TimeAxis EditViewBase::axis() const
{
    if (!song())
        return TimeAxis{.gridTicks = 1, .plotLeft = m_plot.left(), .origin = origin()};
    return TimeAxis::forSong(*song(), m_plot.left(), origin());
}

int64_t EditViewBase::contentXOfTick(int32_t tick) const
{
    return axis().columnOf(tick);
}

int32_t EditViewBase::tickOfContentX(int64_t x) const
{
    return clampToInt(x * std::max<int32_t>(axis().gridTicks, 1));
}

int64_t EditViewBase::contentWidth() const
{
    return song() ? contentXOfTick(song()->endTick) : 0;
}

int EditViewBase::timeZoomIndex() const
{
    return m_host ? m_host->timeZoom() : 0;
}

int EditViewBase::timeZoomMax() const
{
    return ISongDisplayOptions::kMaxTimeZoom;
}

int64_t EditViewBase::maxOrigin() const
{
    return song() ? std::max<int64_t>(contentWidth() - std::max(m_plot.width(), 0), 0) : 0;
}

int EditViewBase::playLineX() const
{
    if (m_cursorColumn < 0)
        return -1;
    const int64_t x = int64_t(m_plot.left()) - m_origin + m_cursorColumn;
    return x >= m_plot.left() && x <= m_plot.right() ? int(x) : -1;
}

EditViewBase::Selection EditViewBase::selection() const
{
    const CSongDoc* doc = song();
    if (!doc)
        return {};
    return Selection{.stamp = doc->selectionStamp,
                     .kind = doc->selectionKind,
                     .from = doc->selectionFrom,
                     .to = doc->selectionTo};
}

bool EditViewBase::rowSelected(int row) const
{
    const ITrackRows* rows = trackRows();
    return rows && rows->IsRowSelected(row);
}

int EditViewBase::commitBand()
{
    if (!m_band.active())
        return 0;
    const int changed = song() ? m_band.commit(song()->selectionStamp) : 0;
    if (!song())
        m_band.cancel();
    QWidget::update();
    return changed;
}

std::string EditViewBase::tempoStatusText(int tenths, const std::string& position)
{
    return "Tempo: " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " @ " + position;
}

void EditViewBase::setLeftMargin(int margin)
{
    const int before = m_leftMargin;
    m_leftMargin = std::max(margin, 0);
    relayout();
    if (m_links && m_leftMargin != before)
        m_links->marginChanged(*this);
}

void EditViewBase::setHorizontalBarShown(bool shown)
{
    m_hbarShown = shown;
    m_hbar->setVisible(shown);
    relayout();
}

QFont EditViewBase::rulerFont() const
{
    const int percent = zoomPercent(m_host ? m_host->headerZoom() : 2);
    return programFont(kRulerFont, -((percent * 12 + 50) / 100), 400);
}

// Hints 0x1000 and exactly 0x2000 only repaint; anything else rebuilds.
void EditViewBase::songUpdate(uint32_t hint)
{
    if ((hint & kHintRepaintOnly) || hint == kHintTracks) {
        lightUpdate();
        return;
    }
    fullUpdate();
}

void EditViewBase::fullUpdate()
{
    CSongDoc* doc = song();
    ISongHost* songHost = host();
    if (ITrackRows* rows = trackRows(); rows && songHost)
        m_lanes = LaneLayout::make(songHost->headerZoom(), songHost->laneZoom(), rows->secondBandHeight(),
                                   rows->topRow());
    else if (songHost)
        m_lanes = LaneLayout::make(songHost->headerZoom(), songHost->laneZoom(), 0, 0);
    relayout();
    if (doc) {
        if (drawsRuler())
            relabelMeasures();
        m_cursorColumn = contentXOfTick(doc->position());
        m_origin = std::clamp<int64_t>(m_origin, 0, maxOrigin());
        rebuild();
        m_initialized = true;
    }
    updateScrollBars();
    QWidget::update();
}

void EditViewBase::relabelMeasures()
{
    const QFontMetrics metrics(rulerFont());
    MeasureLabeler::apply(song()->measureMap, axis().gridTicks, [&](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    });
}

void EditViewBase::relayout()
{
    const int right = width() - kBarThickness;
    const int bottom = height() - (m_hbarShown ? kBarThickness : 0);
    const int top = std::min(topBands(), std::max(bottom, 0));
    m_plot = QRect(QPoint(m_leftMargin, top), QPoint(right - 1, bottom - 1));
    if (m_plot.width() < 0 || m_plot.height() < 0)
        m_plot = QRect(m_leftMargin, top, 0, 0);
    m_hbar->setGeometry(0, height() - kBarThickness, std::max(right, 0), kBarThickness);
    m_vbar->setGeometry(std::max(right, 0), 0, kBarThickness, std::max(bottom, 0));
}

int EditViewBase::maxFirstRow() const
{
    const CSongDoc* doc = song();
    if (!doc || !scrollsRows())
        return 0;
    return m_lanes.maxFirstRow(int(doc->tracks.size()), m_plot.bottom() + 1);
}

// Without a song both bars and their zoom buttons are off.
void EditViewBase::updateScrollBars()
{
    const CSongDoc* doc = song();
    const ISongHost* songHost = host();
    if (!doc || !songHost) {
        for (ZoomScrollBar* bar : {m_hbar, m_vbar}) {
            bar->setScrollInfo({.min = 0, .max = 0, .page = 1, .pos = 0}, ZoomScrollBar::kAll);
            bar->enableScrollBar(3);
            bar->enableZoom(false, false);
        }
        return;
    }
    const int64_t top = maxOrigin();
    m_hbar->setScrollInfo({.min = 0, .max = clampToInt(contentWidth()), .page = std::max(m_plot.width(), 1),
                           .pos = clampToInt(m_origin)},
                          ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
    m_hbar->enableScrollBar(top > 0 ? 0 : 3);
    const int zoom = timeZoomIndex();
    m_hbar->enableZoom(zoom < timeZoomMax(), zoom > 0);

    if (scrollsRows()) {
        const int lanes = std::max(int(doc->tracks.size()) - 2, 0);
        const int rowLimit = maxFirstRow();
        m_vbar->setScrollInfo({.min = 0, .max = std::max(lanes - 1, 0),
                               .page = std::max(m_lanes.lanesShown(m_plot.bottom() + 1), 1),
                               .pos = m_lanes.firstRow},
                              ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
        m_vbar->enableScrollBar(rowLimit > 0 ? 0 : 3);
    }
    const int laneZoom = songHost->laneZoom();
    m_vbar->enableZoom(laneZoom < ISongDisplayOptions::kMaxLaneZoom, laneZoom > 0);
    updateVerticalBar();
}

void EditViewBase::setScrollOrigin(int64_t origin, bool bringLinked)
{
    applyOrigin(origin, bringLinked);
}

void EditViewBase::setLinkedOrigin(int32_t origin)
{
    applyOrigin(origin, false);
}

// Scrolls the contents when the move is at most half the plot, else
// repaints everything; then the thumb follows.
void EditViewBase::applyOrigin(int64_t origin, bool bringLinked)
{
    const int64_t next = std::clamp<int64_t>(origin, 0, maxOrigin());
    const int64_t old = m_origin;
    if (next != old) {
        m_origin = next;
        const int64_t by = old - next;
        if (by >= -m_plot.width() / 2 && by <= m_plot.width() / 2 && !m_plot.isEmpty())
            scrollContents(int(by));
        else
            QWidget::update();
        if (m_hbarShown)
            m_hbar->setScrollPos(clampToInt(m_origin));
    }
    if (bringLinked && m_links)
        m_links->syncEditorScroll(*this, clampToInt(m_origin));
}

// The ruler's labels and the cue flags reach past the strip a scroll
// exposes, so the bands above the plot are drawn again whole.
void EditViewBase::scrollContents(int by)
{
    const QRect area = scrollArea();
    QWidget::scroll(by, 0, area);
    const QRect bands(0, 0, width(), m_plot.top());
    if (!area.contains(bands))
        QWidget::update(bands);
}

void EditViewBase::updateColumn(int64_t column)
{
    if (column < 0)
        return;
    const int64_t x = int64_t(m_plot.left()) - m_origin + column;
    if (x >= m_plot.left() && x <= m_plot.right())
        QWidget::update(QRect(int(x), m_plot.top(), 1, m_plot.height()));
}

int64_t EditViewBase::measureEndColumn() const
{
    const CSongDoc& doc = *song();
    const int index = FindMeasure(doc.measureMap, doc.position());
    if (index < 0)
        return contentXOfTick(doc.position());
    const MeasureRec& measure = doc.measureMap[size_t(index)];
    return contentXOfTick(int32_t(std::min<int64_t>(int64_t(measure.start) + measure.length, INT32_MAX)));
}

// Only schedules repaints: the old and new play-line columns, a scroll of
// the contents, or everything.
void EditViewBase::follow()
{
    if (!isGuiThread()) {
        ++m_offGuiThreadCalls;
        return;
    }
    CSongDoc* doc = song();
    if (!m_initialized || !doc || m_scrolling || (m_links && m_links->userScrolling()))
        return;
    const ISongHost& songHost = doc->context().host;
    FollowInput in{.playColumn = contentXOfTick(doc->position()),
                   .origin = m_origin,
                   .cursorColumn = m_cursorColumn,
                   .plotWidth = m_plot.width(),
                   .maxOrigin = maxOrigin(),
                   .smoothScroll = songHost.smoothScroll(),
                   .playing = doc->context().engine.transportState() == TransportState::Playing,
                   .centreLeftOfOrigin = m_centreLeftOfOrigin,
                   .measureEndColumn = 0,
                   .centre = followCentre()};
    if (!in.smoothScroll && in.playing)
        in.measureEndColumn = measureEndColumn();
    const FollowResult out = followDecision(in);
    switch (out.redraw) {
    case FollowRedraw::None: return;
    case FollowRedraw::MoveLine:
        updateColumn(m_cursorColumn);
        m_cursorColumn = out.cursorColumn;
        updateColumn(m_cursorColumn);
        return;
    case FollowRedraw::Scroll:
        m_origin = out.origin;
        scrollContents(out.scrollBy);
        // The old line moved with the contents; repaint it where it went.
        updateColumn(m_cursorColumn);
        m_cursorColumn = out.cursorColumn;
        updateColumn(m_cursorColumn);
        break;
    case FollowRedraw::Full:
        m_origin = out.origin;
        m_cursorColumn = out.cursorColumn;
        QWidget::update();
        break;
    }
    if (m_hbarShown)
        m_hbar->setScrollPos(clampToInt(m_origin));
    // The linked lanes move in the same step, not at their own next follow.
    if (m_links)
        m_links->syncEditorScroll(*this, clampToInt(m_origin));
}

void EditViewBase::paintView(QPainter& painter, const QRect& dirty)
{
    painter.fillRect(dirty, palette().color(QPalette::Base));
}

namespace {

// Pixels: columns at most this wide are painted in bands of at most
// kPieceRows rows, which the raster engine draws on the calling thread.
constexpr int kNarrowColumn = 8;
constexpr int kPieceRows = 64;

std::vector<QRect> paintPieces(const QRegion& region)
{
    std::vector<QRect> pieces;
    // A scroll asks for the strip it exposed and the bands above the plot,
    // whose bounding rectangle is the whole view; a region of many small
    // parts is cheaper painted as one.
    const std::vector<QRect> parts = region.rectCount() <= kMaxPaintParts
        ? std::vector<QRect>(region.begin(), region.end())
        : std::vector<QRect>{region.boundingRect()};
    for (const QRect& rect : parts) {
        if (rect.width() > kNarrowColumn) {
            pieces.push_back(rect);
            continue;
        }
        for (int top = rect.top(); top <= rect.bottom(); top += kPieceRows)
            pieces.emplace_back(rect.left(), top, rect.width(), std::min(kPieceRows, rect.bottom() + 1 - top));
    }
    return pieces;
}

} // namespace

void EditViewBase::paintEvent(QPaintEvent* event)
{
    if (!isGuiThread()) {
        ++m_offGuiThreadCalls;
        return;
    }
    QPainter painter(this);
    // One rectangle of the update region at a time, and the narrow columns
    // the play line leaves in bands of few rows: the raster engine hands a
    // fill or line of many rows, or under a clip of several rectangles, to
    // Qt's pooled threads in pieces, and waking them for each move of the
    // play line cost more than the drawing.
    const int x = playLineX();
    for (const QRect& rect : paintPieces(event->region())) {
        painter.save();
        painter.setClipRect(rect);
        paintView(painter, rect);
        painter.setClipRect(rect);
        m_band.paint(painter);
        // Last, so that drawing it again over the same pixels erases it.
        if (x >= 0 && x >= rect.left() && x <= rect.right()) {
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.setPen(QPen(playLineColor(), 1));
            painter.drawLine(x, m_plot.top(), x, m_plot.bottom());
        }
        painter.restore();
    }
}

void EditViewBase::resizeEvent(QResizeEvent* event)
{
    SongView::resizeEvent(event);
    relayout();
    if (song())
        m_origin = std::clamp<int64_t>(m_origin, 0, maxOrigin());
    updateScrollBars();
}

void EditViewBase::ScrollToRow(int row)
{
    if (song())
        setFirstRow(row);
}

void EditViewBase::setFirstRow(int row)
{
    const int next = std::clamp(row, 0, maxFirstRow());
    if (next == m_lanes.firstRow)
        return;
    m_lanes.firstRow = next;
    if (ITrackRows* rows = trackRows())
        rows->setTopRow(next);
    m_vbar->setScrollPos(next);
    QWidget::update();
}

// Follow stays off from the first scroll message to the end-scroll one.
// The bar's arrows report single steps with no end, so they leave it clear.
void EditViewBase::onScrolled(ZoomScrollBar* bar, int code)
{
    if (!song())
        return;
    const bool rows = bar == m_vbar;
    if (rows && !scrollsRows()) {
        verticalScrolled(code);
        return;
    }
    const int64_t pos = rows ? m_lanes.firstRow : m_origin;
    const int64_t limit = rows ? maxFirstRow() : maxOrigin();
    const int32_t page = rows ? std::max(m_lanes.lanesShown(m_plot.bottom() + 1), 1) : std::max(m_plot.width(), 1);
    int64_t next = pos;
    switch (code) {
    case ZoomScrollBar::kLineUp: next = pos - 1; break;
    case ZoomScrollBar::kLineDown: next = pos + 1; break;
    case ZoomScrollBar::kPageUp: next = pos - page; break;
    case ZoomScrollBar::kPageDown: next = pos + page; break;
    case ZoomScrollBar::kScrollTop: next = 0; break;
    case ZoomScrollBar::kScrollBottom: next = limit; break;
    case ZoomScrollBar::kThumbTrack: next = bar->trackPos(); break;
    case ZoomScrollBar::kThumbPosition:
    case ZoomScrollBar::kEndScroll: setScrolling(false); return;
    default: break;
    }
    if (code != ZoomScrollBar::kLineUp && code != ZoomScrollBar::kLineDown)
        setScrolling(true);
    const int64_t target = std::clamp<int64_t>(next, 0, std::max<int64_t>(limit, 0));
    if (rows)
        setFirstRow(int(target));
    else
        applyOrigin(target, true);
    bar->setScrollPos(rows ? m_lanes.firstRow : clampToInt(m_origin));
}

// Time zoom goes through the song's commands; the lane zoom is clamped here
// too, whatever the buttons allow.
void EditViewBase::onZoomCommand(uint32_t id)
{
    CSongDoc* doc = song();
    ISongHost* songHost = host();
    if (!doc || !songHost)
        return;
    switch (id) {
    case ZoomScrollBar::kZoomInTime:
        if (!zoomTime(true))
            doc->OnZoomInTime();
        return;
    case ZoomScrollBar::kZoomOutTime:
        if (!zoomTime(false))
            doc->OnZoomOutTime();
        return;
    case ZoomScrollBar::kZoomInScale:
    case ZoomScrollBar::kZoomOutScale: {
        if (zoomScale(id == ZoomScrollBar::kZoomInScale))
            return;
        const int step = id == ZoomScrollBar::kZoomInScale ? 1 : -1;
        songHost->setLaneZoom(std::clamp(songHost->laneZoom() + step, 0, ISongDisplayOptions::kMaxLaneZoom));
        songHost->updateSongViews(*doc, nullptr, 0);
        return;
    }
    default: return;
    }
}

void EditViewBase::keyPressEvent(QKeyEvent* event)
{
    if (!song()) {
        SongView::keyPressEvent(event);
        return;
    }
    const bool rowsMove = scrollsRows() && maxFirstRow() > 0;
    const int page = std::max(m_lanes.lanesShown(m_plot.bottom() + 1), 1);
    switch (event->key()) {
    case Qt::Key_PageUp: if (rowsMove) setFirstRow(m_lanes.firstRow - page); return;
    case Qt::Key_PageDown: if (rowsMove) setFirstRow(m_lanes.firstRow + page); return;
    case Qt::Key_End: if (rowsMove) setFirstRow(maxFirstRow()); return;
    case Qt::Key_Home: if (rowsMove) setFirstRow(0); return;
    case Qt::Key_Left: applyOrigin(m_origin - kKeyScrollColumns, true); return;
    case Qt::Key_Right: applyOrigin(m_origin + kKeyScrollColumns, true); return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (ITrackRows* rows = trackRows())
            rows->stepCurrentRow(event->key() == Qt::Key_Up ? -1 : 1);
        return;
    default: SongView::keyPressEvent(event); return;
    }
}

std::string EditViewBase::statusTextAt(QPoint point) const
{
    const CSongDoc& doc = *song();
    const int32_t tick = std::max(tickOfContentX(int64_t(point.x()) - m_plot.left() + m_origin), 0);
    return "Track " + std::to_string(m_lanes.rowAt(point.y())) + " @ " + trimmedPosition(doc, tick);
}

void EditViewBase::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_dragging)
        m_lastMouse = point;
    if (ISongHost* songHost = host())
        songHost->SetStatusText(m_plot.contains(point) ? statusTextAt(point) : std::string());
    SongView::mouseMoveEvent(event);
}

void EditViewBase::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = contextMenuAt(event->pos());
    if (!menu)
        return;
    menu->exec(event->globalPos());
}

void EditViewBase::openSongProperties()
{
    if (CSongDoc* doc = song())
        doc->OnEditProperties();
}

void EditViewBase::beginDrag(QPoint point, bool rowsMayScroll)
{
    m_dragging = true;
    m_dragRows = rowsMayScroll;
    m_dragAboveLanes = point.y() < m_lanes.lanesTop();
    m_lastMouse = point;
    grabMouse();
    m_autoscroll.start();
}

void EditViewBase::endDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    m_autoscroll.stop();
    releaseMouse();
}

void EditViewBase::autoscrollTick()
{
    if (!m_dragging || !song())
        return;
    const AutoscrollInput in{.mouseX = m_lastMouse.x(),
                             .mouseY = m_lastMouse.y(),
                             .plotLeft = m_plot.left(),
                             .plotRight = m_plot.right() + 1,
                             .origin = m_origin,
                             .maxOrigin = maxOrigin(),
                             .rows = m_dragRows && scrollsRows() && maxFirstRow() > 0,
                             .rowsTop = m_dragAboveLanes ? m_lanes.rulerHeight : m_lanes.lanesTop(),
                             .plotBottom = m_plot.bottom() + 1,
                             .firstRow = m_lanes.firstRow,
                             .maxFirstRow = maxFirstRow()};
    const AutoscrollStep step = autoscrollStep(in);
    const bool vertical = autoscrollVertical(m_lastMouse);
    if (!step.moved && !vertical)
        return;
    m_band.shiftAnchor(QPoint(clampToInt(m_origin - step.origin), (m_lanes.firstRow - step.firstRow) * m_lanes.laneHeight));
    applyOrigin(step.origin, true);
    setFirstRow(step.firstRow);
    dragMoved(m_lastMouse);
    QWidget::update();
}

} // namespace rz
