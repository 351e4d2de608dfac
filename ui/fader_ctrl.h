#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace rz {

// The main frame's bitmap fader (tempo and volume): a thumb bitmap over a
// background bitmap, a range, a page step with auto-repeat and a status
// prompt while hovered. Vertical faders have their maximum at the top.
// changed() follows every change the user makes, never setPos(). GUI thread.
class FaderCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr uint32_t kVertical = 0x01; // style bit
    static constexpr int kRepeatMs = 75;
    static constexpr int kRepeatDelayTicks = 5;

    FaderCtrl(int backgroundId, int thumbId, uint32_t style, QWidget* parent, uint32_t ctrlId);

    uint32_t ctrlId() const { return m_ctrlId; }
    bool isVertical() const { return m_style & kVertical; }

    // Kept inside the range.
    void setPos(int32_t value);
    int32_t pos() const { return m_trackValue; }
    // A maximum below the minimum becomes the minimum.
    void setRange(int32_t min, int32_t max, bool redraw = true);
    int32_t rangeMin() const { return m_min; }
    int32_t rangeMax() const { return m_max; }
    // Returns the previous page; a negative page counts as 0.
    int32_t setPageSize(int32_t page);
    int32_t pageSize() const { return m_page; }

    QRect thumbRect() const;
    bool isDragging() const { return m_dragging; }

    // One beat of the 75 ms page-repeat timer; public so tests count ticks.
    void tick();
    bool isRepeating() const { return m_repeat.isActive(); }

signals:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int lengthAlong() const { return isVertical() ? height() : width(); }
    int thumbLengthAlong() const { return isVertical() ? m_thumb.height() : m_thumb.width(); }
    int sideOfThumb(QPoint mouse) const;
    void pageStep(int side);
    void dragTo(QPoint mouse);
    void setUserValue(int64_t value);

    uint32_t m_style = 0;
    uint32_t m_ctrlId = 0;
    bool m_pageBefore = false;
    bool m_pageAfter = false;
    bool m_dragging = false;
    int32_t m_value = 0;
    int32_t m_trackValue = 0;
    int32_t m_min = 0;
    int32_t m_max = 100;
    int32_t m_page = 10;
    int m_countdown = 0;
    QImage m_background;
    QImage m_thumb;
    QPoint m_anchor;
    QPoint m_lastMouse;
    bool m_hover = false;
    QTimer m_repeat;
};

} // namespace rz
