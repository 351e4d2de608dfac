#include "engine/ui/in_port_setup_dlg.h"

#include "engine/input_thru.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace rz {

CInPortSetupDlg::CInPortSetupDlg(const std::string& input, const std::vector<std::string>& outputs,
                                 CSequencer& engine, IProfile& profile, QWidget* parent)
    : DialogBase(parent), m_input(input), m_engine(engine), m_profile(profile), m_thru(readInputThru(profile, input))
{
    setWindowTitle(QString::fromStdString(input));
    m_echo = new QCheckBox("Echo all input to port", this);
    m_echo->setObjectName("echo1344");
    m_echo->setChecked(!m_thru.empty());
    m_port = new QComboBox(this);
    m_port->setObjectName("port1345");
    const std::vector<std::string> choices = thruChoices(outputs);
    for (const std::string& name : choices)
        m_port->addItem(QString::fromStdString(name));
    m_port->setCurrentIndex(findThruChoice(choices, m_thru));
    m_port->setEnabled(m_echo->isChecked());
    connect(m_echo, &QCheckBox::toggled, m_port, &QWidget::setEnabled);
    connect(m_port, &QComboBox::activated, this, [this](int i) { m_thru = m_port->itemText(i).toStdString(); });
    auto* buttons = buttonRow(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);
    // There is no help page for this dialog.
    buttons->button(QDialogButtonBox::Help)->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_echo);
    layout->addWidget(m_port);
    layout->addWidget(buttons);
}

void CInPortSetupDlg::accept()
{
    applyInputThru(m_profile, m_engine, m_input, m_echo->isChecked(), m_thru);
    QDialog::accept();
}

} // namespace rz
