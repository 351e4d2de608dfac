// The clock-time view: lanes of MIDI blocks and clips on an axis of real
// time, a ruler of minutes, seconds and hundredths. GUI thread.

#include "views/clip/clock_view.h"

#include "core/color.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/smpte_time.h"
#include "res/clip_menu.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "views/command_menu.h"
#include "views/view_colors.h"
#include "views/view_factory.h"

#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kClockGridLine = makeColor(145, 162, 177);
constexpr int kLabelGap = 3; // pixels between a grid line and its label

// A tick cut into the ruler: a dark line with a light one beside it.
void etch(QPainter& painter, int x, int top, int bottom)
{
    painter.setPen(QColor(0, 0, 0, 120));
    painter.drawLine(x, top, x, bottom);
    painter.setPen(QColor(255, 255, 255, 90));
    painter.drawLine(x + 1, top, x + 1, bottom);
}

} // namespace

TimeView::TimeView(TimeViewContext context, QWidget* parent)
    : ClipLanesView(LinkRole::Clip, context.loader, parent), m_context(std::move(context))
{
    if (m_context.profile)
        m_zoom = readSetting(*m_context.profile, settings::kDisplayXZoomTime);
}

TimeView::~TimeView()
{
    stopOverviewWorker();
    writeZoomSettings();
    if (m_context.profile)
        writeSetting(*m_context.profile, settings::kDisplayXZoomTime, m_zoom);
}

ClockAxis TimeView::clockAxis() const
{
    if (const CSongDoc* doc = song())
        return ClockAxis::forSong(*doc, m_zoom, plotRect().left(), contentOrigin());
    return ClockAxis{.zoom = m_zoom, .plotLeft = plotRect().left(), .origin = contentOrigin()};
}

void TimeView::fillAxis(ClipGeometry& g) const
{
    g.axis = axis();
    g.clock = clockAxis();
    g.midiItems = true;
    g.cuesPinTracks = true;
}

QRect TimeView::scrollArea() const
{
    const QRect plot = plotRect();
    return QRect(plot.left(), 0, plot.width(), plot.bottom() + 1);
}

bool TimeView::rowsActive() const
{
    return m_context.trackListActive ? m_context.trackListActive() : hasFocus();
}

int64_t TimeView::contentXOfTick(int32_t tick) const
{
    return clockAxis().contentXOfTick(tick);
}

int32_t TimeView::tickOfContentX(int64_t x) const
{
    return clockAxis().tickOfContentX(x);
}

bool TimeView::zoomTime(bool in)
{
    const int next = ClockAxis::clampZoom(m_zoom + (in ? 1 : -1));
    if (next == m_zoom)
        return true;
    m_zoom = next;
    if (!song()) {
        updateScrollBars();
        return true;
    }
    // The song position comes back to the middle of the plot.
    fullUpdate();
    setScrollOrigin(contentXOfTick(song()->position()) - plotRect().width() / 2, false);
    return true;
}

FollowResult TimeView::followDecision(const FollowInput& in) const
{
    return timeFollow(TimeFollowInput{.playX = in.playColumn,
                                      .origin = in.origin,
                                      .lineX = in.cursorColumn,
                                      .plotWidth = in.plotWidth,
                                      .contentWidth = contentWidth(),
                                      .userScrolling = scrolling()});
}

bool TimeView::statusNamesTick(int32_t tick) const
{
    return tick < song()->measureMapEnd;
}

// A labelled line every 100 pixels down through the lanes, nine small ticks
// between; the labels count the song's time from its SMPTE offset.
void TimeView::paintRuler(QPainter& painter, const QRect& dirty, const ClipGeometry& g)
{
    paintRulerBand(painter, dirty, g);
    const ClockAxis& a = *g.clock;
    CSmpteTime offset = song()->smpteOffset;
    const double offsetUs = offset.GetTime();
    const int rulerBottom = g.lanes.rulerHeight - 1;
    painter.save();
    painter.setClipRect(QRect(g.plot.left(), 0, g.plot.width(), g.plot.bottom() + 1) & dirty);
    painter.setFont(rulerFont());
    // A label reaches right of its line: start one line earlier.
    const int64_t from = ClockAxis::gridLineAtOrBefore(a.contentXOf(std::max(dirty.left(), g.plot.left()))) - ClockAxis::kGridStep;
    const int64_t to = ClockAxis::gridLineAtOrBefore(a.contentXOf(dirty.right()));
    for (int64_t cx = std::max<int64_t>(from, 0); cx <= to; cx += ClockAxis::kGridStep) {
        const int x = clampToInt(cx - a.origin + a.plotLeft);
        painter.setPen(fromColorRef(kClockGridLine));
        painter.drawLine(x, g.lanes.lanesTop(), x, g.plot.bottom());
        etch(painter, x, 0, rulerBottom);
        for (int k = ClockAxis::kSmallStep; k < ClockAxis::kGridStep; k += ClockAxis::kSmallStep)
            etch(painter, x + k, rulerBottom - g.lanes.rulerHeight / 4, rulerBottom);
        painter.setPen(fromColorRef(view_colors::kLabelText));
        painter.drawText(x + kLabelGap, g.lanes.rulerHeight - 4,
                         QString::fromStdString(ClockAxis::label(double(cx) * double(a.usPerPixel()), offsetUs)));
    }
    painter.restore();
    invertRulerRange(painter, g);
}

// The dragged set's ticks and tracks, framed in black; a set holding cues
// reaches up from the lanes to the top of the view.
void TimeView::paintOverlay(QPainter& painter, const ClipGeometry& g)
{
    const ClipEditController* edit = editor();
    if (!edit || !(edit->mode() & ClipEditController::kDragging))
        return;
    const ClipEditController::Bounds& b = edit->bounds();
    const int x1 = g.xOfTick(b.firstTick + edit->tickDelta());
    const int x2 = std::max(g.xOfTick(b.lastTick + edit->tickDelta()), x1 + 1);
    const int firstRow = b.firstRow + edit->rowDelta();
    const bool cues = std::any_of(edit->dragList().begin(), edit->dragList().end(),
                                  [](const ClipEditController::DragItem& item) { return item.row < 0; });
    const int top = firstRow >= 1 && !cues ? std::max(g.lanes.rowY(firstRow), 0) : 0;
    const int bottom = std::max(g.lanes.rowY(b.lastRow + edit->rowDelta() + 1) - 1, g.lanes.lanesTop());
    painter.save();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(x1, top), QPoint(x2 - 1, bottom)));
    painter.restore();
}

QMenu* TimeView::contextMenuAt(QPoint)
{
    m_menu = commandMenu(clipContextMenu(), this, m_context.sink);
    return m_menu.get();
}

void registerTimeView(ViewFactory& factory, TimeViewContext context)
{
    factory.registerView(ViewKind::Time, [context](const ViewRequest& request) -> SongView* {
        return new TimeView(context, request.parent);
    });
}

} // namespace rz
