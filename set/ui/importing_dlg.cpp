#include "set/ui/importing_dlg.h"

#include <QDialogButtonBox>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

CImportingDlg::CImportingDlg(Step step, QWidget* parent) : DialogBase(parent), m_step(std::move(step))
{
    setWindowTitle("Importing...");
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kRange);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    auto* buttons = buttonRow(QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
    m_timer = new QTimer(this);
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &CImportingDlg::tick);
    m_timer->start();
}

void CImportingDlg::tick()
{
    if (!m_timer->isActive())
        return;
    double progress = 0.0;
    if (m_step(&progress) != 0) {
        m_bar->setValue(int(std::clamp(progress, 0.0, 1.0) * kRange));
        return;
    }
    m_timer->stop();
    accept();
}

void CImportingDlg::reject()
{
    m_timer->stop();
    QDialog::reject();
}

} // namespace rz
