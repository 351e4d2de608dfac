#include "views/pointer_gesture.h"

#include "core/engine_link.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "views/rubber_band.h"

#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>

namespace rz {

LanePointer lanePointerOf(const QMouseEvent& event)
{
    return LanePointer{.at = event.position().toPoint(),
                       .modifiers = event.modifiers(),
                       .rightHeld = (event.buttons() & Qt::RightButton) != 0};
}

bool DragThreshold::passedBy(QPoint moved) const
{
    const int dx = std::abs(moved.x());
    const int dy = std::abs(moved.y());
    return (measure == Measure::Manhattan ? dx + dy : std::max(dx, dy)) > pixels;
}

void PointerGesture::press(QPoint at)
{
    abort();
    m_press = at;
    m_lastLocate = -1;
    m_kindBefore = m_song.selectionKind;
}

bool PointerGesture::started()
{
    if (!active())
        return false;
    if (m_kindBefore != 0 && m_song.selectionKind != m_kindBefore)
        repaintLinked();
    return true;
}

uint32_t PointerGesture::modeBits() const
{
    return (m_kind == Kind::Band ? kBandBit : 0) | (m_kind == Kind::Ruler ? kRulerBit : 0) | (held() ? kHeldBit : 0)
           | (dragging() ? kDragBit : 0);
}

void PointerGesture::repaintLinked() const
{
    if (m_repaintLinked)
        m_repaintLinked();
}

void PointerGesture::pressItem(bool selected, Qt::KeyboardModifiers modifiers, bool plainPressStartsNew)
{
    m_kind = Kind::Item;
    m_dragging = false;
    m_ctrlNew = false;
    if (selected)
        return;
    if (modifiers & Qt::ControlModifier)
        m_ctrlNew = true;
    else if (plainPressStartsNew && !(modifiers & Qt::ShiftModifier))
        ++m_song.selectionStamp;
}

bool PointerGesture::clickItem(Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (!ctrl && !(modifiers & Qt::ShiftModifier))
        ++m_song.selectionStamp;
    return !(ctrl && !m_ctrlNew);
}

PointerGesture::Step PointerGesture::follow(QPoint at, const DragThreshold& threshold)
{
    if (m_kind != Kind::Item)
        return m_kind == Kind::None ? Step::Idle : Step::Drag;
    if (m_dragging)
        return Step::Drag;
    if (!threshold.passedBy(at - m_press))
        return Step::Held;
    m_dragging = true;
    return Step::FirstMove;
}

void PointerGesture::beginBand(Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
        m_song.selectionKind = 0;
        ++m_song.selectionStamp;
        m_song.selectionFrom = m_song.selectionTo = -1;
    }
    m_kind = Kind::Band;
    m_band.begin(m_press);
}

void PointerGesture::beginRuler(int32_t tick, Qt::KeyboardModifiers modifiers)
{
    const bool extend = (modifiers & Qt::ShiftModifier) && (m_song.selectionKind & kSelectTimeRange);
    if (!extend)
        m_anchor = tick;
    else if (tick <= m_song.selectionFrom)
        m_anchor = m_song.selectionTo;
    else
        m_anchor = m_song.selectionFrom;
    m_song.selectionKind = kSelectTimeRange;
    ++m_song.selectionStamp;
    m_kind = Kind::Ruler;
    m_song.selectionFrom = std::min(m_anchor, tick);
    m_song.selectionTo = std::max(m_anchor, tick);
}

void PointerGesture::dragRuler(int32_t tick)
{
    m_song.selectionFrom = std::min(m_anchor, tick);
    m_song.selectionTo = std::max(m_anchor, tick);
    repaintLinked();
}

void PointerGesture::beginTool(bool rowsMayScroll)
{
    m_kind = Kind::Tool;
    m_toolScrollsRows = rowsMayScroll;
}

bool PointerGesture::rowsMayScroll() const
{
    return m_kind == Kind::Band || dragging() || (m_kind == Kind::Tool && m_toolScrollsRows);
}

void PointerGesture::locate(int32_t tick, bool rightHeld)
{
    if (rightHeld || tick == m_lastLocate)
        return;
    m_lastLocate = tick;
    m_song.context().engine.LocateSong(m_song, tick);
}

void PointerGesture::release()
{
    if (m_kind == Kind::Ruler && m_song.selectionTo <= m_song.selectionFrom)
        m_song.selectionKind = 0;
    if (m_kind == Kind::Band)
        m_band.commit(m_song.selectionStamp);
    reset();
}

void PointerGesture::abort()
{
    if (m_kind == Kind::Band)
        m_band.cancel();
    reset();
}

void PointerGesture::reset()
{
    m_kind = Kind::None;
    m_dragging = false;
    m_ctrlNew = false;
    m_toolScrollsRows = false;
    m_anchor = -1;
}

} // namespace rz
