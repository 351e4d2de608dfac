#pragma once

#include "ui/dialog_base.h"

#include <map>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace rz {

class IPrompt;

// "Edit synth...": a synthesizer's name, bank-select mode, patch numbering
// and what a MIDI reset sends, each control one "Technology" bit. OK refuses
// a reset message with a bad byte, naming and selecting it. GUI thread.
class CEditSynthDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 181;
    static constexpr int kMaxNameLength = 48;

    CEditSynthDlg(const std::string& name, int technology, const std::string& resetMessage, IPrompt& prompt,
                  QWidget* parent = nullptr);

    // After OK.
    const std::string& name() const { return m_name; }
    int technology() const { return m_technology; }
    const std::string& resetMessage() const { return m_resetMessage; }

    QLineEdit* nameEdit() const { return m_nameEdit; }
    QComboBox* bankSelectCombo() const { return m_bankSelect; }
    // The box of one "Technology" bit; null for the bank-select bit.
    QCheckBox* checkBox(int technologyBit) const;
    QPlainTextEdit* resetEdit() const { return m_resetEdit; }

    void accept() override;

private:
    void buildControls(int technology);
    void upperCaseReset();
    int technologyFromControls() const;

    IPrompt& m_prompt;
    std::string m_name;
    int m_technology = 0;
    std::string m_resetMessage;
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_bankSelect = nullptr;
    std::map<int, QCheckBox*> m_boxes; // by bit
    QPlainTextEdit* m_resetEdit = nullptr;
};

} // namespace rz
