#include "engine/ui/wave_mixer_dlg.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "platform/wma_writer.h"
#include "ui/local_path.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <system_error>

namespace rz {
namespace {

constexpr const char* kWaveMixerHelpTopic = "::/Audio2.htm#mix";
constexpr const char* kBrowseTitle = "Mix audio to...";
constexpr const char* kWavFilter = "Uncompressed audio (*.wav)";
constexpr const char* kWmaFilter = "Windows Media Audio (*.wma)";

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

CWaveMixerDlg::CWaveMixerDlg(WaveMixerServices services, const CSongDoc& song, QWidget* parent)
    : DialogBase(parent, kWaveMixerHelpTopic), m_services(std::move(services)), m_song(song)
{
    setWindowTitle("Wave Mixer");
    setHelpOpener(m_services.help);
    m_mixer.setWriterFactory(m_services.makeWriter);
    m_settings = WaveMixerSettings::load(m_services.profile, m_services.documents);

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, kProgressRange);
    m_progress->setValue(0);
    m_ok = new QPushButton("OK", this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_help = helpButton();
    connect(m_ok, &QPushButton::clicked, this, &CWaveMixerDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CWaveMixerDlg::reject);
    connect(this, &CWaveMixerDlg::mixProgressed, m_progress, &QProgressBar::setValue,
            Qt::QueuedConnection);
    connect(this, &CWaveMixerDlg::mixEnded, this, &CWaveMixerDlg::OnMixEnded, Qt::QueuedConnection);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFormat());
    layout->addWidget(buildDestination());
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    m_path->setText(qText(m_settings.path));
    for (const std::string& name : WmaWriter::codecNames())
        m_codec->addItem(qText(name));
    m_codec->setCurrentIndex(WmaWriter::chooseCodec(m_settings.codec));
    SelectWmaFormat();
    showChoice();
}

// A mix still running when the dialog goes is stopped, and its scratch file
// is not left behind; the file at the path stays as it was.
CWaveMixerDlg::~CWaveMixerDlg()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    if (m_output && !m_result)
        WaveMixer::drop(*m_output);
}

QWidget* CWaveMixerDlg::buildFormat()
{
    auto* box = new QGroupBox("Format", this);
    auto* layout = new QVBoxLayout(box);
    m_formatGroup = new QButtonGroup(this);
    m_wav = new QRadioButton("WAV (uncompressed)", box);
    m_wma = new QRadioButton("Windows Media Audio", box);
    m_formatGroup->addButton(m_wav, int(AudioFileFormat::Wav));
    m_formatGroup->addButton(m_wma, int(AudioFileFormat::Wma));
    layout->addWidget(m_wav);
    layout->addWidget(m_wma);
    m_codec = new QComboBox(box);
    m_wmaFormat = new QComboBox(box);
    auto* lists = new QFormLayout;
    lists->addRow("Codec:", m_codec);
    lists->addRow("Format:", m_wmaFormat);
    layout->addLayout(lists);
    connect(m_formatGroup, &QButtonGroup::idClicked, this, &CWaveMixerDlg::OnFormatChanged);
    connect(m_codec, &QComboBox::activated, this, &CWaveMixerDlg::SelectWmaFormat);
    return box;
}

QWidget* CWaveMixerDlg::buildDestination()
{
    auto* box = new QGroupBox("Save to", this);
    auto* layout = new QVBoxLayout(box);
    m_saveToGroup = new QButtonGroup(this);
    m_newTrack = new QRadioButton("New waveform track", box);
    m_file = new QRadioButton("File:", box);
    m_saveToGroup->addButton(m_newTrack, int(MixDestination::NewWaveTrack));
    m_saveToGroup->addButton(m_file, int(MixDestination::File));
    m_path = new QLineEdit(box);
    m_browse = new QPushButton("...", box);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(m_browse);
    layout->addWidget(m_newTrack);
    layout->addLayout(fileRow);
    connect(m_saveToGroup, &QButtonGroup::idClicked, this, &CWaveMixerDlg::OnSaveToChanged);
    connect(m_browse, &QPushButton::clicked, this, &CWaveMixerDlg::OnBrowse);
    return box;
}

bool CWaveMixerDlg::OnInitDialog()
{
    m_initialised = true;
    return m_mixer.announce(m_mixer.choose(m_song), m_services.prompt);
}

int CWaveMixerDlg::exec()
{
    if (!m_initialised && !OnInitDialog()) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

// Clips are wave files, so a new waveform track offers no compressed
// format; the stored choice comes back with "File:".
void CWaveMixerDlg::showChoice()
{
    const bool toFile = m_settings.saveTo == MixDestination::File;
    const bool wma = m_settings.effectiveFormat() == AudioFileFormat::Wma;
    (toFile ? m_file : m_newTrack)->setChecked(true);
    (wma ? m_wma : m_wav)->setChecked(true);
    m_wma->setEnabled(toFile);
    m_codec->setEnabled(wma);
    m_wmaFormat->setEnabled(wma);
    m_path->setEnabled(toFile);
    m_browse->setEnabled(toFile);
}

void CWaveMixerDlg::OnSaveToChanged()
{
    m_settings.saveTo = MixDestination(m_saveToGroup->checkedId());
    showChoice();
}

void CWaveMixerDlg::OnFormatChanged()
{
    const auto format = AudioFileFormat(m_formatGroup->checkedId());
    if (format != m_settings.format) {
        m_settings.format = format;
        m_path->setText(qText(swapAudioExtension(m_path->text().toStdString(), format)));
    }
    showChoice();
}

// The codec's formats, with the 128 kbps one chosen.
void CWaveMixerDlg::SelectWmaFormat()
{
    const int codec = m_codec->currentIndex();
    m_wmaFormat->clear();
    for (const std::string& name : WmaWriter::formatNames(codec))
        m_wmaFormat->addItem(qText(name));
    m_wmaFormat->setCurrentIndex(WmaWriter::chooseFormat(codec, -1));
}

// The current format's filter comes first, so it is the one preselected
// and its extension the one added to a bare name.
void CWaveMixerDlg::OnBrowse()
{
    const bool wma = m_settings.effectiveFormat() == AudioFileFormat::Wma;
    const std::string filter = wma ? std::string(kWmaFilter) + ";;" + kWavFilter
                                   : std::string(kWavFilter) + ";;" + kWmaFilter;
    const std::filesystem::path current = localPath(m_path->text());
    const std::filesystem::path proposed =
        audioFilesFolder(m_services.profile, m_services.documents) / current.filename();
    const std::optional<std::filesystem::path> chosen =
        m_services.prompt.chooseSavePath(kBrowseTitle, proposed, filter);
    if (!chosen)
        return;
    m_path->setText(qtPath(*chosen));
    setAudioFilesFolder(m_services.profile, chosen->parent_path());
}

void CWaveMixerDlg::readControls()
{
    m_settings.codec = m_codec->currentIndex();
    m_settings.wmaFormat = m_wmaFormat->currentIndex();
    m_settings.saveTo = MixDestination(m_saveToGroup->checkedId());
    m_settings.path = m_path->text().toStdString();
}

void CWaveMixerDlg::setControlsEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_wav, m_wma, m_codec, m_wmaFormat, m_newTrack, m_file, m_path, m_browse, m_ok, m_help})
        control->setEnabled(enabled);
}

void CWaveMixerDlg::accept()
{
    if (!mixing())
        OnOK();
}

// Starts the worker; the dialog ends when it reports back.
void CWaveMixerDlg::OnOK()
{
    readControls();
    m_output = m_mixer.begin(m_settings, m_services.profile, m_services.prompt, m_services.files,
                             m_services.sampleRate);
    if (!m_output) {
        QDialog::reject();
        return;
    }
    setControlsEnabled(false);
    m_progress->setValue(0);
    m_stop = false;
    IAudioFileWriter* writer = m_output->writer.get();
    const uint32_t rate = m_services.sampleRate;
    // Runs on the worker: only the mixer's own clip copies and the writer.
    m_worker = std::thread([this, writer, rate] {
        int shown = -1;
        std::string reason;
        const bool written = m_mixer.mix(
            *writer, rate,
            [this, &shown](int permyriad) {
                if (permyriad != shown)
                    emit mixProgressed(shown = permyriad);
            },
            &m_stop, reason);
        emit mixEnded(written, qText(reason));
    });
}

// The mix is written to a scratch file beside its path; only a whole mix
// that nobody cancelled takes the path, so Cancel or a failed write leaves
// what was there.
void CWaveMixerDlg::OnMixEnded(bool written, const QString& reason)
{
    if (m_worker.joinable())
        m_worker.join();
    std::string why = reason.toStdString();
    if (written && !m_stop && WaveMixer::keep(*m_output, why)) {
        m_result = m_output->result;
        QDialog::accept();
        return;
    }
    WaveMixer::drop(*m_output);
    if (!m_stop)
        m_services.prompt.message("Could not write " + m_output->result.path.string() + ": " + why,
                                  PromptIcon::Stop);
    QDialog::reject();
}

void CWaveMixerDlg::reject()
{
    if (!mixing()) {
        QDialog::reject();
        return;
    }
    m_stop = true;
    m_cancel->setEnabled(false);
}

} // namespace rz
