#pragma once

#include <QWidget>

#include <vector>

class QCheckBox;
class QLineEdit;
class QSlider;
class QSpinBox;

namespace rz {

class LadspaFilter;
struct LadspaControl;

// The one page of an effect's settings, built from its control ports'
// hints: a check box for a toggle, a spin box for an integer, a slider with
// an edit for a bounded value (on a log scale for a logarithmic one), an
// edit alone for an unbounded one. Every change reaches the filter at once.
// GUI thread.
class CFilterPropPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSliderSteps = 1000;

    CFilterPropPage(LadspaFilter& filter, QWidget* parent = nullptr);

    // Shows the filter's values again, after a preset was loaded.
    void refresh();

    // The controls of control `index` (into the plug-in's controls); null
    // where the port's kind has none.
    QCheckBox* checkBox(size_t index) const { return m_rows[index].check; }
    QSpinBox* spinBox(size_t index) const { return m_rows[index].spin; }
    QSlider* slider(size_t index) const { return m_rows[index].slider; }
    QLineEdit* edit(size_t index) const { return m_rows[index].edit; }

    // The slider position of a value and back.
    static int sliderPosition(const LadspaControl& control, float value);
    static float sliderValue(const LadspaControl& control, int position);

private:
    struct Row {
        QCheckBox* check = nullptr;
        QSpinBox* spin = nullptr;
        QSlider* slider = nullptr;
        QLineEdit* edit = nullptr;
    };

    QWidget* buildRow(size_t index);
    void showValue(size_t index);
    void set(size_t index, float value);

    LadspaFilter& m_filter;
    std::vector<Row> m_rows;
    bool m_showing = false; // while widgets are set from the filter
};

} // namespace rz
