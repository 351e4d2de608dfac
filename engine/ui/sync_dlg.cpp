#include "engine/ui/sync_dlg.h"

#include "engine/ui/radio_group.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rz {

namespace {

constexpr const char* kSyncHelpTopic = "::/Synch.htm";

} // namespace

CSyncDlg::CSyncDlg(CSequencer& engine, IProfile& profile, QWidget* parent)
    : DialogBase(parent, kSyncHelpTopic), m_engine(engine), m_profile(profile), m_model(engine)
{
    setWindowTitle("Synchronization");
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildMode());
    layout->addWidget(buildFormat());
    layout->addWidget(buttons);
    const SyncOptions& options = m_model.options();
    checkRadio(m_mode, options.masterSlave);
    checkRadio(m_protocol, options.protocol);
    checkRadio(m_rate, options.smpteRate);
    fillPorts();
}

QWidget* CSyncDlg::buildMode()
{
    auto* box = new QGroupBox("DEVU Rizoraz's sequencer is", this);
    auto* layout = new QVBoxLayout(box);
    m_mode = new QButtonGroup(this);
    addRadio(m_mode, layout, "&Independent", SyncOptionsModel::kIndependent, "mode1165");
    addRadio(m_mode, layout, "The &Master", SyncOptionsModel::kMaster, "mode1166");
    layout->addWidget(new QLabel("Timing signals are transmitted to other devices.", box));
    addRadio(m_mode, layout, "A &Slave", SyncOptionsModel::kSlave, "mode1167");
    layout->addWidget(new QLabel("Playback is controlled by an external device.", box));
    m_port = new QComboBox(box);
    m_port->setObjectName("port1172");
    auto* form = new QFormLayout;
    form->addRow("Port(s) to use:", m_port);
    layout->addLayout(form);
    connect(m_mode, &QButtonGroup::idClicked, this, [this](int mode) {
        m_model.options().masterSlave = mode;
        fillPorts();
    });
    connect(m_port, &QComboBox::activated, this, [this](int item) { m_model.options().port = item; });
    return box;
}

// Time code offers "milliseconds (ms)" too; it goes out as 30 non-drop.
QWidget* CSyncDlg::buildFormat()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    m_protocol = new QButtonGroup(this);
    addRadio(m_protocol, layout, "MIDI &Clock", 0, "protocol1020");
    addRadio(m_protocol, layout, "MIDI &Time Code (MTC/SMPTE)", 1, "protocol1173");
    m_rate = new QButtonGroup(this);
    addRadio(m_rate, layout, "2&4 Frame SMPTE", 0, "smpte1168");
    addRadio(m_rate, layout, "2&5 Frame SMPTE", 1, "smpte1169");
    addRadio(m_rate, layout, "30 &Drop Frame SMPTE", 2, "smpte1170");
    addRadio(m_rate, layout, "30 &Non-Drop Frame SMPTE", 3, "smpte1171");
    addRadio(m_rate, layout, "milliseconds (ms)", 4, "smpte1174");
    connect(m_protocol, &QButtonGroup::idClicked, this, [this](int id) { m_model.options().protocol = id; });
    connect(m_rate, &QButtonGroup::idClicked, this, [this](int id) { m_model.options().smpteRate = id; });
    return box;
}

void CSyncDlg::fillPorts()
{
    m_port->clear();
    for (const std::string& item : m_model.portItems())
        m_port->addItem(QString::fromStdString(item));
    m_port->setCurrentIndex(m_model.portItem());
    m_port->setEnabled(m_model.portsEnabled());
}

void CSyncDlg::accept()
{
    m_model.options().port = m_port->currentIndex();
    m_model.ok(m_engine, m_profile);
    QDialog::accept();
}

} // namespace rz
