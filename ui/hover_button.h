#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace rz {

// A bitmap button that fires the moment it is pressed, and again on a
// double click, with a hand cursor while enabled. Its images are the
// normal, pressed, focused and disabled bitmaps; the last two may be 0
// (the normal one is shown instead). GUI thread.
class HoverButton : public QWidget {
    Q_OBJECT
public:
    HoverButton(uint32_t ctrlId, int normalId, int pressedId, QWidget* parent,
                int focusedId = 0, int disabledId = 0);

    uint32_t ctrlId() const { return m_ctrlId; }
    bool isDown() const { return m_pressed; }

signals:
    void command(uint32_t ctrlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const QImage& shownImage() const;
    void updateCursor();

    uint32_t m_ctrlId = 0;
    QImage m_normal;
    QImage m_pressedImage;
    QImage m_focused;
    QImage m_disabled;
    bool m_pressed = false;
    bool m_tracking = false;
};

} // namespace rz
