#pragma once

#include "dialogs/controller_choice.h"
#include "ui/dialog_base.h"

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;

namespace rz {

class CSongDoc;

// "Filter events...": the event kinds the event list shows, and which
// controller. GUI thread.
class CFilterEventsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 452;

    // track: the first song track the list shows, or -1; mask and
    // controller: the list's filter now.
    CFilterEventsDlg(CSongDoc& song, int track, uint16_t mask, int32_t controller, QWidget* parent = nullptr);

    QCheckBox* kindBox(size_t index) const { return m_boxes[index]; }
    QComboBox* controllerCombo() const { return m_controller; }

    // The filter after OK.
    uint16_t mask() const { return m_mask; }
    int32_t controller() const { return m_controllerResult; }

    // A typed controller that the list holds is chosen, as when the box
    // loses the focus.
    void commitTypedController();
    void accept() override;

private:
    void enableController();

    std::array<QCheckBox*, kEventKindBoxes.size()> m_boxes{};
    QComboBox* m_controller = nullptr;
    bool m_typed = false;
    uint16_t m_mask;
    int32_t m_controllerResult;
};

} // namespace rz
