#pragma once

#include "engine/sync_options_model.h"
#include "ui/dialog_base.h"

#include <functional>
#include <string_view>

class QButtonGroup;
class QComboBox;

namespace rz {

// "Synchronization": whether the sequencer sends or follows MIDI clock or
// time code, on which port, at which frame rate. OK changes the running
// engine at once and writes "SyncOptions".
class CSyncDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 278;

    CSyncDlg(CSequencer& engine, IProfile& profile, QWidget* parent = nullptr);

    const SyncOptionsModel& model() const { return m_model; }
    void accept() override;

private:
    QWidget* buildMode();
    QWidget* buildFormat();
    void fillPorts();

    CSequencer& m_engine;
    IProfile& m_profile;
    SyncOptionsModel m_model;
    QButtonGroup* m_mode = nullptr;
    QButtonGroup* m_protocol = nullptr;
    QButtonGroup* m_rate = nullptr;
    QComboBox* m_port = nullptr;
};

} // namespace rz
