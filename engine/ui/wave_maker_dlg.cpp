#include "engine/ui/wave_maker_dlg.h"

#include "core/prompt.h"
#include "engine/audio/song_recorder.h"
#include "engine/ui/radio_group.h"
#include "platform/wma_writer.h"
#include "ui/local_path.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>

namespace rz {

namespace {

constexpr const char* kWaveMakerHelpTopic = "::/WaveMaker.htm";
constexpr int kMaxGain = 10000;
constexpr int kGainTick = 1000;
constexpr int kMaxFadeSeconds = 5;
const QColor kFullScaleRed(255, 0, 0);

QProgressBar* makeMeter(QWidget* parent, const char* name)
{
    auto* meter = new QProgressBar(parent);
    meter->setObjectName(name);
    meter->setRange(0, SongRecorder::kFullScale);
    meter->setValue(0);
    meter->setTextVisible(false);
    return meter;
}

// The magnitude of -32768 is one past the bar's range, where a bar would
// refuse the value and stand still.
int meterValue(int peak)
{
    return std::clamp(peak, 0, SongRecorder::kFullScale);
}

void selectText(QComboBox* combo, const std::string& text)
{
    const int item = combo->findText(QString::fromStdString(text));
    combo->setCurrentIndex(item >= 0 ? item : (combo->count() > 0 ? 0 : -1));
}

} // namespace

CWaveMakerDlg::CWaveMakerDlg(WaveMakerServices services, QWidget* parent)
    : DialogBase(parent, kWaveMakerHelpTopic), m_recorder(services.recorder), m_prompt(services.prompt)
{
    setWindowTitle("Riz Uzov Avevu");
    setHelpOpener(std::move(services.help));
    m_recorder.open();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildInput());
    auto* middle = new QHBoxLayout;
    middle->addWidget(buildAutomation());
    middle->addWidget(buildFormat());
    layout->addLayout(middle);
    layout->addWidget(buildDestination());
    layout->addWidget(buildMeters());
    layout->addWidget(buildButtons());
    showSettings();
    connect(&m_timer, &QTimer::timeout, this, &CWaveMakerDlg::onTick);
    m_timer.start(int(SongRecorder::kTickMs));
}

CWaveMakerDlg::~CWaveMakerDlg()
{
    m_timer.stop();
    m_recorder.close();
}

QWidget* CWaveMakerDlg::buildInput()
{
    auto* box = new QGroupBox(this);
    auto* form = new QFormLayout(box);
    m_alternate = new QCheckBox("Open an alternate device/input:", box);
    m_alternate->setObjectName("alternate1417");
    form->addRow(m_alternate);
    m_device = new QComboBox(box);
    m_device->setObjectName("device1031");
    form->addRow("Device:", m_device);
    m_input = new QComboBox(box);
    m_input->setObjectName("input1096");
    form->addRow("Input:", m_input);
    m_gain = new QSlider(Qt::Horizontal, box);
    m_gain->setObjectName("gain1122");
    m_gain->setRange(0, kMaxGain);
    m_gain->setTickInterval(kGainTick);
    m_gain->setTickPosition(QSlider::TicksBelow);
    form->addRow("Level:", m_gain);
    connect(m_alternate, &QCheckBox::toggled, this, [this](bool on) {
        m_recorder.setAlternateInput(on);
        applyEnabling();
    });
    connect(m_device, &QComboBox::activated, this, &CWaveMakerDlg::chooseDevice);
    connect(m_input, &QComboBox::activated, this, &CWaveMakerDlg::chooseInput);
    connect(m_gain, &QSlider::valueChanged, this, [this](int gain) { m_recorder.setGain(gain); });
    return box;
}

QWidget* CWaveMakerDlg::buildAutomation()
{
    auto* box = new QGroupBox(this);
    auto* layout = new QVBoxLayout(box);
    m_automation = new QButtonGroup(this);
    addRadio(m_automation, layout, "Do not automate song play", int(RecorderAutomation::None),
             "automation1357");
    addRadio(m_automation, layout, "Record current song only", int(RecorderAutomation::CurrentSong),
             "automation1348");
    addRadio(m_automation, layout, "Record entire set", int(RecorderAutomation::EntireSet),
             "automation1349");
    m_playThroughCues = new QCheckBox("Play through cues", box);
    m_playThroughCues->setObjectName("cues1353");
    layout->addWidget(m_playThroughCues);
    m_selectionOnly = new QCheckBox("Current selection only", box);
    m_selectionOnly->setObjectName("selection1356");
    layout->addWidget(m_selectionOnly);
    m_fade = new QSpinBox(box);
    m_fade->setObjectName("fade1360");
    m_fade->setRange(0, kMaxFadeSeconds);
    auto* fade = new QFormLayout;
    fade->addRow("Fade-out seconds:", m_fade);
    layout->addLayout(fade);
    connect(m_automation, &QButtonGroup::idClicked, this, [this](int id) {
        m_recorder.settings().automation = RecorderAutomation(id);
        applyEnabling();
    });
    connect(m_playThroughCues, &QCheckBox::toggled, this,
            [this](bool on) { m_recorder.settings().playThroughCues = on; });
    connect(m_selectionOnly, &QCheckBox::toggled, this,
            [this](bool on) { m_recorder.settings().currentSelectionOnly = on; });
    connect(m_fade, &QSpinBox::valueChanged, this,
            [this](int seconds) { m_recorder.settings().fadeSeconds = seconds; });
    return box;
}

QWidget* CWaveMakerDlg::buildFormat()
{
    auto* box = new QGroupBox(this);
    auto* layout = new QVBoxLayout(box);
    m_format = new QButtonGroup(this);
    addRadio(m_format, layout, "WAV (uncompressed)", int(AudioFileFormat::Wav), "format1350");
    addRadio(m_format, layout, "Windows Media Audio", int(AudioFileFormat::Wma), "format1351");
    m_codec = new QComboBox(box);
    m_codec->setObjectName("codec1141");
    m_wmaFormat = new QComboBox(box);
    m_wmaFormat->setObjectName("format1142");
    auto* form = new QFormLayout;
    form->addRow("Codec:", m_codec);
    form->addRow("Format:", m_wmaFormat);
    layout->addLayout(form);
    connect(m_format, &QButtonGroup::idClicked, this, [this](int id) {
        m_recorder.settings().fileFormat = AudioFileFormat(id);
        applyEnabling();
    });
    connect(m_codec, &QComboBox::activated, this, [this](int item) {
        m_recorder.settings().codec = item;
        m_recorder.settings().wmaFormat = -1;
        fillWmaLists();
    });
    connect(m_wmaFormat, &QComboBox::activated, this,
            [this](int item) { m_recorder.settings().wmaFormat = item; });
    return box;
}

QWidget* CWaveMakerDlg::buildDestination()
{
    auto* box = new QGroupBox(this);
    auto* layout = new QGridLayout(box);
    m_saveTo = new QButtonGroup(this);
    auto* radios = new QVBoxLayout;
    addRadio(m_saveTo, radios, "Song folder", int(RecorderSaveTo::SongFolder), "saveTo1352");
    addRadio(m_saveTo, radios, "Another folder:", int(RecorderSaveTo::OtherFolder), "saveTo1112");
    addRadio(m_saveTo, radios, "New waveform track(s)", int(RecorderSaveTo::NewWaveTrack), "saveTo1113");
    layout->addLayout(radios, 0, 0, 3, 1);
    m_folder = new QLineEdit(box);
    m_folder->setObjectName("folder1178");
    m_browse = new QPushButton("...", box);
    m_browse->setObjectName("browse1177");
    layout->addWidget(m_folder, 1, 1);
    layout->addWidget(m_browse, 1, 2);
    m_usePrefix = new QCheckBox("Use this prefix instead of the song title:", box);
    m_usePrefix->setObjectName("usePrefix1358");
    m_prefix = new QLineEdit(box);
    m_prefix->setObjectName("prefix1314");
    layout->addWidget(m_usePrefix, 3, 0, 1, 2);
    layout->addWidget(m_prefix, 3, 2);
    connect(m_saveTo, &QButtonGroup::idClicked, this, [this](int id) {
        m_recorder.settings().saveTo = RecorderSaveTo(id);
        applyEnabling();
    });
    connect(m_usePrefix, &QCheckBox::toggled, this, [this](bool on) {
        m_recorder.settings().usePrefix = on;
        applyEnabling();
    });
    connect(m_folder, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_recorder.settings().folder = text.toStdString(); });
    connect(m_prefix, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_recorder.settings().prefix = text.toStdString(); });
    connect(m_browse, &QPushButton::clicked, this, &CWaveMakerDlg::browse);
    return box;
}

QWidget* CWaveMakerDlg::buildMeters()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    m_leftMeter = makeMeter(box, "left1354");
    m_rightMeter = makeMeter(box, "right1361");
    m_meterPalette = m_leftMeter->palette();
    m_status = new QLabel(box);
    m_status->setObjectName("status1355");
    layout->addWidget(m_leftMeter);
    layout->addWidget(m_rightMeter);
    layout->addWidget(m_status);
    return box;
}

QWidget* CWaveMakerDlg::buildButtons()
{
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    m_begin = new QPushButton("&Begin", box);
    m_begin->setObjectName("begin");
    m_begin->setDefault(true);
    m_cancel = new QPushButton("Cancel", box);
    m_cancel->setObjectName("cancel");
    QPushButton* help = helpButton("&Help", box);
    layout->addStretch();
    layout->addWidget(m_begin);
    layout->addWidget(m_cancel);
    layout->addWidget(help);
    connect(m_begin, &QPushButton::clicked, this, &CWaveMakerDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CWaveMakerDlg::reject);
    return box;
}

// The recorder's settings as open() settled them; the controls' signals are
// held back so that showing them changes nothing.
void CWaveMakerDlg::showSettings()
{
    const SongRecorderSettings& s = m_recorder.settings();
    const QSignalBlocker blockAlternate(m_alternate), blockFade(m_fade), blockCues(m_playThroughCues),
        blockSelection(m_selectionOnly), blockPrefixCheck(m_usePrefix);
    m_alternate->setChecked(s.alternateInput);
    m_fade->setValue(s.fadeSeconds);
    m_playThroughCues->setChecked(s.playThroughCues);
    m_selectionOnly->setChecked(s.currentSelectionOnly);
    m_usePrefix->setChecked(s.usePrefix);
    m_prefix->setText(QString::fromStdString(s.prefix));
    m_folder->setText(QString::fromStdString(s.folder));
    checkRadio(m_automation, int(s.automation));
    checkRadio(m_saveTo, int(s.saveTo));
    m_selectionAvailable = m_recorder.enabling().selectionOnlyCheck;
    fillDevices();
    fillWmaLists();
    applyEnabling();
}

void CWaveMakerDlg::fillDevices()
{
    const QSignalBlocker block(m_device);
    m_device->clear();
    for (const std::string& name : m_recorder.deviceNames())
        m_device->addItem(QString::fromStdString(name));
    selectText(m_device, m_recorder.settings().deviceName);
    fillInputs();
}

void CWaveMakerDlg::fillInputs()
{
    const QSignalBlocker blockInput(m_input), blockGain(m_gain);
    m_input->clear();
    for (const std::string& name : m_recorder.inputNames())
        m_input->addItem(QString::fromStdString(name));
    selectText(m_input, m_recorder.settings().inputName);
    m_gain->setValue(m_recorder.settings().gain);
}

// The codec stored, or by default the writer's own choice of codec and
// format; the choice is taken into the settings.
void CWaveMakerDlg::fillWmaLists()
{
    SongRecorderSettings& s = m_recorder.settings();
    const bool defaults = s.codec < 0;
    s.codec = WmaWriter::chooseCodec(s.codec);
    s.wmaFormat = WmaWriter::chooseFormat(s.codec, defaults ? -1 : s.wmaFormat);
    const QSignalBlocker blockCodec(m_codec), blockFormat(m_wmaFormat);
    m_codec->clear();
    for (const std::string& name : WmaWriter::codecNames())
        m_codec->addItem(QString::fromStdString(name));
    m_codec->setCurrentIndex(s.codec);
    m_wmaFormat->clear();
    for (const std::string& name : WmaWriter::formatNames(s.codec))
        m_wmaFormat->addItem(QString::fromStdString(name));
    m_wmaFormat->setCurrentIndex(s.wmaFormat);
}

// Which controls the recorder's choices allow; while it records none.
void CWaveMakerDlg::applyEnabling()
{
    const RecorderEnabling e = m_recorder.enabling();
    const bool idle = !m_recorder.writing();
    enableRadio(m_automation, int(RecorderAutomation::None), idle);
    enableRadio(m_automation, int(RecorderAutomation::CurrentSong), idle && e.currentSongChoice);
    enableRadio(m_automation, int(RecorderAutomation::EntireSet), idle && e.entireSetChoice);
    enableRadio(m_saveTo, int(RecorderSaveTo::SongFolder), idle && e.songFolderChoice);
    enableRadio(m_saveTo, int(RecorderSaveTo::OtherFolder), idle);
    enableRadio(m_saveTo, int(RecorderSaveTo::NewWaveTrack), idle);
    m_alternate->setEnabled(idle);
    for (QWidget* capture : std::initializer_list<QWidget*>{m_device, m_input, m_gain})
        capture->setEnabled(idle && e.captureControls);
    // A new track's clip is a wave file whatever was chosen.
    checkRadio(m_format, int(m_recorder.settings().effectiveFormat()));
    enableRadio(m_format, int(AudioFileFormat::Wav), idle);
    enableRadio(m_format, int(AudioFileFormat::Wma), idle && e.wmaChoice);
    m_codec->setEnabled(idle && e.wmaLists);
    m_wmaFormat->setEnabled(idle && e.wmaLists);
    m_folder->setEnabled(idle && e.folderControls);
    m_browse->setEnabled(idle && e.folderControls);
    m_usePrefix->setEnabled(idle && e.usePrefixCheck);
    m_prefix->setEnabled(idle && e.prefixEdit);
    m_fade->setEnabled(idle && e.fadeControls);
    m_playThroughCues->setEnabled(idle && e.fadeControls);
    // Set when it becomes available, cleared when it is not; the user's
    // choice in between stands.
    if (idle && (e.selectionOnlyCheck != m_selectionAvailable || !e.selectionOnlyCheck))
        m_selectionOnly->setChecked(e.selectionOnlyCheck);
    if (idle)
        m_selectionAvailable = e.selectionOnlyCheck;
    m_selectionOnly->setEnabled(idle && e.selectionOnlyCheck);
    m_begin->setEnabled(idle);
}

// A device's inputs replace the list; its input is then chosen as a click
// would, so that a running capture follows the device shown.
void CWaveMakerDlg::chooseDevice(int item)
{
    if (item < 0)
        return;
    m_recorder.chooseDevice(m_device->itemText(item).toStdString());
    fillInputs();
    chooseInput(m_input->currentIndex());
}

void CWaveMakerDlg::chooseInput(int item)
{
    if (item < 0)
        return;
    m_recorder.chooseInput(m_input->itemText(item).toStdString());
    const QSignalBlocker block(m_gain);
    m_gain->setValue(m_recorder.settings().gain);
}

void CWaveMakerDlg::browse()
{
    const std::optional<std::filesystem::path> folder =
        m_prompt.chooseFolder("Choose a default save location.", localPath(m_folder->text()));
    if (!folder)
        return;
    std::string text = folder->string();
    if (text.empty() || text.back() != '/')
        text += '/';
    m_folder->setText(qtPath(text));
    m_recorder.settings().folder = text;
}

void CWaveMakerDlg::accept()
{
    if (m_recorder.writing())
        return;
    SongRecorderSettings& s = m_recorder.settings();
    s.prefix = m_prefix->text().toStdString();
    s.folder = m_folder->text().toStdString();
    const bool started = m_recorder.begin();
    // Begin tidies the prefix and folder it was given.
    m_prefix->setText(QString::fromStdString(s.prefix));
    m_folder->setText(QString::fromStdString(s.folder));
    if (started)
        recordingStarted();
}

void CWaveMakerDlg::recordingStarted()
{
    applyEnabling();
    m_cancel->setText("Stop");
    if (!m_timer.isActive())
        m_timer.start(int(SongRecorder::kTickMs));
}

void CWaveMakerDlg::reject()
{
    m_recorder.cancel();
    QDialog::reject();
}

void CWaveMakerDlg::done(int result)
{
    m_timer.stop();
    m_recorder.close();
    QDialog::done(result);
}

// A message the recorder shows runs a nested event loop in which the timer
// fires again; the tick it interrupted finishes first.
void CWaveMakerDlg::onTick()
{
    if (m_ticking)
        return;
    m_ticking = true;
    const RecorderTick result = m_recorder.tick();
    m_ticking = false;
    if (m_recorder.metersChanged())
        showMeters();
    if (!m_recorder.statusText().empty())
        m_status->setText(QString::fromStdString(m_recorder.statusText()));
    if (result == RecorderTick::Finished) {
        done(QDialog::Accepted);
    } else if (result == RecorderTick::Stopped) {
        // The failure has been reported; nothing records any more.
        m_timer.stop();
        m_cancel->setText("Cancel");
    }
}

void CWaveMakerDlg::showMeters()
{
    m_leftMeter->setValue(meterValue(m_recorder.leftPeak()));
    m_rightMeter->setValue(meterValue(m_recorder.rightPeak()));
    if (m_recorder.leftMeterRed()) {
        QPalette red = m_meterPalette;
        red.setColor(QPalette::Highlight, kFullScaleRed);
        m_leftMeter->setPalette(red);
    } else {
        m_leftMeter->setPalette(m_meterPalette);
    }
}

} // namespace rz
