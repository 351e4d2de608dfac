#pragma once

#include "ui/dialog_base.h"

#include <functional>

class QProgressBar;
class QTimer;

namespace rz {

// "Importing...": the progress of a conversion that runs in steps on the
// GUI thread. Each 100 ms tick runs one step; the dialog ends with OK once
// a step reports the end, with Cancel when the user cancels.
class CImportingDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 506;
    static constexpr int kRange = 1000;
    static constexpr int kTickMs = 100;

    // `step` works on for a while: nonzero, with the fraction done (0..1),
    // while the conversion runs; 0 once it has ended.
    using Step = std::function<int(double* progress)>;
    explicit CImportingDlg(Step step, QWidget* parent = nullptr);

    QProgressBar* progressBar() const { return m_bar; }
    // One tick of the timer.
    void tick();

    void reject() override;

private:
    Step m_step;
    QProgressBar* m_bar = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace rz
