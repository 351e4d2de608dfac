#pragma once

#include "engine/audio/wave_mixer.h"
#include "ui/dialog_base.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <thread>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace rz {

class CSongDoc;
class IProfile;
class IPrompt;
class ISongFilesHost;

// What the Wave Mixer needs of the program.
struct WaveMixerServices {
    IProfile& profile;
    IPrompt& prompt;
    ISongFilesHost& files;                       // the work folder's unique names
    uint32_t sampleRate;                         // the engine's, Hz
    std::filesystem::path documents;             // where "path" and the browser start
    std::function<void(std::string_view topic)> help = nullptr;
    WaveMixer::WriterFactory makeWriter = nullptr; // null: the program's writers
};

// "Wave Mixer": mixes the song's chosen clips into one 16-bit stereo file
// or a new waveform track's clip. The mix runs on a worker thread over
// copies of the clips made on this thread, so the worker never touches the
// song; progress comes back as queued signals while everything but Cancel
// is greyed. Ends with OK once the file is written; Cancel, a refusal or a
// failed write end it as cancelled with no file left. GUI thread.
class CWaveMixerDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 484;
    static constexpr int kProgressRange = 10000;

    // Loads the "WaveMixer" values into the controls.
    CWaveMixerDlg(WaveMixerServices services, const CSongDoc& song, QWidget* parent = nullptr);
    ~CWaveMixerDlg() override;

    // Chooses the clips and the span and tells what it left out; false when
    // there is nothing to mix, after saying so.
    bool OnInitDialog();
    // Runs OnInitDialog first; Rejected without showing when it refuses.
    int exec() override;
    // OK: writes the settings and starts the mix.
    void accept() override;
    // Cancel: before the mix ends the dialog, during it stops the worker.
    void reject() override;

    // After OK: where the mix went and where it starts in the song.
    const std::optional<WaveMix>& mixResult() const { return m_result; }
    bool mixing() const { return m_worker.joinable(); }

    QRadioButton* wavButton() const { return m_wav; }
    QRadioButton* wmaButton() const { return m_wma; }
    QRadioButton* newTrackButton() const { return m_newTrack; }
    QRadioButton* fileButton() const { return m_file; }
    QComboBox* codecList() const { return m_codec; }
    QComboBox* formatList() const { return m_wmaFormat; }
    QLineEdit* pathEdit() const { return m_path; }
    QPushButton* browseButton() const { return m_browse; }
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    // From the worker, delivered queued on this thread.
    void mixProgressed(int permyriad);
    void mixEnded(bool written, QString reason);

private:
    QWidget* buildFormat();
    QWidget* buildDestination();
    void OnOK();
    void OnBrowse();
    void OnSaveToChanged();
    void OnFormatChanged();
    void SelectWmaFormat();
    void OnMixEnded(bool written, const QString& reason);
    // The format and destination the controls show.
    void showChoice();
    void readControls();
    void setControlsEnabled(bool enabled);

    WaveMixerServices m_services;
    const CSongDoc& m_song;
    WaveMixer m_mixer;
    WaveMixerSettings m_settings;
    bool m_initialised = false;
    std::optional<WaveMixer::Output> m_output; // the file being written
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::optional<WaveMix> m_result;

    QButtonGroup* m_formatGroup = nullptr;
    QButtonGroup* m_saveToGroup = nullptr;
    QRadioButton* m_wav = nullptr;
    QRadioButton* m_wma = nullptr;
    QRadioButton* m_newTrack = nullptr;
    QRadioButton* m_file = nullptr;
    QComboBox* m_codec = nullptr;
    QComboBox* m_wmaFormat = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
};

} // namespace rz
