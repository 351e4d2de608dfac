#pragma once

#include <QPushButton>

#include <cstdint>

namespace rz {

// A button that fires the moment it is pressed, and shows its command's
// prompt in the status line while the mouse is over it. The release, the
// right button and the context menu do nothing. GUI thread.
class StatusPromptButton : public QPushButton {
    Q_OBJECT
public:
    StatusPromptButton(uint32_t ctrlId, const QString& text, QWidget* parent);

    uint32_t ctrlId() const { return m_ctrlId; }

signals:
    void command(uint32_t ctrlId);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    uint32_t m_ctrlId = 0;
    bool m_hover = false;
};

} // namespace rz
