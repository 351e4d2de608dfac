#pragma once

#include "dialogs/time_edit_dialog.h"
#include "dialogs/time_range_models.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;

namespace rz {

class CSmpteEdit;
class CSongDoc;
class SpinEdit;

// "Insert Time...": measures, beats, ticks or milliseconds to insert at the
// song position; the milliseconds can be given as the time code to reach.
class CInsertTimeDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 213;

    explicit CInsertTimeDlg(CSongDoc& song, QWidget* parent = nullptr);

    InsertTimeParams params() const { return m_model.params(); }
    CSmpteEdit* smpteEdit() const { return m_smpte; }
    SpinEdit* countEdit() const { return m_count; }
    void accept() override;

private:
    QWidget* methodBox();
    void makeCountEdit();
    void makeMeterFields();
    void layOut(QWidget* methods);
    void changed() override;
    // The time code field shows the song position plus the count shown.
    void showSmpteOfCount();
    // How many, the beats and the amounts in their ranges, else the range message.
    bool fieldsInRange();

    CSongDoc& m_song;
    InsertTimeModel m_model;
    QButtonGroup* m_method = nullptr;
    SpinEdit* m_count = nullptr;
    SpinEdit* m_beats = nullptr;
    QComboBox* m_beatValue = nullptr;
    QComboBox* m_key = nullptr;
    QCheckBox* m_preserve = nullptr;
    QCheckBox* m_offsetOn = nullptr;
    SpinEdit* m_offset = nullptr;
    QCheckBox* m_stretchOn = nullptr;
    SpinEdit* m_stretch = nullptr;
    CSmpteEdit* m_smpte = nullptr;
};

} // namespace rz
