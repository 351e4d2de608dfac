#include "views/graph/controller_pane_base.h"

#include "core/song_host.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/zoom_scroll_bar.h"

#include <algorithm>

namespace rz {

ControllerPaneBase::ControllerPaneBase(LinkRole role, QWidget* parent) : EditViewBase(role, parent) {}

int ControllerPaneBase::maxYOffset() const
{
    return std::max(graphPixels() - std::max(plotRect().height(), 1), 0);
}

void ControllerPaneBase::setYOffset(int y)
{
    m_yOffset = std::clamp(y, 0, maxYOffset());
}

void ControllerPaneBase::SetScrollY(int y)
{
    if (y == m_yOffset)
        return;
    setYOffset(y);
    verticalBar()->setScrollPos(m_yOffset);
    QWidget::update();
}

int32_t ControllerPaneBase::snappedTick(int x) const
{
    const CSongDoc& doc = *song();
    const int32_t tick = std::max(axis().tickOfX(x), 0);
    const EditTools tools = doc.context().host.editTools();
    if (!tools.snap)
        return tick;
    return std::max(snapInMap(doc.measureMap, tick, snapUnit(tools.gridValue, doc.timeBase)), 0);
}

void ControllerPaneBase::beginRulerRange(QPoint point, Qt::KeyboardModifiers modifiers)
{
    CSongDoc& doc = *song();
    const bool extend = (modifiers & Qt::ShiftModifier) && (doc.selectionKind & kSelectTimeRange);
    m_rulerAnchor = extend ? doc.selectionFrom : snappedTick(point.x());
    doc.selectionKind = kSelectTimeRange;
    doc.selectionFrom = doc.selectionTo = m_rulerAnchor;
}

void ControllerPaneBase::dragRulerRange(QPoint point)
{
    CSongDoc& doc = *song();
    const int32_t tick = snappedTick(point.x());
    doc.selectionFrom = std::min(m_rulerAnchor, tick);
    doc.selectionTo = std::max(m_rulerAnchor, tick);
    doc.context().host.updateSongViews(doc, this, kHintRepaintOnly);
}

QRect ControllerPaneBase::GetBandRect()
{
    QRect band = rubberBand().rect().normalized();
    band.setWidth(std::max(band.width(), 1));
    band.setHeight(std::max(band.height(), 1));
    return band;
}

void ControllerPaneBase::applyOwnership()
{
    const PaneOwnership own = paneOwnership(viewLinks() ? viewLinks()->paneViews() : PaneViews{.tempo = true});
    m_ownRuler = own.tempoDrawsRuler;
    setLeftMargin(own.tempoLeftMargin);
}

void ControllerPaneBase::verticalScrolled(int code)
{
    const int page = std::max(plotRect().height(), 1);
    int next = m_yOffset;
    switch (code) {
    case ZoomScrollBar::kLineUp: next = m_yOffset - 1; break;
    case ZoomScrollBar::kLineDown: next = m_yOffset + 1; break;
    case ZoomScrollBar::kPageUp: next = m_yOffset - page; break;
    case ZoomScrollBar::kPageDown: next = m_yOffset + page; break;
    case ZoomScrollBar::kScrollTop: next = 0; break;
    case ZoomScrollBar::kScrollBottom: next = maxYOffset(); break;
    case ZoomScrollBar::kThumbTrack: next = verticalBar()->trackPos(); break;
    case ZoomScrollBar::kThumbPosition:
    case ZoomScrollBar::kEndScroll: setScrolling(false); return;
    default: return;
    }
    if (code != ZoomScrollBar::kLineUp && code != ZoomScrollBar::kLineDown)
        setScrolling(true);
    SetScrollY(next);
}

void ControllerPaneBase::updateVerticalBar()
{
    m_yOffset = std::clamp(m_yOffset, 0, maxYOffset());
    ZoomScrollBar* bar = verticalBar();
    bar->setScrollInfo({.min = 0, .max = std::max(graphPixels() - 1, 0), .page = std::max(plotRect().height(), 1),
                        .pos = m_yOffset},
                       ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
    bar->enableScrollBar(maxYOffset() > 0 ? 0 : 3);
}

bool ControllerPaneBase::autoscrollVertical(QPoint mouse)
{
    if (graphPixels() <= kFitHeight)
        return false;
    const QRect plot = plotRect();
    int by = 0;
    if (mouse.y() < plot.top())
        by = mouse.y() - plot.top();
    else if (mouse.y() > plot.bottom())
        by = mouse.y() - plot.bottom();
    const int before = m_yOffset;
    if (by != 0)
        SetScrollY(m_yOffset + by);
    if (m_yOffset == before)
        return false;
    rubberBand().shiftAnchor(QPoint(0, before - m_yOffset));
    return true;
}

} // namespace rz
