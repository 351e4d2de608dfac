#include "engine/ui/audio_options_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace rz {

namespace {

constexpr const char* kAudioOptionsHelpTopic = "::/Audio.htm";

QComboBox* namedCombo(const char* name, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    return combo;
}

QRadioButton* addKind(QButtonGroup* group, const char* text, int kind, const char* name, QWidget* parent)
{
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(name);
    group->addButton(radio, kind);
    return radio;
}

} // namespace

CAudioOptionsDlg::CAudioOptionsDlg(IProfile& profile, IAudioDeviceProbe& probe, QWidget* parent)
    : DialogBase(parent, kAudioOptionsHelpTopic), m_model(profile, probe)
{
    setWindowTitle("Waveform audio");
    m_model.load();
    build();
    connectControls();
    refresh();
}

void CAudioOptionsDlg::build()
{
    m_enable = new QCheckBox("Enable (required for VSTi synths and effects)", this);
    m_enable->setObjectName("enable1132");
    // No desktop control panel belongs to the JACK server.
    m_controlPanel = new QPushButton("Control Panel", this);
    m_controlPanel->setObjectName("panel1415");
    m_controlPanel->hide();
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enable);
    layout->addWidget(buildOutput());
    layout->addWidget(buildInput());
    layout->addWidget(buildTiming());
    layout->addWidget(buttons);
}

QWidget* CAudioOptionsDlg::buildOutput()
{
    auto* box = new QGroupBox("Output", this);
    m_outputKind = new QButtonGroup(this);
    m_outputDevice = namedCombo("device1031", box);
    m_driver = namedCombo("driver1033", box);
    m_outputChannels = namedCombo("channels1036", box);
    auto* form = new QFormLayout(box);
    form->addRow(addKind(m_outputKind, "Default ALSA device", AudioOptionsModel::kDefaultDevice, "out1409", box));
    form->addRow(addKind(m_outputKind, "Specific ALSA device:", AudioOptionsModel::kSpecificDevice, "out1410", box),
                 m_outputDevice);
    form->addRow(addKind(m_outputKind, "JACK driver:", AudioOptionsModel::kLowLatency, "out1411", box), m_driver);
    form->addRow("Output channels:", m_outputChannels);
    return box;
}

QWidget* CAudioOptionsDlg::buildInput()
{
    auto* box = new QGroupBox("Input", this);
    m_inputKind = new QButtonGroup(this);
    m_inputDevice = namedCombo("device1032", box);
    m_inputChannels = namedCombo("channels1035", box);
    m_passthrough = new QCheckBox("Pass-thru inputs into output mix", box);
    m_passthrough->setObjectName("passthrough1416");
    auto* form = new QFormLayout(box);
    form->addRow(addKind(m_inputKind, "Default ALSA device", AudioOptionsModel::kDefaultDevice, "in1412", box));
    form->addRow(addKind(m_inputKind, "Specific ALSA device:", AudioOptionsModel::kSpecificDevice, "in1413", box),
                 m_inputDevice);
    form->addRow(addKind(m_inputKind, "JACK input channels", AudioOptionsModel::kLowLatency, "in1414", box),
                 m_inputChannels);
    form->addRow(m_passthrough);
    return box;
}

QWidget* CAudioOptionsDlg::buildTiming()
{
    auto* box = new QWidget(this);
    m_blockSize = namedCombo("buffer1021", box);
    m_blockSize->setEditable(true);
    m_rate = namedCombo("rate1366", box);
    auto* form = new QFormLayout(box);
    form->addRow("Buffer size:", m_blockSize);
    form->addRow("Samples per second:", m_rate);
    return box;
}

void CAudioOptionsDlg::connectControls()
{
    connect(m_enable, &QCheckBox::toggled, this, [this](bool on) {
        m_model.setEnabled(on);
        refresh();
    });
    connect(m_outputKind, &QButtonGroup::idClicked, this, [this](int kind) {
        m_model.setOutputKind(kind);
        refresh();
    });
    connect(m_inputKind, &QButtonGroup::idClicked, this, [this](int kind) {
        m_model.setInputKind(kind);
        refresh();
    });
    connect(m_outputDevice, &QComboBox::activated, this, [this](int i) { m_model.setDevice(false, i); });
    connect(m_inputDevice, &QComboBox::activated, this, [this](int i) { m_model.setDevice(true, i); });
    connect(m_outputChannels, &QComboBox::activated, this, [this](int i) { m_model.setChannelPair(false, i); });
    connect(m_inputChannels, &QComboBox::activated, this, [this](int i) { m_model.setChannelPair(true, i); });
    connect(m_passthrough, &QCheckBox::toggled, this, [this](bool on) { m_model.setPassthrough(on); });
    connect(m_rate, &QComboBox::activated, this, [this](int i) {
        m_model.setSampleRate(m_rate->itemText(i).toInt());
        fillBlockSizes(); // the lengths in ms change
    });
    connect(m_blockSize, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_model.setBlockText(text.toStdString()); });
}

void CAudioOptionsDlg::refresh()
{
    const AudioOptionsModel::Enabling on = m_model.enabling();
    {
        const QSignalBlocker blocker(m_enable);
        m_enable->setChecked(m_model.enabled());
    }
    m_outputKind->button(m_model.outputKind())->setChecked(true);
    m_inputKind->button(m_model.inputKind())->setChecked(true);
    for (QAbstractButton* radio : m_outputKind->buttons())
        radio->setEnabled(on.kinds);
    m_inputKind->button(AudioOptionsModel::kDefaultDevice)->setEnabled(on.kinds);
    m_inputKind->button(AudioOptionsModel::kSpecificDevice)->setEnabled(on.kinds);
    m_inputKind->button(AudioOptionsModel::kLowLatency)->setEnabled(on.kinds && on.lowLatencyInput);
    fillDevices(m_outputDevice, false);
    fillDevices(m_inputDevice, true);
    m_outputDevice->setEnabled(on.outputDevice);
    m_inputDevice->setEnabled(on.inputDevice);
    m_driver->clear();
    if (!m_model.server().empty())
        m_driver->addItem(QString::fromStdString(m_model.server()));
    m_driver->setEnabled(on.lowLatencyDriver);
    fillChannels(m_outputChannels, false);
    fillChannels(m_inputChannels, true);
    m_outputChannels->setEnabled(on.outputChannels);
    m_inputChannels->setEnabled(on.inputChannels);
    {
        const QSignalBlocker blocker(m_passthrough);
        m_passthrough->setChecked(m_model.passthrough());
    }
    m_passthrough->setEnabled(on.passthrough);
    fillRates();
    fillBlockSizes();
    m_rate->setEnabled(on.sampleRate);
    m_blockSize->setEnabled(on.blockSize);
}

void CAudioOptionsDlg::fillDevices(QComboBox* combo, bool capture)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const AlsaPcmDevice& device : m_model.devices(capture))
        combo->addItem(QString::fromStdString(device.friendlyName), QString::fromStdString(device.name));
    combo->setCurrentIndex(combo->count() > 0 ? m_model.device(capture) : -1);
}

void CAudioOptionsDlg::fillChannels(QComboBox* combo, bool input)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const std::string& pair : m_model.channelPairs(input))
        combo->addItem(QString::fromStdString(pair));
    combo->setCurrentIndex(combo->count() > 0 ? m_model.channelPair(input) : -1);
}

// A typed length stays in the edit text.
void CAudioOptionsDlg::fillBlockSizes()
{
    const QSignalBlocker blocker(m_blockSize);
    m_blockSize->clear();
    for (int frames : AudioOptionsModel::blockSizes())
        m_blockSize->addItem(QString::fromStdString(AudioOptionsModel::blockLabel(frames, m_model.sampleRate())));
    const int index = m_model.blockSizeIndex();
    m_blockSize->setCurrentIndex(index);
    if (index < 0)
        m_blockSize->setEditText(
            QString::fromStdString(AudioOptionsModel::blockLabel(m_model.blockSize(), m_model.sampleRate())));
}

void CAudioOptionsDlg::fillRates()
{
    const QSignalBlocker blocker(m_rate);
    m_rate->clear();
    for (int rate : AudioOptionsModel::sampleRates())
        m_rate->addItem(QString::number(rate));
    int index = m_rate->findText(QString::number(m_model.sampleRate()));
    if (index < 0) { // the server's own rate
        m_rate->addItem(QString::number(m_model.sampleRate()));
        index = m_rate->count() - 1;
    }
    m_rate->setCurrentIndex(index);
}

void CAudioOptionsDlg::accept()
{
    m_model.setBlockText(m_blockSize->currentText().toStdString());
    m_model.ok();
    QDialog::accept();
}

} // namespace rz
