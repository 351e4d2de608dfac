#pragma once

#include <QComboBox>

#include <optional>

namespace rz {

// The grid-resolution box: nine note images with their grid sizes in ticks
// of 240 per quarter note (quarter, quarter triplet, eighth, ..., sixty-
// fourth). GUI thread.
class FlatComboBoxEx : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kGridValues[] = {240, 160, 120, 80, 60, 40, 30, 20, 15};

    explicit FlatComboBoxEx(QWidget* parent = nullptr);

    // Selects the item of `value`, or no item when no item has it.
    void selectByValue(int value);
    // The selected item's value; nothing without a selection.
    std::optional<int> selectedValue() const;
};

} // namespace rz
