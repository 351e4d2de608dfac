#pragma once

#include "dialogs/time_edit_dialog.h"
#include "dialogs/time_range_models.h"

class QButtonGroup;
class QCheckBox;

namespace rz {

class CSongDoc;
class CTimePosCtrl;
class SpinEdit;

// "Copy Time...": what of the selected time range to copy, and how far back
// the window of events reaches.
class CCopyTimeDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 211;

    CCopyTimeDlg(CSongDoc& song, bool controllerViewOpen, QWidget* parent = nullptr);

    CopyTimeParams params() const { return m_model.params(); }
    void accept() override;

private:
    void changed() override;

    CSongDoc& m_song;
    CopyTimeModel m_model;
    QButtonGroup* m_mode = nullptr;
    QCheckBox* m_offsetOn = nullptr;
    SpinEdit* m_offset = nullptr;
};

// "Delete Time...": what goes with the selected time range.
class CDeleteTimeDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;

    explicit CDeleteTimeDlg(CSongDoc& song, QWidget* parent = nullptr);

    DeleteTimeParams params() const { return m_model.params(); }
    void accept() override;

private:
    void changed() override;

    CSongDoc& m_song;
    DeleteTimeModel m_model;
    QCheckBox* m_hole = nullptr;
    QCheckBox* m_cues = nullptr;
    QCheckBox* m_tempos = nullptr;
    QCheckBox* m_events = nullptr;
    QCheckBox* m_selectedOnly = nullptr;
    QCheckBox* m_measures = nullptr;
    QCheckBox* m_preserve = nullptr;
    QCheckBox* m_offsetOn = nullptr;
    SpinEdit* m_offset = nullptr;
    QCheckBox* m_shortenOn = nullptr;
    SpinEdit* m_shorten = nullptr;
};

// "Select Time...": two song positions; the caller selects between them.
class CSelectTimeDlg : public TimeEditDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 132;

    explicit CSelectTimeDlg(CSongDoc& song, QWidget* parent = nullptr);

    SelectTimeParams params() const;
    CTimePosCtrl* fromCtrl() const { return m_from; }
    CTimePosCtrl* throughCtrl() const { return m_through; }

private:
    void changed() override {}

    CSongDoc& m_song;
    CTimePosCtrl* m_from = nullptr;
    CTimePosCtrl* m_through = nullptr;
};

} // namespace rz
