// The velocity view's settings, layout, scrolling, keys, mouse and menu.
// GUI thread.

#include "views/piano/velocity_view.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "res/piano_menu.h"
#include "song/song_doc.h"
#include "ui/resource_cursors.h"
#include "ui/zoom_scroll_bar.h"
#include "views/command_menu.h"
#include "views/cue_flag_painter.h"
#include "views/mouse_edit_rules.h"
#include "views/view_factory.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

constexpr CommandRow<VelocityView> kVelocityCommands[] = {
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &KeyRowsView::onZoom, &KeyRowsView::onUpdateZoom},
};

int rowSteps(int pixels, int rowHeight)
{
    const int h = std::max(rowHeight, 1);
    return (pixels + h - 1) / h;
}

} // namespace

VelocityView::VelocityView(QWidget* parent, CommandSink sink)
    : KeyRowsView(LinkRole::Velocity, parent, std::move(sink))
{
}

VelocityView::~VelocityView()
{
    m_editor.reset();
}

void VelocityView::attach(CSongDoc& song)
{
    KeyRowsView::attach(song);
    m_editor = std::make_unique<VelocityEdits>(song, rubberBand(), [this] {
        if (CSongDoc* doc = this->song())
            doc->context().host.updateSongViews(*doc, this, kHintRepaintOnly);
    });
}

// A gesture in progress belongs to the song it began on.
void VelocityView::detach()
{
    KeyRowsView::detach();
    m_editor.reset();
}

void VelocityView::rebuild()
{
    KeyRowsView::rebuild();
    if (m_editor)
        m_editor->setShownTracks(shownTracks());
}

VelocityGeometry VelocityView::geometryNow() const
{
    VelocityGeometry g;
    g.axis = axis();
    g.layout = layout();
    g.layout.rows.noteTop = plotRect().top();
    g.rulerHeight = lanes().rulerHeight;
    g.stripWidth = stripWidth();
    g.plot = plotRect();
    g.clientWidth = width();
    g.dragDistance = QApplication::startDragDistance();
    return g;
}

int32_t VelocityView::followCentre() const
{
    return std::max(VelocityLayout::followCentre(plotRect().right() + 1, stripWidth()), 0);
}

std::span<const CommandRow<VelocityView>> VelocityView::commandTable()
{
    return kVelocityCommands;
}

Qt::CursorShape VelocityView::cursorAt(QPoint point) const
{
    const CSongDoc* doc = song();
    if (!doc)
        return Qt::ArrowCursor;
    const QRect plot = plotRect();
    if (point.x() < VelocityLayout::kSisterMargin && point.y() >= plot.top() && point.y() <= plot.bottom()
        && rows().rowHeight >= PianoLayout::kNamesFromRowHeight)
        return Qt::ForbiddenCursor;
    if (!transportStopped(*doc) || doc->context().host.performanceMode() || !m_editor)
        return Qt::ArrowCursor;
    if (m_editor->mode() & VelocityEdits::kDrag)
        return resourceCursor(kCursorDragging);
    if (m_editor->hitTestHead(geometryNow(), point))
        return Qt::SizeVerCursor;
    if (doc->context().host.editTools().tool == 1 && plot.contains(point))
        return resourceCursor(kCursorDrawLine);
    return Qt::ArrowCursor;
}

std::string VelocityView::statusTextAt(QPoint point) const
{
    const CSongDoc& doc = *song();
    const VelocityPoint at = m_editor ? m_editor->pointToTickValue(geometryNow(), point) : VelocityPoint{};
    std::string time;
    doc.FormatTime(at.tick, time);
    time.erase(0, std::min(time.find_first_not_of(' '), time.size()));
    char text[96];
    std::snprintf(text, sizeof text, "Velocity=%d @ %s", at.value, time.c_str());
    return text;
}

void VelocityView::mousePressEvent(QMouseEvent* event)
{
    if (!song() || !m_editor) {
        EditViewBase::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_pressAboveNotes = event->position().y() < plotRect().top();
    pressLaneEditor(*m_editor, geometryNow(), *event, false);
}

void VelocityView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    setCursor(cursorAt(point));
    if (song() && m_editor && m_editor->active()) {
        // From the bands into the rows the key area shows from its top.
        if (m_pressAboveNotes && point.y() >= plotRect().top() && rows().firstRow != 0) {
            m_pressAboveNotes = false;
            scrollRowsTo(0);
        }
        m_editor->move(geometryNow(), lanePointerOf(*event));
        QWidget::update();
    }
    EditViewBase::mouseMoveEvent(event);
}

void VelocityView::dragMoved(QPoint point)
{
    if (!song() || !m_editor)
        return;
    m_editor->move(geometryNow(), VelocityPointer{.at = point, .modifiers = QApplication::keyboardModifiers()});
}

// Toward a pointer above or below the key area, as many rows as it is away.
bool VelocityView::autoscrollVertical(QPoint mouse)
{
    if (!m_editor || !m_editor->active() || (m_editor->mode() & VelocityEdits::kRuler))
        return false;
    const PianoLayout& rows = this->rows();
    const int before = rows.firstRow;
    const int limit = m_pressAboveNotes ? lanes().rulerHeight - before * rows.rowHeight : plotRect().top();
    const int bottom = plotRect().bottom() + 1;
    if (mouse.y() < limit && before > 0)
        scrollRowsTo(before - rowSteps(limit - mouse.y(), rows.rowHeight));
    else if (mouse.y() >= bottom)
        scrollRowsTo(before + std::max(rowSteps(mouse.y() - bottom, rows.rowHeight), 1));
    if (rows.firstRow == before)
        return false;
    rubberBand().shiftAnchor(QPoint(0, (before - rows.firstRow) * rows.rowHeight));
    return true;
}

void VelocityView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton || !m_editor->active()) {
        EditViewBase::mouseReleaseEvent(event);
        return;
    }
    m_editor->release(geometryNow(), lanePointerOf(*event));
    finishGesture();
}

void VelocityView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton)
        return;
    if (event->position().y() < lanes().rulerHeight) {
        m_editor->doubleClick(geometryNow(), lanePointerOf(*event));
        finishGesture();
        return;
    }
    mousePressEvent(event);
}

void VelocityView::finishGesture()
{
    endDrag();
    QWidget::update();
}

void VelocityView::cancelGesture()
{
    if (m_editor)
        m_editor->cancel();
    endDrag();
    QWidget::update();
}

void registerVelocityView(ViewFactory& factory, VelocityView::CommandSink sink)
{
    factory.registerView(ViewKind::Velocity, [sink](const ViewRequest& request) -> SongView* {
        return new VelocityView(request.parent, sink);
    });
}

} // namespace rz
