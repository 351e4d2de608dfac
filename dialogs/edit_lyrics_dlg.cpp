#include "dialogs/edit_lyrics_dlg.h"

#include "core/prompt.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "dialogs/small_controls.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "ui/file_filter.h"
#include "ui/local_path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <filesystem>

namespace rz {

namespace {

constexpr char kBackgroundTitle[] = "Set lyric background...";
constexpr char kBackgroundFilter[] = "Graphic files (*.jpg,*.bmp)|*.jpg;*.bmp||";
constexpr const char* kBreaks[] = {
    "-", "End of word", "Melisma (same syllable, new pitch)", "New line", "New paragraph", "New page",
};
constexpr const char* kAlignments[] = {"Default", "Left", "Center", "Right"};

bool hasFontCodes(LyricBreak b)
{
    return b == LyricBreak::NewLine || b == LyricBreak::NewParagraph || b == LyricBreak::NewPage;
}

// A field's bytes: the stored ones while the field still shows them, so
// text in any encoding survives; else typed text in the stored text's
// encoding where it can be, UTF-8 otherwise.
std::string bytesOf(const QString& text, const std::string& stored)
{
    if (text == shown(stored))
        return stored;
    const std::string utf8 = text.toStdString();
    if (!isValidUtf8(stored))
        if (const std::optional<std::vector<uint8_t>> legacy = encodeWindows1252(utf8))
            return std::string(legacy->begin(), legacy->end());
    const std::vector<uint8_t> bytes = encodeText(utf8);
    return std::string(bytes.begin(), bytes.end());
}

LyricSwitch switchOf(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Unchecked: return LyricSwitch::Off;
    case Qt::Checked: return LyricSwitch::On;
    default: return LyricSwitch::Unchanged;
    }
}

void showSwitch(QCheckBox* box, LyricSwitch s)
{
    box->setCheckState(s == LyricSwitch::Off ? Qt::Unchecked : s == LyricSwitch::On ? Qt::Checked : Qt::PartiallyChecked);
}

QCheckBox* threeState(const char* text, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setTristate(true);
    return box;
}

std::filesystem::path documentsFolder()
{
    return localPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

} // namespace

CEditLyricsDlg::CEditLyricsDlg(CSongDoc& song, int32_t track, int32_t event, QWidget* parent)
    : DialogBase(parent), m_song(song),
      m_session(*song.tracks.at(size_t(track)), track, event, std::max(song.position(), 0))
{
    setWindowTitle("Edit Lyrics");
    buildControls();
    showSyllable();
}

CEditLyricsDlg::~CEditLyricsDlg() = default;

void CEditLyricsDlg::buildControls()
{
    makeControls();
    layOut();
    connectControls();
}

// In tab order, which puts "Use defaults" before the font it stands for.
void CEditLyricsDlg::makeControls()
{
    m_position = new CTimePosCtrl(m_song, 0, 0, this);
    m_text = new QLineEdit(this);
    m_break = new QComboBox(this);
    for (const char* text : kBreaks)
        m_break->addItem(text);
    m_useDefaults = new QCheckBox("Use defaults", this);
    m_font = new QLineEdit(this);
    m_size = new QLineEdit(this);
    m_align = new QComboBox(this);
    for (const char* text : kAlignments)
        m_align->addItem(text);
    m_bold = threeState("Bold", this);
    m_italics = threeState("Italics", this);
    m_underline = threeState("Underline", this);
    m_highlighting = threeState("Highlighting", this);
    m_reset = new QCheckBox("Reset to default on next line", this);
    m_background = new QLineEdit(this);
    m_browse = new QPushButton("...", this);
    m_insert = new QPushButton("&Insert", this);
    m_delete = new QPushButton("&Delete", this);
    m_prev = new QPushButton("< &Prev", this);
    m_next = new QPushButton("&Next >", this);
    for (QPushButton* button : {m_browse, m_insert, m_delete, m_prev, m_next})
        button->setAutoDefault(false);
}

// The syllable, its format, the background and the moves, over the buttons.
void CEditLyricsDlg::layOut()
{
    auto* form = new QFormLayout;
    form->addRow("Position", m_position);
    form->addRow("Text", m_text);
    form->addRow("Break", m_break);
    auto* format = new QGridLayout;
    format->addWidget(new QLabel("Font", this), 0, 0);
    format->addWidget(m_font, 0, 1);
    format->addWidget(new QLabel("Size", this), 0, 2);
    format->addWidget(m_size, 0, 3);
    format->addWidget(new QLabel("Align", this), 1, 0);
    format->addWidget(m_align, 1, 1);
    format->addWidget(m_useDefaults, 1, 2, 1, 2);
    format->addWidget(m_bold, 2, 0);
    format->addWidget(m_italics, 2, 1);
    format->addWidget(m_underline, 2, 2);
    format->addWidget(m_highlighting, 2, 3);
    format->addWidget(m_reset, 3, 0, 1, 4);
    auto* background = new QHBoxLayout;
    background->addWidget(new QLabel("Background", this));
    background->addWidget(m_background, 1);
    background->addWidget(m_browse);
    auto* moves = new QHBoxLayout;
    for (QPushButton* button : {m_insert, m_delete, m_prev, m_next})
        moves->addWidget(button);
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(format);
    layout->addLayout(background);
    layout->addLayout(moves);
    layout->addWidget(buttons);
}

void CEditLyricsDlg::connectControls()
{
    connect(m_break, &QComboBox::currentIndexChanged, this, [this] { updateEnables(); });
    connect(m_browse, &QPushButton::clicked, this, [this] { chooseBackground(); });
    connect(m_prev, &QPushButton::clicked, this, [this] {
        store();
        m_session.previous();
        showSyllable();
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        store();
        m_session.next();
        showSyllable();
    });
    connect(m_insert, &QPushButton::clicked, this, [this] {
        store();
        m_session.insert(std::max(m_song.position(), 0));
        showSyllable();
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        m_session.remove();
        showSyllable();
    });
}

// Every syllable starts from the initial fields: carrying the last one's
// forward would rewrite a break merely passed over.
void CEditLyricsDlg::showSyllable()
{
    const LyricEditSession::Syllable* s = m_session.currentSyllable();
    m_shownBytes = s ? s->bytes : std::string();
    m_shown = s ? LyricToText(m_shownBytes) : LyricFields{};
    const LyricFields& f = m_shown;
    m_position->setTick(s ? s->tick : 0);
    m_text->setText(shown(f.text));
    m_break->setCurrentIndex(int(f.breakKind));
    m_useDefaults->setChecked(f.useDefaults);
    m_font->setText(shown(f.fontName));
    m_size->setText(shown(f.size));
    m_align->setCurrentIndex(f.align);
    showSwitch(m_bold, f.bold);
    showSwitch(m_italics, f.italics);
    showSwitch(m_underline, f.underline);
    showSwitch(m_highlighting, f.highlighting);
    m_reset->setChecked(f.resetNextLine);
    m_background->setText(shown(f.background));
    updateEnables();
}

std::string CEditLyricsDlg::shownBytes() const
{
    LyricFields f;
    f.breakKind = LyricBreak(std::max(m_break->currentIndex(), 0));
    QString text = m_text->text();
    if (!hasFontCodes(f.breakKind)) {
        // The break says whether a blank follows.
        while (text.endsWith(' '))
            text.chop(1);
    }
    f.text = bytesOf(text, m_shown.text);
    if (hasFontCodes(f.breakKind)) {
        f.useDefaults = m_useDefaults->isChecked();
        f.fontName = bytesOf(m_font->text(), m_shown.fontName);
        f.size = bytesOf(m_size->text(), m_shown.size);
        f.align = m_align->currentIndex();
        f.bold = switchOf(m_bold);
        f.italics = switchOf(m_italics);
        f.underline = switchOf(m_underline);
        f.highlighting = switchOf(m_highlighting);
        f.resetNextLine = m_reset->isChecked();
        f.background = bytesOf(m_background->text(), m_shown.background);
    }
    if (f == m_shown)
        return m_shownBytes;
    return TextToLyric(f);
}

// A position past the song's measures is held at their end and shown, so a
// typo cannot lengthen the song by hours.
void CEditLyricsDlg::store()
{
    if (!m_session.currentSyllable())
        return;
    const int32_t end = std::max({m_song.endTick, m_song.measureMapEnd, 0});
    const int32_t tick = std::clamp(m_position->tick(), 0, end);
    if (tick != m_position->tick())
        m_position->setTick(tick);
    m_session.store(tick, shownBytes());
}

void CEditLyricsDlg::updateEnables()
{
    const bool any = m_session.currentSyllable() != nullptr;
    const LyricBreak b = any ? LyricBreak(std::max(m_break->currentIndex(), 0)) : LyricBreak::Melisma;
    const bool fonts = any && hasFontCodes(b);
    m_position->setEnabled(any);
    m_break->setEnabled(any);
    m_text->setEnabled(any && b != LyricBreak::Melisma);
    for (QWidget* w : std::initializer_list<QWidget*>{m_font, m_size, m_align, m_bold, m_italics, m_underline,
                                                      m_highlighting, m_useDefaults, m_reset})
        w->setEnabled(fonts);
    m_background->setEnabled(any && b == LyricBreak::NewPage);
    m_browse->setEnabled(any && b == LyricBreak::NewPage);
    m_delete->setEnabled(any);
    m_prev->setEnabled(m_session.hasPrevious());
    m_next->setEnabled(m_session.hasNext());
}

void CEditLyricsDlg::chooseBackground()
{
    IProfile& profile = m_song.context().profile;
    const std::string folder = readSettingTextOr(profile, settings::kDirsGraphics, documentsFolder().string());
    const std::optional<std::filesystem::path> chosen = m_song.context().prompt.chooseOpenPath(
        kBackgroundTitle, folder, toQtFilter(kBackgroundFilter).toStdString());
    if (!chosen)
        return;
    writeSettingText(profile, settings::kDirsGraphics, chosen->parent_path().string());
    m_background->setText(qtPath(*chosen));
}

void CEditLyricsDlg::accept()
{
    store();
    m_record = m_session.record();
    QDialog::accept();
}

} // namespace rz
