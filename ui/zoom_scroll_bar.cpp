#include "ui/zoom_scroll_bar.h"

#include "core/muldiv.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/color_ref.h"
#include "ui/frame_3d.h"
#include "ui/gui_thread.h"
#include "ui/resource_cursors.h"
#include "ui/status_prompt.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kTrackFill = 0xB9A5A3;
constexpr Color kTrackLight = 0x7B5755;
constexpr Color kTrackDark = 0xD8CECE;
constexpr Color kThumbBase = 0x38140C;

} // namespace

ZoomScrollBar::ZoomScrollBar(uint32_t style, QWidget* parent) : QWidget(parent), m_style(style)
{
    const bool vertical = isVertical();
    m_arrow1 = makeButton(vertical ? bitmap_id::kArrowUp : bitmap_id::kArrowLeft, kArrow1Id,
                          BitmapPushButton::kRepeat);
    m_arrow2 = makeButton(vertical ? bitmap_id::kArrowDown : bitmap_id::kArrowRight, kArrow2Id,
                          BitmapPushButton::kRepeat);
    connect(m_arrow1, &BitmapPushButton::command, this, [this] { arrowStep(-1); });
    connect(m_arrow2, &BitmapPushButton::command, this, [this] { arrowStep(+1); });
    if (m_style & kZoomButtons) {
        m_zoomIn = makeButton(bitmap_id::kZoomIn, vertical ? kZoomInScale : kZoomInTime, 0);
        m_zoomOut = makeButton(bitmap_id::kZoomOut, vertical ? kZoomOutScale : kZoomOutTime, 0);
        for (BitmapPushButton* zoom : {m_zoomIn, m_zoomOut})
            connect(zoom, &BitmapPushButton::command, this, [this](uint32_t id) {
                QMetaObject::invokeMethod(
                    this, [this, id] { emit zoomCommand(id); }, Qt::QueuedConnection);
            });
    }
    m_repeat.setInterval(kRepeatMs);
    connect(&m_repeat, &QTimer::timeout, this, &ZoomScrollBar::tick);
    setMouseTracking(true);
    setCursor(resourceCursor(kCursorScroll));
}

BitmapPushButton* ZoomScrollBar::makeButton(int bitmapId, uint32_t command, int options)
{
    return new BitmapPushButton(bitmapId, QPoint(0, 0), this, command, options);
}

void ZoomScrollBar::layoutButtons()
{
    const int length = isVertical() ? height() : width();
    const bool zoom = m_zoomIn != nullptr;
    auto place = [this](BitmapPushButton* button, int at) {
        button->move(isVertical() ? QPoint(0, at) : QPoint(at, 0));
    };
    place(m_arrow1, 0);
    place(m_arrow2, length - (zoom ? 3 : 1) * kButtonLength);
    if (zoom) {
        place(m_zoomOut, length - 2 * kButtonLength);
        place(m_zoomIn, length - kButtonLength);
    }
}

void ZoomScrollBar::resizeEvent(QResizeEvent*)
{
    layoutButtons();
}

int ZoomScrollBar::trackLength() const
{
    const int length = isVertical() ? height() : width();
    return length - (m_zoomIn ? 4 : 2) * kButtonLength;
}

QRect ZoomScrollBar::trackRect() const
{
    const int length = std::max(trackLength(), 0);
    return isVertical() ? QRect(0, kButtonLength, width(), length)
                        : QRect(kButtonLength, 0, length, height());
}

int32_t ZoomScrollBar::scrollLimit() const
{
    // A page of 0 or 1 lets the position reach the maximum, no further.
    const int64_t limit = int64_t(m_max) - std::max<int64_t>(int64_t(m_page) - 1, 0);
    return int32_t(std::max<int64_t>(m_min, limit));
}

int64_t ZoomScrollBar::clampPos(int64_t pos) const
{
    return std::max<int64_t>(std::min<int64_t>(pos, scrollLimit()), m_min);
}

bool ZoomScrollBar::setScrollInfo(const ScrollInfo& info, unsigned mask, bool redraw)
{
    if (mask & kRange) {
        m_min = info.min;
        m_max = std::max(info.max, info.min);
    }
    if (mask & kPage)
        m_page = std::max<int32_t>(info.page, 0);
    if (mask & kPos)
        m_pos = m_trackPos = int32_t(clampPos(info.pos));
    if (!(mask & (kRange | kPage | kPos)))
        return false;
    m_pos = int32_t(clampPos(m_pos));
    m_trackPos = int32_t(clampPos(m_trackPos));
    if (redraw)
        update();
    return true;
}

ScrollInfo ZoomScrollBar::scrollInfo(unsigned mask) const
{
    ScrollInfo info;
    if (mask & kRange) {
        info.min = m_min;
        info.max = m_max;
    }
    if (mask & kPage)
        info.page = m_page;
    if (mask & kPos)
        info.pos = m_pos;
    if (mask & kTrackPos)
        info.trackPos = m_trackPos;
    return info;
}

int32_t ZoomScrollBar::setScrollPos(int32_t pos, bool redraw)
{
    if (m_dragging)
        return m_pos;
    const int32_t previous = m_pos;
    m_pos = m_trackPos = int32_t(clampPos(pos));
    if (redraw)
        update();
    return previous;
}

void ZoomScrollBar::scrollRange(int32_t& min, int32_t& max) const
{
    min = m_min;
    max = m_max;
}

void ZoomScrollBar::enableScrollBar(unsigned flags)
{
    if (flags == 0 || flags == 3) {
        m_arrow1->setEnabled(flags == 0);
        m_arrow2->setEnabled(flags == 0);
    }
    update();
}

void ZoomScrollBar::enableZoom(bool zoomIn, bool zoomOut)
{
    if (!m_zoomIn)
        return;
    m_zoomIn->setEnabled(zoomIn);
    m_zoomOut->setEnabled(zoomOut);
}

// A bar shorter than its buttons has no track, and a page that covers the
// whole range leaves nothing to scroll: no thumb then.
bool ZoomScrollBar::hasThumb() const
{
    const int64_t scrollable = int64_t(m_max) - m_min - m_page + 1;
    return isEnabled() && trackLength() >= 1 && scrollable >= 1;
}

QRect ZoomScrollBar::thumbRect() const
{
    if (!hasThumb())
        return {};
    const int64_t length = trackLength();
    const int64_t range = int64_t(m_max) - m_min + 1;
    int64_t thumb = std::min(mulDiv64(m_page, length, range), length);
    if (thumb < kMinThumb + 1)
        thumb = kMinThumb;
    thumb = std::min(thumb, length);
    const int64_t scrollable = int64_t(m_max) - m_min - m_page + 1;
    const int64_t offset = mulDiv64(int64_t(m_trackPos) - m_min, length - thumb, scrollable);
    const int start = kButtonLength + int(std::clamp<int64_t>(offset, 0, length - thumb));
    return isVertical() ? QRect(0, start, width(), int(thumb))
                        : QRect(start, 0, int(thumb), height());
}

void ZoomScrollBar::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    const QRect track = trackRect();
    if (track.isEmpty())
        return;
    painter.fillRect(track, fromColorRef(kTrackFill));
    draw3dRect(painter, track, kTrackLight, kTrackDark);
    const QRect thumb = thumbRect();
    if (thumb.isEmpty())
        return;
    if (m_pageBefore)
        painter.fillRect(isVertical() ? QRect(track.topLeft(), QPoint(track.right(), thumb.top() - 1))
                                      : QRect(track.topLeft(), QPoint(thumb.left() - 1, track.bottom())),
                         Qt::black);
    if (m_pageAfter)
        painter.fillRect(isVertical()
                             ? QRect(QPoint(track.left(), thumb.bottom() + 1), track.bottomRight())
                             : QRect(QPoint(thumb.right() + 1, track.top()), track.bottomRight()),
                         Qt::black);
    const Color face = ShadeColor(kThumbBase, 200);
    painter.fillRect(thumb, fromColorRef(face));
    draw3dRect(painter, thumb, ShadeColor(face, 200), ShadeColor(face, 40));
    draw3dRect(painter, thumb.adjusted(1, 1, -1, -1), ShadeColor(face, 160), ShadeColor(face, 80));
}

void ZoomScrollBar::arrowStep(int direction)
{
    const int64_t target = direction < 0 ? int64_t(m_pos) - 1 : int64_t(m_pos) + 1;
    m_pos = m_trackPos = int32_t(clampPos(target));
    repaint();
    emit scrolled(direction < 0 ? kLineUp : kLineDown);
}

// -1 before the thumb, +1 after it, 0 on it or outside the track.
int ZoomScrollBar::sideOfThumb(QPoint mouse) const
{
    const QRect thumb = thumbRect();
    if (thumb.isEmpty() || !trackRect().contains(mouse) || thumb.contains(mouse))
        return 0;
    return along(mouse) < along(thumb.topLeft()) ? -1 : +1;
}

void ZoomScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_dragging || m_repeat.isActive())
        return;
    const QPoint mouse = event->position().toPoint();
    m_lastMouse = mouse;
    if (thumbRect().contains(mouse)) {
        m_anchor = mouse;
        m_dragging = true;
        setCursor(resourceCursor(kCursorDragging));
        return;
    }
    const int side = sideOfThumb(mouse);
    if (side == 0)
        return;
    m_pageBefore = side < 0;
    m_pageAfter = side > 0;
    update();
    emit scrolled(side < 0 ? kPageUp : kPageDown);
    m_countdown = kRepeatDelayTicks;
    m_repeat.start();
}

void ZoomScrollBar::tick()
{
    const int side = sideOfThumb(m_lastMouse);
    if (side == 0 || (!m_pageBefore && !m_pageAfter))
        return;
    if (m_countdown > 0) {
        --m_countdown;
        return;
    }
    if (m_pageBefore && side < 0)
        emit scrolled(kPageUp);
    else if (m_pageAfter && side > 0)
        emit scrolled(kPageDown);
}

void ZoomScrollBar::dragTo(QPoint mouse)
{
    const int64_t length = trackLength();
    if (length < 1)
        return;
    const int64_t range = std::max<int64_t>(int64_t(m_max) - m_min + 1, 1);
    const int64_t offset = mulDiv64(int64_t(m_pos) - m_min, length, range);
    const int64_t delta = along(mouse) - along(m_anchor);
    const int64_t pos = mulDiv64(offset + delta, range, length) + m_min;
    m_trackPos = int32_t(clampPos(pos));
    repaint();
    emit scrolled(kThumbTrack);
}

void ZoomScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    m_lastMouse = event->position().toPoint();
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->clearStatusText();
    if (m_dragging)
        dragTo(m_lastMouse);
}

void ZoomScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_dragging) {
        m_dragging = false;
        m_pos = m_trackPos;
        setCursor(resourceCursor(kCursorScroll));
        update();
        emit scrolled(kThumbPosition);
        return;
    }
    if (!m_pageBefore && !m_pageAfter)
        return;
    m_repeat.stop();
    m_pageBefore = m_pageAfter = false;
    update();
    emit scrolled(kEndScroll);
}

} // namespace rz
