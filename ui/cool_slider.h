#pragma once

#include "core/color.h"

#include <QRect>
#include <QWidget>

#include <cstdint>

namespace rz {

// The coloured controller slider: a MIDI value 0..127 drawn as a bar from
// green through yellow to red with a grip the user drags. A value outside
// 0..127 means "unset": a grey bar and no grip. Vertical when the widget
// is at most as wide as high. GUI thread.
class CoolSlider : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxValue = 127;

    CoolSlider(QWidget* parent, int ctrlId, int32_t value = 100);

    int ctrlId() const { return m_ctrlId; }
    // Stores the value as given, without notifying; the parent's value
    // area (setValueArea) is repainted too.
    void setPos(int32_t value);
    int32_t pos() const { return m_value; }
    // The value minus the one before the last drag step.
    int32_t lastChange() const { return m_lastChange; }

    // Where the parent shows this slider's value, in parent pixels.
    void setValueArea(const QRect& area) { m_valueArea = area; }

    bool isHorizontal() const { return m_horizontal; }
    int travel() const { return m_travel; }
    QRect thumbRect() const { return m_thumb; }
    bool isDragging() const { return m_dragging; }

    static Color bodyColor(int32_t value);

signals:
    void dragStep(); // after every drag step
    void dragEnd();  // the mouse was released after a drag

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void layoutThumb();
    void dragTo(QPoint mouse);
    void paintGrip(QPainter& painter) const;

    int m_ctrlId = 0;
    QRect m_thumb;
    int32_t m_value = 100;
    int32_t m_lastChange = 0;
    int m_thumbOffset = 0; // pixels before the travel starts
    int m_travel = 0;      // pixels; below 1 the value cannot be dragged
    int m_thumbSize = 0;
    bool m_dragging = false;
    bool m_horizontal = false;
    QRect m_valueArea;
};

} // namespace rz
