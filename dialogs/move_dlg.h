#pragma once

#include "dialogs/move_models.h"
#include "dialogs/time_edit_dialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace rz {

class CSongDoc;
class CTimePosCtrl;
class SpinEdit;

// "Move...": how the selection moves in time or to other tracks.
class CMoveDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 270;

    // firstTick: the earliest tick of what moves.
    CMoveDlg(CSongDoc& song, int32_t firstTick, QWidget* parent = nullptr);

    MoveParams params() const { return m_model.params(); }
    CTimePosCtrl* targetCtrl() const { return m_target; }
    void accept() override;

private:
    void changed() override;

    CSongDoc& m_song;
    MoveModel m_model;
    QButtonGroup* m_method = nullptr;
    SpinEdit* m_offsetValue = nullptr;
    QComboBox* m_units = nullptr;
    CTimePosCtrl* m_target = nullptr;
    SpinEdit* m_percent = nullptr;
    QCheckBox* m_durations = nullptr;
    QComboBox* m_track = nullptr;
    QCheckBox* m_mixdown = nullptr;
    QCheckBox* m_cues = nullptr;
    QCheckBox* m_events = nullptr;
    QCheckBox* m_tempos = nullptr;
    QCheckBox* m_offsetOn = nullptr;
    SpinEdit* m_offset = nullptr;
    QCheckBox* m_selectedOnly = nullptr;
};

// "Insert measure numbers...": a number and/or section letter and how many
// measures to label from the song position on.
class CInsertMeasureNumbersDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 139;

    explicit CInsertMeasureNumbersDlg(CSongDoc& song, QWidget* parent = nullptr);

    // Valid after OK.
    MeasureNumbersParams params() const { return m_params; }
    QLineEdit* labelEdit() const { return m_label; }
    QLineEdit* countEdit() const { return m_count; }
    void accept() override;

private:
    void changed() override {}

    CSongDoc& m_song;
    MeasureNumbersModel m_model;
    MeasureNumbersParams m_params;
    QLineEdit* m_label = nullptr;
    QLineEdit* m_count = nullptr;
    QButtonGroup* m_method = nullptr;
};

} // namespace rz
