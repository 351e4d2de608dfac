#pragma once

#include "ui/bitmap_catalog.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace rz {

// An owner-drawn button showing one frame of a four-frame strip (normal,
// pressed, hover, disabled). It fires on release inside, or with the
// repeat option at the press and then every 75 ms after five ticks, or with
// the latch option once at the press. Hovering shows its command's prompt;
// when the last hovered button is left the idle prompt returns. GUI thread.
class BitmapPushButton : public QWidget {
    Q_OBJECT
public:
    // Option bits.
    static constexpr int kRepeat = 1;
    static constexpr int kTransparent = 2; // drawn over the parent, magenta keyed out
    static constexpr int kLatch = 4;

    // The system-command message number; a command whose low word is this
    // sends its high word as a system command instead.
    static constexpr uint32_t kSystemCommandWord = 274;
    static constexpr int kRepeatMs = 75;
    static constexpr int kRepeatDelayTicks = 5;

    BitmapPushButton(int bitmapId, QPoint topLeft, QWidget* parent, uint32_t command,
                     int options = 0);
    ~BitmapPushButton() override;

    // The latched look; repaints when it changes.
    void setPressed(bool pressed);
    bool isPressed() const { return m_latched; }

    // The command word is also the control id.
    void setDlgCtrlId(uint32_t command) { m_command = command; }
    uint32_t dlgCtrlId() const { return m_command; }

    // Replaces the command and the strip; the size stays as created.
    void setBitmap(int bitmapId, uint32_t command);
    int bitmapId() const { return m_bitmapId; }

    // The frame the next paint shows.
    ButtonFrame currentFrame() const;

    // One beat of the 75 ms repeat timer; public so tests can count ticks.
    void tick();
    bool isRepeating() const { return m_repeat.isActive(); }

    // How many buttons of this class the mouse is over, program-wide.
    static int hoverCount();

signals:
    void command(uint32_t command);
    void systemCommand(uint16_t code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void notifyParent();
    void enterHover();
    void leaveHover();
    void updateCursor();

    bool m_mouseDown = false;
    bool m_latched = false;
    bool m_hover = false;
    bool m_downInside = false;
    uint32_t m_command = 0;
    int m_options = 0;
    int m_bitmapId = 0;
    QImage m_strip;
    int m_countdown = 0;
    QTimer m_repeat;
};

} // namespace rz
