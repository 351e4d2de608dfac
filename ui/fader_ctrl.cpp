#include "ui/fader_ctrl.h"

#include "core/muldiv.h"
#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"
#include "ui/gui_thread.h"
#include "ui/resource_cursors.h"
#include "ui/status_prompt.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kThumbKey = 0xFF00FF;

} // namespace

FaderCtrl::FaderCtrl(int backgroundId, int thumbId, uint32_t style, QWidget* parent,
                     uint32_t ctrlId)
    : QWidget(parent), m_style(style), m_ctrlId(ctrlId),
      m_background(BitmapCatalog::image(backgroundId)), m_thumb(BitmapCatalog::image(thumbId))
{
    setMouseTracking(true);
    setCursor(resourceCursor(kCursorScroll));
    m_repeat.setInterval(kRepeatMs);
    connect(&m_repeat, &QTimer::timeout, this, &FaderCtrl::tick);
}

void FaderCtrl::setPos(int32_t value)
{
    m_value = m_trackValue = std::clamp(value, m_min, m_max);
    repaint();
}

void FaderCtrl::setRange(int32_t min, int32_t max, bool redraw)
{
    m_min = min;
    m_max = std::max(max, min);
    m_value = std::clamp(m_value, m_min, m_max);
    m_trackValue = std::clamp(m_trackValue, m_min, m_max);
    if (redraw)
        update();
}

int32_t FaderCtrl::setPageSize(int32_t page)
{
    const int32_t previous = m_page;
    m_page = std::max(page, 0);
    return previous;
}

// A thumb longer than the fader has no travel and sits at the start.
QRect FaderCtrl::thumbRect() const
{
    const int64_t travel = std::max(lengthAlong() - thumbLengthAlong(), 0);
    const int64_t range = int64_t(m_max) - m_min + 1;
    const int64_t offset =
        std::clamp<int64_t>(mulDiv64(int64_t(m_trackValue) - m_min, travel, range), 0, travel);
    if (isVertical())
        return QRect(QPoint(0, int(travel - offset)), m_thumb.size());
    return QRect(QPoint(int(offset), 0), m_thumb.size());
}

void FaderCtrl::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    painter.drawImage(rect(), m_background);
    DrawTransparentBitmap(painter, m_thumb, thumbRect().topLeft(), kThumbKey);
}

// -1 before the thumb (left of it, or above it when vertical), +1 after it,
// 0 on it.
int FaderCtrl::sideOfThumb(QPoint mouse) const
{
    const QRect thumb = thumbRect();
    const int at = isVertical() ? mouse.y() : mouse.x();
    const int start = isVertical() ? thumb.top() : thumb.left();
    const int end = isVertical() ? thumb.bottom() : thumb.right();
    if (at < start)
        return -1;
    return at > end ? +1 : 0;
}

void FaderCtrl::setUserValue(int64_t value)
{
    const int32_t clamped = int32_t(std::clamp<int64_t>(value, m_min, m_max));
    if (clamped == m_trackValue)
        return;
    m_trackValue = clamped;
    repaint();
    emit changed();
}

// Before the thumb is lower values on a horizontal fader and higher ones on
// a vertical fader, whose maximum is at the top.
void FaderCtrl::pageStep(int side)
{
    const int direction = isVertical() ? -side : side;
    setUserValue(int64_t(m_trackValue) + int64_t(direction) * m_page);
    m_value = m_trackValue;
}

void FaderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_dragging || m_repeat.isActive())
        return;
    const QPoint mouse = event->position().toPoint();
    m_lastMouse = mouse;
    const int side = sideOfThumb(mouse);
    if (side == 0) {
        m_anchor = mouse;
        m_dragging = true;
        setCursor(resourceCursor(kCursorDragging));
        return;
    }
    m_pageBefore = side < 0;
    m_pageAfter = side > 0;
    pageStep(side);
    m_countdown = kRepeatDelayTicks;
    m_repeat.start();
}

void FaderCtrl::tick()
{
    if (!m_pageBefore && !m_pageAfter)
        return;
    if (m_countdown > 0) {
        --m_countdown;
        return;
    }
    const int side = sideOfThumb(m_lastMouse);
    if ((m_pageBefore && side < 0) || (m_pageAfter && side > 0))
        pageStep(side);
}

// The mouse's travel along the fader, less one pixel, spans the range; a
// fader of one pixel or less cannot be dragged.
void FaderCtrl::dragTo(QPoint mouse)
{
    const int64_t length = lengthAlong() - 1;
    if (length < 1)
        return;
    const int64_t range = std::max<int64_t>(int64_t(m_max) - m_min, 1);
    const int64_t start = mulDiv64(int64_t(m_value) - m_min, length, range);
    const int64_t delta = isVertical() ? m_anchor.y() - mouse.y() : mouse.x() - m_anchor.x();
    setUserValue(mulDiv64(start + delta, range, length) + m_min);
}

void FaderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    m_lastMouse = event->position().toPoint();
    if (!m_hover) {
        m_hover = true;
        if (IStatusPrompt* prompt = mainStatusPrompt())
            prompt->setPromptId(m_ctrlId);
    }
    if (m_dragging)
        dragTo(m_lastMouse);
}

void FaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_dragging) {
        m_dragging = false;
        m_value = m_trackValue;
        setCursor(resourceCursor(kCursorScroll));
        return;
    }
    if (!m_pageBefore && !m_pageAfter)
        return;
    m_repeat.stop();
    m_pageBefore = m_pageAfter = false;
    update();
}

void FaderCtrl::leaveEvent(QEvent*)
{
    if (!m_hover)
        return;
    m_hover = false;
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(kIdlePromptId);
}

} // namespace rz
