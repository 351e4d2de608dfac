#pragma once

#include "engine/audio_options_model.h"
#include "ui/dialog_base.h"

#include <functional>
#include <string_view>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;

namespace rz {

// "Waveform audio": the audio engine, its devices, channels, rate and block
// length, over an AudioOptionsModel; OK writes "AudioOptions". The caller
// keeps the engines closed while it runs (editAudioOptions).
class CAudioOptionsDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 475;

    CAudioOptionsDlg(IProfile& profile, IAudioDeviceProbe& probe, QWidget* parent = nullptr);

    AudioOptionsModel& model() { return m_model; }
    void accept() override;

private:
    void build();
    QWidget* buildOutput();
    QWidget* buildInput();
    QWidget* buildTiming();
    void connectControls();
    // Shows the model: values, lists and which controls take input.
    void refresh();
    void fillDevices(QComboBox* combo, bool capture);
    void fillChannels(QComboBox* combo, bool input);
    void fillBlockSizes();
    void fillRates();

    AudioOptionsModel m_model;
    QCheckBox* m_enable = nullptr;
    QButtonGroup* m_outputKind = nullptr;
    QButtonGroup* m_inputKind = nullptr;
    QComboBox* m_outputDevice = nullptr;
    QComboBox* m_inputDevice = nullptr;
    QComboBox* m_driver = nullptr;
    QComboBox* m_outputChannels = nullptr;
    QComboBox* m_inputChannels = nullptr;
    QCheckBox* m_passthrough = nullptr;
    QComboBox* m_blockSize = nullptr;
    QComboBox* m_rate = nullptr;
    QPushButton* m_controlPanel = nullptr;
};

} // namespace rz
