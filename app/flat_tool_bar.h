#pragma once

#include "res/command_ids.h"
#include "ui/command_target.h"

#include <QWidget>

#include <cstdint>
#include <span>
#include <vector>

class QAction;
class QLineEdit;

namespace rz {

class CommandRouter;
class FlatComboBoxEx;

// One item of the main tool bar.
struct ToolBarItemData {
    enum class Kind : uint8_t { Button, Separator, Placeholder };
    Kind kind = Kind::Button;
    CommandId id = 0;
    int image = -1; // index into the tool images; buttons only
};

// The main window's tool bar: staff tools, file and edit commands, the
// duration field and the grid box, painted flat over the frame.
// Each button has its own action, whose enabled, checked and visible state
// the transport panel's rules set; a click runs the command through the
// router. Hovering shows the command's prompt. GUI thread.
class FlatToolBar : public QWidget {
    Q_OBJECT
public:
    static constexpr uint32_t kCtrlId = 61466;
    static constexpr CommandId kDurationFieldId = kIdNoteDuration;
    static constexpr CommandId kGridBoxId = kIdGridResolution;
    static constexpr CommandId kPerformanceModeId = kIdPerformanceMode;
    static constexpr CommandId kEditModeId = kIdEditMode;
    // Pixels.
    static constexpr int kButtonWidth = 23;
    static constexpr int kButtonHeight = 22;
    static constexpr int kSeparatorWidth = 8;
    static constexpr int kPlaceholderWidth = 40;
    static constexpr int kGridBoxExtraWidth = 100;

    // The 45 items in order.
    static std::span<const ToolBarItemData> itemTable();
    // The image of the first button of `id`, or -1.
    static int imageOf(CommandId id);

    FlatToolBar(CommandRouter& router, QWidget* parent);

    int itemCount() const { return int(m_items.size()); }
    const ToolBarItemData& item(int index) const { return m_items[size_t(index)].data; }
    // The action of a button's command; null for other ids.
    QAction* action(CommandId id) const;
    bool isItemHidden(int index) const;
    // The item's place in bar pixels; empty while hidden.
    QRect itemRect(int index) const;
    // The image the button shows now.
    int shownImage(int index) const;
    // The index of the visible item under `point`, or -1.
    int itemAt(QPoint point) const;

    // The performance look: the Performance mode button shows image 34 and
    // Edit mode is disabled. Nothing happens when the state is unchanged.
    void setPressed(bool on);
    bool isPressed() const { return m_pressed; }

    QLineEdit* durationField() const { return m_duration; }
    FlatComboBoxEx* gridBox() const { return m_grid; }

    QSize sizeHint() const override;

signals:
    // A double click on Performance mode toggled the performance look.
    void performanceLookToggled(bool pressed);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Item {
        ToolBarItemData data;
        QAction* action = nullptr; // buttons only
        QRect rect;
    };

    void layoutItems();
    void paintButton(QPainter& painter, int index) const;
    void hoverItem(int index);
    void showPrompt(uint32_t id) const;

    CommandRouter& m_router;
    std::vector<Item> m_items;
    QLineEdit* m_duration = nullptr;
    FlatComboBoxEx* m_grid = nullptr;
    int m_hot = -1;     // item under the mouse
    int m_pressing = -1; // item the left button went down on
    bool m_pressed = false;
};

} // namespace rz
