#include "engine/ui/port_setup_dlg.h"

#include "core/profile.h"
#include "engine/sequencer.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "ui/cool_slider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr const char* kPortSetupHelpTopic = "::/PortSetup.htm";
constexpr int kDrumChannels = 16;
constexpr QSize kFaderSize(18, 110);

constexpr const char* kFaderCaptions[kDeviceFaderCount] = {
    "time (s)", "rate (hz)", "reverb %", "f.back %", "depth (ms)", "volume"};

int faderValue(const CoolSlider* fader)
{
    const int value = fader->pos();
    return value >= 0 && value <= CoolSlider::kMaxValue ? value : kDeviceUnset;
}

std::shared_ptr<COutPort> findPort(const CSequencer& engine, const std::string& name)
{
    const std::string key = profileKey(name);
    for (const std::shared_ptr<COutPort>& port : engine.ports()->outputs) {
        if (profileKey(port->name()) == key)
            return port;
    }
    return nullptr;
}

// The empty item stands for no type sent yet: it names the type the
// device plays meanwhile.
QComboBox* typeCombo(std::span<const EffectTypeItem> items, int deviceDefault, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    const QString playing = QString::fromUtf8(items[effectTypeItemIndex(items, deviceDefault)].text);
    for (const EffectTypeItem& item : items) {
        const QString text = item.type == kDeviceUnset ? QString("(device default) %1").arg(playing)
                                                       : QString::fromUtf8(item.text);
        combo->addItem(text, item.type);
    }
    return combo;
}

} // namespace

CPortSetupDlg::CPortSetupDlg(int index, NumberedPort record, CSequencer& engine,
                             std::vector<SynthChoice> synths, CSongDoc* song, QWidget* parent)
    : DialogBase(parent, kPortSetupHelpTopic), m_index(index), m_record(std::move(record)),
      m_port(findPort(engine, m_record.name)), m_model(m_port.get()), m_song(song)
{
    setWindowTitle(QString("%1: %2").arg(index).arg(QString::fromStdString(m_record.name)));
    buildControls();
    for (int channel = 0; channel < kDrumChannels; ++channel)
        m_drums[size_t(channel)]->setChecked((m_record.drums >> channel) & 1);
    FillSynthCombo(synths);
    showInitialValues();
}

void CPortSetupDlg::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* synthRow = new QHBoxLayout;
    synthRow->addWidget(new QLabel("Synthesizer:", this));
    m_synthCombo = new QComboBox(this);
    synthRow->addWidget(m_synthCombo, 1);
    m_synthDatabase = new QPushButton("Open Synth Database", this);
    m_synthDatabase->setEnabled(false);
    connect(m_synthDatabase, &QPushButton::clicked, this, [this] {
        if (m_synthEditor)
            FillSynthCombo(m_synthEditor());
    });
    synthRow->addWidget(m_synthDatabase);
    layout->addLayout(synthRow);

    auto* drums = new QGroupBox("Drum channels", this);
    auto* drumGrid = new QGridLayout(drums);
    for (int channel = 0; channel < kDrumChannels; ++channel) {
        m_drums[size_t(channel)] = new QCheckBox(QString::number(channel + 1), drums);
        drumGrid->addWidget(m_drums[size_t(channel)], channel / 8, channel % 8);
    }
    layout->addWidget(drums);

    auto* device = new QGroupBox("Device", this);
    device->setLayout(buildDeviceGroup());
    layout->addWidget(device);

    m_insert = new QCheckBox("Insert these settings into the song", this);
    layout->addWidget(m_insert);
    auto* buttons = buttonRow();
    layout->addWidget(buttons);
}

QLayout* CPortSetupDlg::buildDeviceGroup()
{
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < kDeviceFaderCount; ++i) {
        const auto which = DeviceFader(i);
        auto* fader = new CoolSlider(this, kFirstFaderId + int(i), kDeviceUnset);
        fader->setFixedSize(kFaderSize);
        m_faders[i] = fader;
        connect(fader, &CoolSlider::dragStep, this, [this, which] { OnFaderNotify(which, true); });
        connect(fader, &CoolSlider::dragEnd, this, [this, which] { OnFaderNotify(which, true); });
        auto* edit = new QLineEdit(this);
        edit->setFixedWidth(48);
        m_faderEdits[i] = edit;
        // An unset value shows what the device plays meanwhile.
        edit->setPlaceholderText(QString::fromStdString(deviceFaderText(
            which, deviceFaderDefault(which, kDeviceDefaultReverbType, kDeviceDefaultChorusType))));
        connect(edit, &QLineEdit::editingFinished, this, [this, which] { faderEdited(which); });
        grid->addWidget(fader, 0, int(i), Qt::AlignHCenter);
        grid->addWidget(edit, 1, int(i), Qt::AlignHCenter);
        grid->addWidget(new QLabel(kFaderCaptions[i], this), 2, int(i), Qt::AlignHCenter);
    }
    m_reverb = typeCombo(kReverbTypeItems, kDeviceDefaultReverbType, this);
    m_chorus = typeCombo(kChorusTypeItems, kDeviceDefaultChorusType, this);
    connect(m_reverb, &QComboBox::activated, this, &CPortSetupDlg::reverbChosen);
    connect(m_chorus, &QComboBox::activated, this, &CPortSetupDlg::chorusChosen);
    grid->addWidget(new QLabel("Reverb type", this), 3, 0, 1, 2);
    grid->addWidget(m_reverb, 3, 2, 1, 4);
    grid->addWidget(new QLabel("Chorus type", this), 4, 0, 1, 2);
    grid->addWidget(m_chorus, 4, 2, 1, 4);

    auto tuningRow = [this, grid](int row, const char* caption, bool coarse) {
        QLineEdit*& edit = coarse ? m_coarseEdit : m_fineEdit;
        edit = new QLineEdit(this);
        connect(edit, &QLineEdit::editingFinished, this, [this, coarse] { tuningTyped(coarse); });
        grid->addWidget(new QLabel(caption, this), row, 0, 1, 2);
        grid->addWidget(edit, row, 2, 1, 2);
        for (bool up : {true, false}) {
            auto* button = new QToolButton(this);
            button->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
            connect(button, &QToolButton::clicked, this, [this, coarse, up] { tuningStep(coarse, up); });
            m_spins[size_t((coarse ? 2 : 0) + (up ? 0 : 1))] = button;
            grid->addWidget(button, row, up ? 4 : 5);
        }
    };
    tuningRow(5, "Coarse tuning", true);
    tuningRow(6, "Fine tuning", false);
    return grid;
}

QToolButton* CPortSetupDlg::spinButton(bool coarse, bool up) const
{
    return m_spins[size_t((coarse ? 2 : 0) + (up ? 0 : 1))];
}

void CPortSetupDlg::setSynthEditor(std::function<std::vector<SynthChoice>()> editor)
{
    m_synthEditor = std::move(editor);
    m_synthDatabase->setEnabled(bool(m_synthEditor));
}

void CPortSetupDlg::FillSynthCombo(const std::vector<SynthChoice>& synths)
{
    const int chosen = m_synthCombo->currentIndex() >= 0 ? m_synthCombo->currentData().toInt()
                                                         : m_record.synth;
    m_synthCombo->clear();
    for (const SynthChoice& synth : synths) {
        m_synthCombo->addItem(QString::fromStdString(synth.name), synth.number);
        if (synth.number == chosen)
            m_synthCombo->setCurrentIndex(m_synthCombo->count() - 1);
    }
    if (m_synthCombo->count() > 0 && m_synthCombo->currentData().toInt() != chosen)
        m_synthCombo->setCurrentIndex(-1);
}

void CPortSetupDlg::showInitialValues()
{
    const bool present = m_model.present();
    if (present) {
        m_reverb->setCurrentIndex(int(effectTypeItemIndex(kReverbTypeItems, m_model.cachedReverbType())));
        m_chorus->setCurrentIndex(int(effectTypeItemIndex(kChorusTypeItems, m_model.cachedChorusType())));
        m_coarseEdit->setText(QString::fromStdString(coarseTuningText(m_model.coarseTuning())));
        m_fineEdit->setText(QString::fromStdString(fineTuningText(m_model.fineTuning())));
    }
    for (size_t i = 0; i < kDeviceFaderCount; ++i) {
        m_faders[i]->setPos(m_model.cachedFader(DeviceFader(i)));
        m_faders[i]->setEnabled(present);
        m_faderEdits[i]->setEnabled(present);
    }
    m_insert->setEnabled(present && m_song != nullptr);
    for (QWidget* control : std::initializer_list<QWidget*>{m_coarseEdit, m_fineEdit, m_reverb, m_chorus})
        control->setEnabled(present);
    for (QToolButton* spin : m_spins)
        spin->setEnabled(present);
    for (size_t i = 0; i < kDeviceFaderCount; ++i)
        OnFaderNotify(DeviceFader(i), false);
}

void CPortSetupDlg::OnFaderNotify(DeviceFader which, bool notify)
{
    if (!m_model.present())
        return;
    const int value = faderValue(m_faders[size_t(which)]);
    m_faderEdits[size_t(which)]->setText(QString::fromStdString(deviceFaderText(which, value)));
    if (notify)
        m_model.faderMoved(which, value, selectedType(m_reverb), selectedType(m_chorus));
}

void CPortSetupDlg::faderEdited(DeviceFader which)
{
    if (!m_model.present())
        return;
    const std::string text = m_faderEdits[size_t(which)]->text().toStdString();
    m_faders[size_t(which)]->setPos(m_model.faderTyped(which, text));
}

int CPortSetupDlg::selectedType(const QComboBox* combo) const
{
    return combo->currentIndex() > 0 ? combo->currentData().toInt() : kDeviceUnset;
}

void CPortSetupDlg::reverbChosen(int item)
{
    if (!m_model.present() || item < 0)
        return;
    const int time = m_model.reverbTypeChosen(selectedType(m_reverb));
    m_faders[size_t(DeviceFader::ReverbTime)]->setPos(time);
    OnFaderNotify(DeviceFader::ReverbTime, false);
}

void CPortSetupDlg::chorusChosen(int item)
{
    if (!m_model.present() || item < 0)
        return;
    const std::array<int, 4> values = m_model.chorusTypeChosen(selectedType(m_chorus));
    constexpr DeviceFader kChorus[] = {DeviceFader::ChorusRate, DeviceFader::ChorusSendToReverb,
                                       DeviceFader::ChorusFeedback, DeviceFader::ChorusDepth};
    for (size_t i = 0; i < values.size(); ++i) {
        m_faders[size_t(kChorus[i])]->setPos(values[i]);
        OnFaderNotify(kChorus[i], false);
    }
}

void CPortSetupDlg::tuningStep(bool coarse, bool up)
{
    if (coarse) {
        const int value = m_model.coarseStepped(up, m_coarseEdit->text().toStdString());
        m_coarseEdit->setText(QString::fromStdString(coarseTuningText(value)));
    } else {
        m_fineEdit->setText(QString::fromStdString(fineTuningText(m_model.fineStepped(up))));
    }
}

void CPortSetupDlg::tuningTyped(bool coarse)
{
    if (!m_model.present())
        return;
    QLineEdit* edit = coarse ? m_coarseEdit : m_fineEdit;
    const std::string text = edit->text().toStdString();
    const int value = coarse ? m_model.coarseTyped(text) : m_model.fineTyped(text);
    edit->setText(QString::fromStdString(coarse ? coarseTuningText(value) : fineTuningText(value)));
}

void CPortSetupDlg::insertIntoSong()
{
    PortSetupValues values;
    values.volume = faderValue(m_faders[size_t(DeviceFader::MasterVolume)]);
    values.coarseTuning = m_model.coarseTuning();
    values.fineTuning = m_model.fineTuning();
    values.reverbType = selectedType(m_reverb);
    values.reverbTime = faderValue(m_faders[size_t(DeviceFader::ReverbTime)]);
    values.chorusType = selectedType(m_chorus);
    values.chorusRate = faderValue(m_faders[size_t(DeviceFader::ChorusRate)]);
    values.chorusDepth = faderValue(m_faders[size_t(DeviceFader::ChorusDepth)]);
    values.chorusFeedback = faderValue(m_faders[size_t(DeviceFader::ChorusFeedback)]);
    values.chorusSendToReverb = faderValue(m_faders[size_t(DeviceFader::ChorusSendToReverb)]);
    if (std::unique_ptr<CUndoRecord> record = BuildPortSetupEventsRecord(*m_song, m_index, values))
        m_song->ApplyEdit(std::move(record));
}

void CPortSetupDlg::accept()
{
    if (m_insert->isEnabled() && m_insert->isChecked() && m_song != nullptr)
        insertIntoSong();
    m_record.synth = m_synthCombo->currentIndex() >= 0 ? m_synthCombo->currentData().toInt() : -1;
    m_record.drums = 0;
    for (int channel = 0; channel < kDrumChannels; ++channel) {
        if (m_drums[size_t(channel)]->isChecked())
            m_record.drums |= 1 << channel;
    }
    QDialog::accept();
}

} // namespace rz
