#pragma once

#include <QLineEdit>

class QToolButton;

namespace rz {

// One field of the time controls: an edit with its own up and down arrows
// inside its right edge. The arrows and the Up and Down keys only ask for a
// step; whoever listens writes the text. GUI thread.
class SpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }
    // Takes the focus with the whole text selected, as after a step.
    void focusSelected();

signals:
    // up: later or larger.
    void stepRequested(bool up);
    // The focus left the edit (not for a popup menu over it).
    void focusLost();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

} // namespace rz
