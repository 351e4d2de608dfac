#include "engine/ui/apply_filter_dlg.h"

#include "core/prompt.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <climits>

namespace rz {

CApplyFilterDlg::CApplyFilterDlg(LadspaFilter& filter, std::filesystem::path workFolder,
                                 std::vector<std::filesystem::path> inputs,
                                 std::vector<int64_t> durationsMs, IPrompt& prompt, QWidget* parent)
    : QDialog(parent),
      m_run(filter, std::move(workFolder), std::move(inputs), std::move(durationsMs)),
      m_prompt(prompt)
{
    setWindowTitle("Applying filter...");
    while ((m_run.overallSize() >> m_shift) > INT_MAX)
        ++m_shift;
    m_current = new QProgressBar(this);
    m_overall = new QProgressBar(this);
    m_overall->setRange(0, barValue(m_run.overallSize()));
    m_overall->setValue(0);
    m_current->setRange(0, 1);
    m_current->setValue(0);
    m_cancel = new QPushButton("Cancel", this);
    connect(m_cancel, &QPushButton::clicked, this, &CApplyFilterDlg::reject);
    connect(this, &CApplyFilterDlg::clipBegan, this,
            [this](qint64 size) {
                m_current->setRange(0, barValue(size));
                m_current->setValue(0);
            },
            Qt::QueuedConnection);
    connect(this, &CApplyFilterDlg::progressed, this,
            [this](qint64 clipDone, qint64 overallDone) {
                m_current->setValue(std::min(barValue(clipDone), m_current->maximum()));
                m_overall->setValue(std::min(barValue(overallDone), m_overall->maximum()));
            },
            Qt::QueuedConnection);
    connect(this, &CApplyFilterDlg::ended, this, &CApplyFilterDlg::OnEnded, Qt::QueuedConnection);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Current clip", this));
    layout->addWidget(m_current);
    layout->addWidget(new QLabel("Overall progress", this));
    layout->addWidget(m_overall);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
}

CApplyFilterDlg::~CApplyFilterDlg()
{
    m_run.cancel();
    m_run.wait();
}

int CApplyFilterDlg::barValue(int64_t value) const
{
    return int(std::clamp<int64_t>(value >> m_shift, 0, INT_MAX));
}

int CApplyFilterDlg::exec()
{
    m_started = true;
    m_run.start(this);
    return QDialog::exec();
}

void CApplyFilterDlg::clipStarted(size_t, int64_t size)
{
    emit clipBegan(size);
}

void CApplyFilterDlg::progress(int64_t clipDone, int64_t overallDone)
{
    emit progressed(clipDone, overallDone);
}

void CApplyFilterDlg::finished(int32_t error)
{
    emit ended(error);
}

// The run has removed its outputs already unless it succeeded.
void CApplyFilterDlg::OnEnded(int error)
{
    m_run.wait();
    if (error != 0 && error != kFilterCancelled)
        m_prompt.message(filterErrorMessage(error), PromptIcon::Stop);
    if (error == 0)
        QDialog::accept();
    else
        QDialog::reject();
}

// Cancel stops the worker; the dialog ends when it reports back.
void CApplyFilterDlg::reject()
{
    if (!m_started) {
        QDialog::reject();
        return;
    }
    m_run.cancel();
    m_cancel->setEnabled(false);
}

} // namespace rz
