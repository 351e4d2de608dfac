#pragma once

#include "engine/device_setup.h"
#include "engine/ports_model.h"
#include "ui/dialog_base.h"

#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace rz {

class CoolSlider;
class COutPort;
class CSongDoc;
class CSequencer;

// "Device Setup" for one numbered output: the synthesizer it plays, its
// drum channels, and the receiving device's global settings, sent live as
// universal messages. Only the record depends on OK; the device and the
// port's cache change at once. GUI thread.
class CPortSetupDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 364;
    static constexpr int kFirstFaderId = 1024;
    static constexpr int kInsertCheckId = 1300;
    static constexpr int kSynthDatabaseId = 1295;

    // `synths`: the synths table's rows; `song`: the current song, or null.
    CPortSetupDlg(int index, NumberedPort record, CSequencer& engine,
                  std::vector<SynthChoice> synths, CSongDoc* song, QWidget* parent = nullptr);

    // After OK: the synth chosen and the drum channels checked.
    const NumberedPort& record() const { return m_record; }
    bool portPresent() const { return m_model.present(); }
    DeviceSetupModel& model() { return m_model; }

    // Opens the synthesizer patch-name editor and answers the synths table
    // afterwards; without one the button stays disabled.
    void setSynthEditor(std::function<std::vector<SynthChoice>()> editor);

    QComboBox* synthCombo() const { return m_synthCombo; }
    QCheckBox* drumCheck(int channel) const { return m_drums[size_t(channel)]; }
    CoolSlider* fader(DeviceFader which) const { return m_faders[size_t(which)]; }
    QLineEdit* faderEdit(DeviceFader which) const { return m_faderEdits[size_t(which)]; }
    QComboBox* reverbCombo() const { return m_reverb; }
    QComboBox* chorusCombo() const { return m_chorus; }
    QLineEdit* fineEdit() const { return m_fineEdit; }
    QLineEdit* coarseEdit() const { return m_coarseEdit; }
    QToolButton* spinButton(bool coarse, bool up) const;
    QCheckBox* insertCheck() const { return m_insert; }
    QPushButton* synthDatabaseButton() const { return m_synthDatabase; }

    // A fader's notification: `notify` after a drag step or release (sends),
    // none to write the value text only.
    void OnFaderNotify(DeviceFader which, bool notify);

    void accept() override;

private:
    void buildControls();
    QLayout* buildDeviceGroup();
    void FillSynthCombo(const std::vector<SynthChoice>& synths);
    void showInitialValues();
    void faderEdited(DeviceFader which);
    void reverbChosen(int item);
    void chorusChosen(int item);
    void tuningStep(bool coarse, bool up);
    void tuningTyped(bool coarse);
    void insertIntoSong();
    int selectedType(const QComboBox* combo) const;

    int m_index;
    NumberedPort m_record;
    std::shared_ptr<COutPort> m_port; // kept for the dialog's life; null when missing
    DeviceSetupModel m_model;
    CSongDoc* m_song;
    std::function<std::vector<SynthChoice>()> m_synthEditor;

    QComboBox* m_synthCombo = nullptr;
    std::array<QCheckBox*, 16> m_drums{};
    std::array<CoolSlider*, kDeviceFaderCount> m_faders{};
    std::array<QLineEdit*, kDeviceFaderCount> m_faderEdits{};
    QComboBox* m_reverb = nullptr;
    QComboBox* m_chorus = nullptr;
    QLineEdit* m_fineEdit = nullptr;
    QLineEdit* m_coarseEdit = nullptr;
    std::array<QToolButton*, 4> m_spins{}; // fine up, fine down, coarse up, coarse down
    QCheckBox* m_insert = nullptr;
    QPushButton* m_synthDatabase = nullptr;
};

} // namespace rz
