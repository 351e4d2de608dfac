#pragma once

#include "engine/synthdb/soundfont_manager.h"
#include "ui/dialog_base.h"

#include <filesystem>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace rz {

class IPrompt;
class IProfile;
class SoundFontBanks;

// "Load SoundFont": what to load of one file, and where.
class CLoadSoundFontDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 380;

    explicit CLoadSoundFontDlg(const LoadSoundFontChoice& start, QWidget* parent = nullptr);

    LoadSoundFontChoice choice() const;
    void OnModeChange();

    QLineEdit* fileEdit() const { return m_file; }
    QRadioButton* entireFileRadio() const { return m_entire; }
    QRadioButton* selectedPatchRadio() const { return m_selected; }
    QSpinBox* sourceBankSpin() const { return m_sourceBank; }
    QSpinBox* sourcePatchSpin() const { return m_sourcePatch; }
    QSpinBox* targetBankSpin() const { return m_targetBank; }
    QSpinBox* targetPatchSpin() const { return m_targetPatch; }

private:
    LoadSoundFontChoice m_start;
    QLineEdit* m_file = nullptr;
    QRadioButton* m_entire = nullptr;
    QRadioButton* m_selected = nullptr;
    QSpinBox* m_sourceBank = nullptr;
    QSpinBox* m_sourcePatch = nullptr;
    QSpinBox* m_targetBank = nullptr;
    QSpinBox* m_targetPatch = nullptr;
};

// "SoundFont Bank Manager": the built-in synthesizer's banks, loaded,
// deleted and exported. GUI thread; loads run on a worker thread while the
// dialog shows it is busy.
class CSoundFontDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 372;
    // Asks "Load SoundFont" for one file; nothing on Cancel.
    using LoadAsker = std::function<std::optional<LoadSoundFontChoice>(const LoadSoundFontChoice&)>;

    // `banks`: null when the built-in synthesizer is not available.
    // `synthsFolder`: where synth data files go; empty: "Synths" in the
    // program's data folder.
    CSoundFontDlg(SoundFontBanks* banks, IPrompt& prompt, IProfile& profile,
                  std::filesystem::path documentsFolder, std::filesystem::path synthsFolder,
                  QWidget* parent = nullptr);

    // Fills the device combo and the tree; without a device shows the
    // message and answers false: the dialog then does not open.
    bool OnInitDialog();
    int exec() override;

    void setLoadAsker(LoadAsker asker) { m_askLoad = std::move(asker); }

    void RefreshBanks();
    void OnEmulationChange();
    void OnLoad();
    void OnDelete();
    void OnExportSynthData();

    QComboBox* deviceCombo() const { return m_device; }
    QComboBox* emulationCombo() const { return m_emulation; }
    QTreeWidget* tree() const { return m_tree; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Runs `load` on a worker thread, keeping the GUI alive meanwhile.
    int runBusy(const std::function<int()>& load);

    SoundFontBanks* m_banks;
    IPrompt& m_prompt;
    IProfile& m_profile;
    std::filesystem::path m_documentsFolder;
    std::filesystem::path m_synthsFolder;
    LoadAsker m_askLoad;
    QComboBox* m_device = nullptr;
    QComboBox* m_emulation = nullptr;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_export = nullptr;
    bool m_filling = false;
};

} // namespace rz
