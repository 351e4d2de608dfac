#pragma once

#include "dialogs/time_edit_dialog.h"
#include "dialogs/time_range_models.h"

class QButtonGroup;
class QCheckBox;

namespace rz {

class CSongDoc;
class CTimePosCtrl;
class SpinEdit;
struct AppClipboard;

// "Paste Time...": copies of a copied time range, from a song position on.
class CPasteTimeDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 212;

    CPasteTimeDlg(CSongDoc& song, const AppClipboard& clipboard, int32_t position, QWidget* parent = nullptr);

    PasteTimeParams params() const { return m_model.params(); }
    CTimePosCtrl* firstCopyCtrl() const { return m_first; }
    void accept() override;

private:
    void changed() override;

    CSongDoc& m_song;
    PasteTimeModel m_model;
    SpinEdit* m_copies = nullptr;
    QButtonGroup* m_method = nullptr;
    QCheckBox* m_cues = nullptr;
    QCheckBox* m_tempos = nullptr;
    QCheckBox* m_events = nullptr;
    QCheckBox* m_measures = nullptr;
    QCheckBox* m_selectedOnly = nullptr;
    QCheckBox* m_preserve = nullptr;
    QCheckBox* m_offsetOn = nullptr;
    SpinEdit* m_offset = nullptr;
    QCheckBox* m_stretchOn = nullptr;
    SpinEdit* m_stretch = nullptr;
    CTimePosCtrl* m_first = nullptr;
};

// "Paste Events...": copies of copied events, to which tracks and where.
class CPasteEventsDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 135;

    CPasteEventsDlg(CSongDoc& song, const AppClipboard& clipboard, int32_t position, QWidget* parent = nullptr);

    PasteEventsParams params() const { return m_model.params(); }
    CTimePosCtrl* firstCopyCtrl() const { return m_first; }
    CTimePosCtrl* secondCopyCtrl() const { return m_second; }
    void accept() override;

private:
    void changed() override;

    CSongDoc& m_song;
    PasteEventsModel m_model;
    SpinEdit* m_copies = nullptr;
    QButtonGroup* m_target = nullptr;
    QCheckBox* m_onlyNotes = nullptr;
    CTimePosCtrl* m_first = nullptr;
    CTimePosCtrl* m_second = nullptr;
};

} // namespace rz
