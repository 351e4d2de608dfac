#pragma once

#include "engine/audio/filter_audition.h"

#include <QDialog>

#include <cstdint>
#include <filesystem>

class QProgressBar;
class QPushButton;
class QTimer;

namespace rz {

class IPrompt;
class LadspaFilter;

// "Audition": plays one wave file through the effect on the running audio
// engine, in any transport state; the bar shows the milliseconds played.
// Ends with OK when the file played to its end; Stop ends it at once,
// without a message. GUI thread.
class CAuditionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 347;
    static constexpr int kStopId = 2;
    static constexpr int kProgressId = 1191;
    static constexpr int kPollMs = 200;

    // `slot`: the render's preview slot, null when no audio engine runs;
    // `lengthMs` sets the bar's range.
    CAuditionDlg(LadspaFilter& filter, AudioPreviewSlot* slot, std::filesystem::path file,
                 int64_t lengthMs, IPrompt& prompt, QWidget* parent = nullptr);
    ~CAuditionDlg() override;

    QProgressBar* bar() const { return m_bar; }
    QPushButton* stopButton() const { return m_stop; }
    int32_t error() const { return m_run.error(); }

    int exec() override;
    void reject() override;

private:
    void OnTimer();

    AuditionRun m_run;
    IPrompt& m_prompt;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_stop = nullptr;
    QTimer* m_timer = nullptr;
    bool m_started = false;
};

} // namespace rz
