#pragma once

#include "engine/audio/filter_apply.h"

#include <QDialog>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

class QProgressBar;
class QPushButton;

namespace rz {

class IPrompt;
class LadspaFilter;

// "Applying filter...": renders each clip's wave file through the effect
// into a new wave file of the work folder on a worker thread, with the
// current clip's and the overall progress. OK when every clip was rendered;
// Cancel, Escape or a failure end it with no output left. GUI thread.
class CApplyFilterDlg : public QDialog, private IFilterApplyListener {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 346;
    static constexpr int kCurrentBarId = 1191;
    static constexpr int kOverallBarId = 1192;

    // `durationsMs`: each file's length, for a file that cannot be inspected.
    CApplyFilterDlg(LadspaFilter& filter, std::filesystem::path workFolder,
                    std::vector<std::filesystem::path> inputs, std::vector<int64_t> durationsMs,
                    IPrompt& prompt, QWidget* parent = nullptr);
    ~CApplyFilterDlg() override;

    // After OK: one output per input, in input order.
    const std::vector<std::filesystem::path>& outputs() const { return m_run.outputs(); }
    int32_t error() const { return m_run.error(); }

    QProgressBar* currentBar() const { return m_current; }
    QProgressBar* overallBar() const { return m_overall; }
    QPushButton* cancelButton() const { return m_cancel; }

    int exec() override;
    void reject() override;

signals:
    void clipBegan(qint64 size);
    void progressed(qint64 clipDone, qint64 overallDone);
    void ended(int error);

private:
    // The worker's notices, passed on as queued signals.
    void clipStarted(size_t clip, int64_t size) override;
    void progress(int64_t clipDone, int64_t overallDone) override;
    void finished(int32_t error) override;

    void OnEnded(int error);
    int barValue(int64_t value) const;

    FilterApplyRun m_run;
    IPrompt& m_prompt;
    int m_shift = 0; // progress values shifted right to fit the bars
    QProgressBar* m_current = nullptr;
    QProgressBar* m_overall = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_started = false;
};

} // namespace rz
