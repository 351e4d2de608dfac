#pragma once

#include "core/edit_dialogs.h"
#include "ui/dialog_base.h"

class QLineEdit;
class QPushButton;

namespace rz {

class CSongDoc;
class CTimePosCtrl;

// "Expression text": the text and position of an expression mark. A text
// naming one of the dynamic marks is stored as its number, so reopening it
// shows the mark's letters. It changes nothing in the song. GUI thread.
class CExpressionTextDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 294;

    CExpressionTextDlg(CSongDoc& song, const ExpressionTextParams& start, QWidget* parent = nullptr);

    // The values after OK.
    ExpressionTextParams params() const;

    QLineEdit* textEdit() const { return m_text; }
    CTimePosCtrl* positionCtrl() const { return m_position; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;

private:
    ExpressionTextParams m_params;
    QLineEdit* m_text = nullptr;
    CTimePosCtrl* m_position = nullptr;
    QPushButton* m_ok = nullptr;
};

// The text an expression mark is stored as: the mark's number when the text
// spells one of the dynamic marks, else the text as it is.
std::string storedExpressionText(const std::string& typed);
// The text shown for a stored one: the letters of the mark its number names.
std::string shownExpressionText(const std::string& stored);

} // namespace rz
