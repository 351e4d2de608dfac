#pragma once

#include "core/edit_dialogs.h"
#include "ui/dialog_base.h"

class QRadioButton;

namespace rz {

class CSongDoc;
class CTimePosCtrl;

// "Wedge properties": where a hairpin begins and ends and which way it
// opens. The end stays after the begin: moving one past the other pushes
// the other a quarter note away. It changes nothing in the song. GUI thread.
class CWedgeDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 296;

    CWedgeDlg(CSongDoc& song, const WedgeParams& start, QWidget* parent = nullptr);

    // The values after OK; direction -1 when neither way is chosen.
    WedgeParams params() const;

    CTimePosCtrl* beginCtrl() const { return m_begin; }
    CTimePosCtrl* endCtrl() const { return m_end; }
    QRadioButton* crescendoButton() const { return m_crescendo; }
    QRadioButton* decrescendoButton() const { return m_decrescendo; }

private:
    void endChanged();
    void beginChanged();

    WedgeParams m_start;
    int32_t m_quarter = 120; // ticks
    CTimePosCtrl* m_begin = nullptr;
    CTimePosCtrl* m_end = nullptr;
    QRadioButton* m_crescendo = nullptr;
    QRadioButton* m_decrescendo = nullptr;
};

} // namespace rz
