#include "engine/ui/audition_dlg.h"

#include "core/prompt.h"
#include "engine/audio/filter_apply.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace rz {

CAuditionDlg::CAuditionDlg(LadspaFilter& filter, AudioPreviewSlot* slot, std::filesystem::path file,
                           int64_t lengthMs, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_run(filter, slot, std::move(file)), m_prompt(prompt)
{
    setWindowTitle("Audition");
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, int(std::clamp<int64_t>(lengthMs, 0, INT_MAX)));
    m_bar->setValue(0);
    m_stop = new QPushButton("Stop", this);
    connect(m_stop, &QPushButton::clicked, this, &CAuditionDlg::reject);
    m_timer = new QTimer(this);
    m_timer->setInterval(kPollMs);
    connect(m_timer, &QTimer::timeout, this, &CAuditionDlg::OnTimer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_stop, 0, Qt::AlignHCenter);
}

CAuditionDlg::~CAuditionDlg()
{
    m_run.stop();
    m_run.wait();
}

int CAuditionDlg::exec()
{
    m_run.start();
    m_started = true;
    m_timer->start();
    return QDialog::exec();
}

void CAuditionDlg::OnTimer()
{
    m_bar->setValue(int(std::min<int64_t>(m_run.playedMs(), m_bar->maximum())));
    if (!m_run.done())
        return;
    m_timer->stop();
    const int32_t error = m_run.wait();
    if (error != 0 && error != kFilterCancelled)
        m_prompt.message(filterErrorMessage(error), PromptIcon::Stop);
    if (error == 0)
        QDialog::accept();
    else
        QDialog::reject();
}

// Stop: the worker ends soon and the timer then ends the dialog.
void CAuditionDlg::reject()
{
    if (!m_started || m_run.done()) {
        m_timer->stop();
        m_run.wait();
        QDialog::reject();
        return;
    }
    m_run.stop();
    m_stop->setEnabled(false);
}

} // namespace rz
