#pragma once

#include "ui/dialog_base.h"

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;

namespace rz {

class CSequencer;
class IProfile;

// "Port Setup" of one MIDI input: whether, and to which output, everything
// it receives is echoed. OK stores it and sets it on the running input.
class CInPortSetupDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 462;

    // `outputs`: the names of the Ports dialog's numbered outputs.
    CInPortSetupDlg(const std::string& input, const std::vector<std::string>& outputs, CSequencer& engine,
                    IProfile& profile, QWidget* parent = nullptr);

    QCheckBox* echoBox() const { return m_echo; }
    QComboBox* portCombo() const { return m_port; }
    void accept() override;

private:
    std::string m_input;
    CSequencer& m_engine;
    IProfile& m_profile;
    std::string m_thru;
    QCheckBox* m_echo = nullptr;
    QComboBox* m_port = nullptr;
};

} // namespace rz
