#pragma once

#include <QLineEdit>
#include <QPointer>

#include <cstdint>

namespace rz {

class KeyFilter;

// The single-line editor a list or grid view places over a cell. It only
// decides how the edit ends: Tab, Shift+Tab, Enter, Escape, Up and Down
// give the focus back to the parent, and exitKey() tells the owner which
// (after Tab the Right arrow 39, after Shift+Tab the Left arrow 37), so it
// commits, cancels or moves its cell cursor. While it has the focus the
// application's accelerators are off, so every key reaches it. GUI thread.
class InPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    // Virtual-key codes the owner compares exitKey() with.
    static constexpr uint32_t kVkReturn = 0x0D;
    static constexpr uint32_t kVkEscape = 0x1B;
    static constexpr uint32_t kVkLeft = 0x25;
    static constexpr uint32_t kVkUp = 0x26;
    static constexpr uint32_t kVkRight = 0x27;
    static constexpr uint32_t kVkDown = 0x28;

    // `keys` is the application's key filter; may be null in tests that
    // need no accelerators.
    explicit InPlaceEdit(KeyFilter* keys, QWidget* parent = nullptr);
    ~InPlaceEdit() override;

    // The virtual key of the last key pressed in the editor.
    uint32_t exitKey() const { return m_exitKey; }
    // Forgets the key that closed the last edit, before the next one opens.
    void resetExitKey() { m_exitKey = 0; }

signals:
    // The editor lost the focus; the owner reads text() and exitKey().
    void focusLost();

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool handleKeyPress(QKeyEvent* event);
    void setAcceleratorsOff(bool off);

    QPointer<KeyFilter> m_keys;
    bool m_acceleratorsOff = false;
    uint32_t m_exitKey = 0;
};

} // namespace rz
