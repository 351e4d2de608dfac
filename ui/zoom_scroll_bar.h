#pragma once

#include "res/command_ids.h"

#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace rz {

class BitmapPushButton;

// What setScrollInfo() sets and scrollInfo() reports.
struct ScrollInfo {
    int32_t min = 0;
    int32_t max = 0;
    int32_t page = 0;
    int32_t pos = 0;
    int32_t trackPos = 0;
};

// The owner-drawn scroll bar of the editing views: range, page and
// position, two repeating arrow buttons and optionally two zoom buttons
// at its end. It tells its parent through scrolled(), emitted at once so
// the parent reads the new position; page steps only report, the parent
// moves the bar. GUI thread.
class ZoomScrollBar : public QWidget {
    Q_OBJECT
public:
    // Style bits.
    static constexpr uint32_t kVertical = 0x01;
    static constexpr uint32_t kZoomButtons = 0x40;
    // setScrollInfo() / scrollInfo() mask bits.
    static constexpr unsigned kRange = 1;
    static constexpr unsigned kPage = 2;
    static constexpr unsigned kPos = 4;
    static constexpr unsigned kTrackPos = 16;
    static constexpr unsigned kAll = kRange | kPage | kPos | kTrackPos;
    // scrolled() codes.
    static constexpr int kLineUp = 0;
    static constexpr int kLineDown = 1;
    static constexpr int kPageUp = 2;
    static constexpr int kPageDown = 3;
    static constexpr int kThumbPosition = 4;
    static constexpr int kThumbTrack = 5;
    // Codes the bar does not send itself but a view's command table does.
    static constexpr int kScrollTop = 6;
    static constexpr int kScrollBottom = 7;
    static constexpr int kEndScroll = 8;
    // Arrow and zoom button commands.
    static constexpr uint32_t kArrow1Id = 4096;
    static constexpr uint32_t kArrow2Id = 4097;
    static constexpr uint32_t kZoomOutTime = kIdZoomOutTime;
    static constexpr uint32_t kZoomInTime = kIdZoomInTime;
    static constexpr uint32_t kZoomOutScale = kIdZoomOutControllerScale;
    static constexpr uint32_t kZoomInScale = kIdZoomInControllerScale;

    static constexpr int kButtonLength = 17; // pixels along the bar
    static constexpr int kMinThumb = 8;      // pixels
    static constexpr int kRepeatMs = 75;
    static constexpr int kRepeatDelayTicks = 5;

    explicit ZoomScrollBar(uint32_t style, QWidget* parent = nullptr);

    bool isVertical() const { return m_style & kVertical; }

    // Sets the parts named in `mask`; false when the mask names none. Range
    // and page changes keep the position inside the new limits.
    bool setScrollInfo(const ScrollInfo& info, unsigned mask, bool redraw = true);
    ScrollInfo scrollInfo(unsigned mask = kAll) const;
    // Returns the previous position; ignored (returning the position) while
    // the thumb is dragged.
    int32_t setScrollPos(int32_t pos, bool redraw = true);
    int32_t scrollPos() const { return m_pos; }
    int32_t trackPos() const { return m_trackPos; }
    void scrollRange(int32_t& min, int32_t& max) const;
    // The largest position the page allows.
    int32_t scrollLimit() const;

    // 0 enables both arrows, 3 disables both; anything else only repaints.
    void enableScrollBar(unsigned flags);
    void enableZoom(bool zoomIn, bool zoomOut);

    // Null without style kZoomButtons. Their ids may be changed.
    BitmapPushButton* zoomInButton() const { return m_zoomIn; }
    BitmapPushButton* zoomOutButton() const { return m_zoomOut; }
    BitmapPushButton* arrowButton(int which) const { return which == 1 ? m_arrow1 : m_arrow2; }

    // The track between the buttons and the thumb in it, in widget pixels;
    // the thumb is empty when none is drawn.
    QRect trackRect() const;
    QRect thumbRect() const;
    bool isDragging() const { return m_dragging; }

    // One beat of the 75 ms page-repeat timer; public so tests count ticks.
    void tick();
    bool isRepeating() const { return m_repeat.isActive(); }

signals:
    void scrolled(int code);
    // Posted, so the receiver may rebuild the bar.
    void zoomCommand(uint32_t id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    BitmapPushButton* makeButton(int bitmapId, uint32_t command, int options);
    void layoutButtons();
    int trackLength() const;
    int64_t clampPos(int64_t pos) const;
    bool hasThumb() const;
    int along(QPoint p) const { return isVertical() ? p.y() : p.x(); }
    void arrowStep(int direction);
    void dragTo(QPoint mouse);
    int sideOfThumb(QPoint mouse) const;

    uint32_t m_style = 0;
    BitmapPushButton* m_arrow1 = nullptr;
    BitmapPushButton* m_arrow2 = nullptr;
    BitmapPushButton* m_zoomIn = nullptr;
    BitmapPushButton* m_zoomOut = nullptr;
    int32_t m_min = 0;
    int32_t m_max = 0;
    int32_t m_page = 10;
    int32_t m_pos = 0;
    int32_t m_trackPos = 0;
    int m_countdown = 0;
    QPoint m_anchor;
    QPoint m_lastMouse;
    bool m_pageBefore = false;
    bool m_pageAfter = false;
    bool m_dragging = false;
    QTimer m_repeat;
};

} // namespace rz
