#pragma once

#include "ui/dialog_base.h"

#include <QPalette>
#include <QTimer>

#include <functional>
#include <string_view>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;

namespace rz {

class IPrompt;
class SongRecorder;

struct WaveMakerServices {
    // Opened by the dialog, driven from its timer and closed when it ends.
    SongRecorder& recorder;
    // Asks for the other folder.
    IPrompt& prompt;
    // Opens a help topic; empty: Help does nothing.
    std::function<void(std::string_view topic)> help;
};

// "Riz Uzov Avevu": records the engine's audio input (or an input of a
// capture device) into one file per song while the songs play. Begin starts
// the recorder, which a 50 ms timer drains; the dialog ends with OK when the
// automation has recorded its last song, and Stop ends it at once. GUI thread.
class CWaveMakerDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 472;

    explicit CWaveMakerDlg(WaveMakerServices services, QWidget* parent = nullptr);
    ~CWaveMakerDlg() override;

    // Begin: starts recording; the dialog stays open.
    void accept() override;
    // Stop or Cancel: ends any recording, then closes.
    void reject() override;
    void done(int result) override;

private:
    QWidget* buildInput();
    QWidget* buildAutomation();
    QWidget* buildFormat();
    QWidget* buildDestination();
    QWidget* buildMeters();
    QWidget* buildButtons();
    void showSettings();
    void fillDevices();
    void fillInputs();
    void fillWmaLists();
    void applyEnabling();
    void chooseDevice(int item);
    void chooseInput(int item);
    void browse();
    void onTick();
    void showMeters();
    void recordingStarted();

    SongRecorder& m_recorder;
    IPrompt& m_prompt;
    QTimer m_timer;
    bool m_ticking = false;
    bool m_selectionAvailable = false; // "Current selection only" may be chosen

    QCheckBox* m_alternate = nullptr;
    QComboBox* m_device = nullptr;
    QComboBox* m_input = nullptr;
    QSlider* m_gain = nullptr;
    QButtonGroup* m_automation = nullptr;
    QCheckBox* m_playThroughCues = nullptr;
    QCheckBox* m_selectionOnly = nullptr;
    QSpinBox* m_fade = nullptr;
    QButtonGroup* m_format = nullptr;
    QComboBox* m_codec = nullptr;
    QComboBox* m_wmaFormat = nullptr;
    QButtonGroup* m_saveTo = nullptr;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QCheckBox* m_usePrefix = nullptr;
    QLineEdit* m_prefix = nullptr;
    QProgressBar* m_leftMeter = nullptr;
    QProgressBar* m_rightMeter = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_begin = nullptr;
    QPushButton* m_cancel = nullptr;
    QPalette m_meterPalette; // the default colours the left meter returns to
};

} // namespace rz
