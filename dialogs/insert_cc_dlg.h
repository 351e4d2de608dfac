#pragma once

#include "core/edit_dialogs.h"
#include "dialogs/transform_dlg.h"

#include <utility>

class QComboBox;

namespace rz {

class CTimePosCtrl;

// "Insert series of controller values": a controller (or pitch or
// pressure), a time range and the values from its start to its end.
class CInsertCCDlg : public TransformDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 216;
    explicit CInsertCCDlg(CSongDoc& song, QWidget* parent = nullptr);

    // Valid after OK.
    ControllerSeriesParams params() const { return m_params; }
    QComboBox* controllerBox() const { return m_controller; }
    CTimePosCtrl* timeCtrl() const { return m_time; }
    CTimePosCtrl* throughCtrl() const { return m_through; }
    SpinEdit* firstValueEdit() const { return m_value1; }
    SpinEdit* lastValueEdit() const { return m_value2; }
    QCheckBox* returnBox() const { return m_return; }
    void accept() override;

private:
    void changed() override;
    // Holds both values in the kind's range and shows them anew.
    void clampValues();
    int32_t kind() const;

    ControllerSeriesParams m_params;
    std::pair<int32_t, int32_t> m_range{0, 127};
    QComboBox* m_controller = nullptr;
    CTimePosCtrl* m_time = nullptr;
    CTimePosCtrl* m_through = nullptr;
    SpinEdit* m_value1 = nullptr;
    SpinEdit* m_value2 = nullptr;
    QCheckBox* m_return = nullptr;
};

} // namespace rz
