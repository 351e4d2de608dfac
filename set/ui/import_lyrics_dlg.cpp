#include "set/ui/import_lyrics_dlg.h"

#include "core/engine_link.h"
#include "core/input_file.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "set/lyric_model.h"
#include "song/song_doc.h"
#include "song/track.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <limits>
#include <optional>

namespace rz {

namespace {

constexpr uint8_t kLyricMeta = 0x05;

std::string trimmedRight(std::string text)
{
    const size_t end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

std::string sorry(std::string_view format, const std::filesystem::path& path)
{
    std::string text(format);
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, path.string());
    return text;
}

} // namespace

CImportLyricsDlg::CImportLyricsDlg(CSongDoc& song, CTrack& target, IEngineLink& engine, IProfile& profile,
                                   IPrompt& prompt, QWidget* parent)
    : DialogBase(parent, kHelpTopic), m_song(song), m_target(target), m_engine(engine), m_profile(profile),
      m_prompt(prompt)
{
    setWindowTitle("Import lyrics");
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("text1052");
    m_open = new QPushButton("Open...", this);
    m_open->setObjectName("open1421");
    m_wordMode = new QRadioButton("Insert a word at a time", this);
    m_wordMode->setObjectName("mode1037");
    m_lineMode = new QRadioButton("Insert a line at a time", this);
    m_lineMode->setObjectName("mode1038");
    m_wordMode->setChecked(true);
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_wordMode, 0);
    modes->addButton(m_lineMode, 1);
    m_insert = new QPushButton("Insert", this);
    m_insert->setObjectName("insert1092");
    m_insert->setEnabled(false);
    m_insert->setAutoDefault(false);

    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(m_open, &QPushButton::clicked, this, &CImportLyricsDlg::openFile);
    // A double click arrives as a second press, so it inserts twice.
    connect(m_insert, &QPushButton::clicked, this, &CImportLyricsDlg::insertNext);
    connect(m_text, &QPlainTextEdit::textChanged, this, &CImportLyricsDlg::updateOk);
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &CImportLyricsDlg::timerStep);

    auto* side = new QVBoxLayout;
    side->addWidget(m_open);
    side->addWidget(m_wordMode);
    side->addWidget(m_lineMode);
    side->addWidget(m_insert);
    side->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_text, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    updateOk();
}

void CImportLyricsDlg::updateOk()
{
    if (m_tapping)
        return;
    m_ok->setEnabled(!trimmedRight(m_text->toPlainText().toStdString()).empty());
}

void CImportLyricsDlg::openFile()
{
    if (m_tapping)
        return;
    const std::filesystem::path folder = readSettingText(m_profile, settings::kDirsLyrics);
    const std::optional<std::filesystem::path> path =
        m_prompt.chooseOpenPath("Import lyrics...", folder, "Text files (*.txt)");
    if (!path)
        return;
    writeSettingText(m_profile, settings::kDirsLyrics, path->parent_path().string());
    // Only plain files, and not more than anyone would type.
    std::string reason;
    const auto file = InputFile::open(*path, std::numeric_limits<uint64_t>::max(), reason);
    if (file && file->size() > kMaxFileBytes) {
        m_prompt.message(sorry("Sorry, '%s' is too large to import.", *path), PromptIcon::Warning);
        return;
    }
    std::optional<std::string> bytes;
    if (file) {
        bytes.emplace(size_t(file->size()), '\0');
        if (!file->readAt(0, bytes->data(), bytes->size(), reason))
            bytes.reset();
    }
    if (!bytes) {
        m_prompt.message(sorry("Sorry, '%s' could not be read.", *path) + "\n" + reason, PromptIcon::Warning);
        return;
    }
    m_text->setPlainText(QString::fromStdString(decodeText(*bytes)));
}

void CImportLyricsDlg::accept()
{
    if (!m_tapping) {
        startTapping();
        return;
    }
    QDialog::accept();
}

void CImportLyricsDlg::startTapping()
{
    const std::string text = trimmedRight(m_text->toPlainText().toStdString());
    if (text.empty())
        return;
    const std::vector<std::string> pieces = SplitLyricText(text, m_lineMode->isChecked() ? 1 : 0);
    m_pending.assign(pieces.begin(), pieces.end());
    m_tapping = true;
    m_text->setReadOnly(true);
    m_open->setEnabled(false);
    m_wordMode->setEnabled(false);
    m_lineMode->setEnabled(false);
    m_ok->setEnabled(false);
    m_insert->setEnabled(true);
    m_insert->setFocus();
    showNextPiece();
    m_engine.LocateSong(m_song, 0);
    m_engine.Advance(true);
    m_timer.start();
}

void CImportLyricsDlg::showNextPiece()
{
    m_text->setPlainText(m_pending.empty() ? QString() : QString::fromStdString(m_pending.front()));
}

void CImportLyricsDlg::insertNext()
{
    if (!m_tapping || m_pending.empty())
        return;
    CMidiEvent event;
    event.tick = m_song.position();
    const std::vector<uint8_t> bytes = encodeText(m_pending.front());
    event.SetMetaData(kLyricMeta, bytes);
    m_target.InsertEventSorted(event);
    m_pending.pop_front();
    if (m_pending.empty())
        m_engine.Stop(false);
    showNextPiece();
}

void CImportLyricsDlg::timerStep()
{
    if (m_tapping && m_engine.transportState() == TransportState::Stopped) {
        m_timer.stop();
        QDialog::accept();
    }
}

} // namespace rz
