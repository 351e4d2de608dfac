#include "dialogs/song_props_dlg.h"

#include "core/prompt.h"
#include "core/smpte_time.h"
#include "dialogs/small_controls.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "song/song_doc.h"
#include "ui/local_path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QValidator>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr const char* kSongPropsHelpTopic = "::/SongProps.htm";
constexpr int kTitleLength = 80;
constexpr int kSubtitleLength = 120;
constexpr int kAuthorLength = 50;
constexpr int kCopyrightLength = 120;
constexpr int kVolumeTicks = 2;

constexpr const char* kRateNames[] = {"24 Frame", "25 Frame", "30 Drop Frame", "30 Non-Drop Frame"};

// Stops typing past a length without cutting a longer text the field was
// given: only a change that makes such a text longer is refused.
class TypingLimit : public QValidator {
public:
    // Given the field once it shows its text.
    TypingLimit(int maxLength, QLineEdit* edit) : QValidator(edit), m_max(maxLength), m_last(edit->text().size())
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_last = text.size(); });
    }
    State validate(QString& input, int&) const override
    {
        return input.size() > m_max && input.size() > m_last ? Invalid : Acceptable;
    }

private:
    int m_max;
    qsizetype m_last;
};

} // namespace

CSongPropsDlg::CSongPropsDlg(CSongDoc& song, QWidget* parent)
    : DialogBase(parent, kSongPropsHelpTopic), m_song(song), m_titleText(song.title),
      m_subtitleText(song.subtitle), m_authorText(song.author), m_copyrightText(song.copyright),
      m_memoText(song.memo), m_tempo(songStartTempo(song))
{
    setWindowTitle("Song properties...");
    // Controls are made in tab order, row by row.
    auto* form = new QFormLayout;
    addTextRows(form);
    addFileRows(form);
    addTempoRows(form);
    addOffsetRow(form);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(bottomRow());
    connectControls();
    if (!song.contentFlag)
        showOnly();
}

void CSongPropsDlg::addTextRows(QFormLayout* form)
{
    auto* path = new QLineEdit(qtPath(m_song.pathName.parent_path()), this);
    path->setReadOnly(true);
    path->setObjectName("path1005");
    m_title = textEdit(m_titleText, kTitleLength, "title1100");
    m_subtitle = textEdit(m_subtitleText, kSubtitleLength, "subtitle1006");
    m_author = textEdit(m_authorText, kAuthorLength, "author1007");
    m_copyright = textEdit(m_copyrightText, kCopyrightLength, "copyright1009");
    m_memo = new QPlainTextEdit(qtext(m_memoText.shown()), this);
    m_memo->setObjectName("memo1010");
    form->addRow("Path:", path);
    form->addRow("Title:", m_title);
    form->addRow("Subtitle:", m_subtitle);
    form->addRow("Author:", m_author);
    form->addRow("Copyright:", m_copyright);
    form->addRow("Memo:", m_memo);
}

void CSongPropsDlg::addFileRows(QFormLayout* form)
{
    m_timeBase = new QComboBox(this);
    m_timeBase->setObjectName("timebase1123");
    for (const int32_t base : songTimeBases())
        m_timeBase->addItem(QString::number(base), base);
    m_timeBase->setCurrentIndex(m_timeBase->findData(int(m_song.timeBase)));
    m_format = new QComboBox(this);
    m_format->setObjectName("format1124");
    m_format->addItems({"Format 0", "Format 1 (recommended)"});
    m_format->setCurrentIndex(m_song.format == 0 ? 0 : 1);
    auto* timeBase = new QHBoxLayout;
    timeBase->addWidget(m_timeBase);
    timeBase->addWidget(new QLabel("(PPQN, ticks per quarter note)", this));
    form->addRow("Timebase:", timeBase);
    form->addRow("MIDI file:", m_format);
}

// The initial tempo and the relative volume.
void CSongPropsDlg::addTempoRows(QFormLayout* form)
{
    m_specifyTempo = new QCheckBox("Specify initial tempo:", this);
    m_specifyTempo->setObjectName("specify1381");
    m_specifyTempo->setChecked(m_song.performanceTempo != 0);
    m_tempoEdit = new SpinEdit(this);
    m_tempoEdit->setObjectName("tempo1024");
    showTempo();
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName("volume1380");
    m_volume->setRange(-kMaxVolumeStep, kMaxVolumeStep);
    m_volume->setTickInterval(kVolumeTicks);
    m_volume->setTickPosition(QSlider::TicksBelow);
    m_volume->setValue(volumeStepOf(m_song.relativeVolume));
    auto* tempo = new QHBoxLayout;
    tempo->addWidget(m_specifyTempo);
    tempo->addWidget(m_tempoEdit);
    tempo->addWidget(new QLabel("BPM", this));
    form->addRow(tempo);
    form->addRow("Rel. volume:", m_volume);
}

void CSongPropsDlg::addOffsetRow(QFormLayout* form)
{
    m_offset = new CSmpteEdit(m_song.smpteOffset.time(), m_song.smpteOffset.rate(), this);
    m_offset->setObjectName("smpte134");
    m_rate = new QComboBox(this);
    m_rate->setObjectName("rate1329");
    for (const char* name : kRateNames)
        m_rate->addItem(name);
    m_rate->setCurrentIndex(m_song.smpteOffset.rate() < int(std::size(kRateNames)) ? m_song.smpteOffset.rate()
                                                                                     : -1);
    auto* offset = new QHBoxLayout;
    offset->addWidget(m_offset);
    offset->addWidget(m_rate);
    form->addRow("SMPTE offset:", offset);
}

// "Set as default" on the left of OK, Cancel and Help.
QBoxLayout* CSongPropsDlg::bottomRow()
{
    m_setDefault = new QPushButton("Set as default", this);
    m_setDefault->setObjectName("default1099");
    QDialogButtonBox* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_setDefault);
    bottom->addStretch();
    bottom->addWidget(buttons);
    return bottom;
}

void CSongPropsDlg::connectControls()
{
    connect(m_setDefault, &QPushButton::clicked, this, &CSongPropsDlg::setAsDefault);
    connect(m_rate, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_offset->setRate(index);
    });
    connect(m_tempoEdit, &SpinEdit::focusLost, this, &CSongPropsDlg::commitTempo);
    connect(m_tempoEdit, &SpinEdit::stepRequested, this, [this](bool up) {
        m_tempo.step(up);
        showTempo();
        m_tempoEdit->focusSelected();
    });
    const auto enableTempo = [this] { m_tempoEdit->setEnabled(m_specifyTempo->isChecked()); };
    connect(m_specifyTempo, &QCheckBox::toggled, this, enableTempo);
    enableTempo();
}

QLineEdit* CSongPropsDlg::textEdit(const SongText& text, int maxLength, const char* name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setText(qtext(text.shown()));
    edit->setValidator(new TypingLimit(maxLength, edit));
    return edit;
}

// A song that did not load is shown, and nothing in it can be changed.
void CSongPropsDlg::showOnly()
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_title, m_subtitle, m_author, m_copyright, m_memo,
                                                      m_timeBase, m_format, m_specifyTempo, m_tempoEdit,
                                                      m_volume, m_offset, m_rate, m_setDefault, m_ok})
        w->setEnabled(false);
}

// Typed text is read only when it differs from what the field shows, so an
// untouched tempo keeps the song's exact value.
void CSongPropsDlg::commitTempo()
{
    if (m_tempoEdit->text().toStdString() != m_tempo.text())
        m_tempo.type(m_tempoEdit->text().toStdString());
    showTempo();
}

void CSongPropsDlg::showTempo()
{
    m_tempoEdit->setText(qtext(m_tempo.text()));
}

SongPropsParams CSongPropsDlg::params() const
{
    SongPropsParams p;
    p.format = m_format->currentIndex() == 0 ? 0 : 1;
    p.pathName = m_song.pathName;
    p.title = m_titleText.result(m_title->text().trimmed().toStdString());
    p.subtitle = m_subtitleText.result(m_subtitle->text().toStdString());
    p.author = m_authorText.result(m_author->text().toStdString());
    p.copyright = m_copyrightText.result(m_copyright->text().toStdString());
    p.memo = m_memoText.result(m_memo->toPlainText().toStdString());
    p.smpteOffset = CSmpteTime(m_offset->time(), m_offset->rate());
    p.volumeStep = m_volume->value();
    p.specifyTempo = m_specifyTempo->isChecked();
    p.tempo = m_tempo.micros();
    p.timeBase = m_timeBase->currentIndex() >= 0 ? uint16_t(m_timeBase->currentData().toInt()) : m_song.timeBase;
    return p;
}

void CSongPropsDlg::setAsDefault()
{
    commitTempo();
    saveSongDefaults(m_song.context().profile, params(), m_timeBase->currentIndex() >= 0);
    m_song.context().prompt.message(kDefaultsSaved, PromptIcon::Information);
}

void CSongPropsDlg::accept()
{
    if (!m_song.contentFlag)
        return;
    m_ok->setFocus();
    commitTempo();
    SongPropsChoice choice;
    choice.trimmedTitle = m_title->text().trimmed().toStdString();
    choice.timeBase = m_timeBase->currentIndex() >= 0 ? m_timeBase->currentData().toInt() : 0;
    choice.songTimeBase = m_song.timeBase;
    choice.format = m_format->currentIndex() == 0 ? 0 : 1;
    choice.songFormat = m_song.format;
    if (!confirmSongProps(m_song.context().prompt, choice)) {
        if (choice.trimmedTitle.empty())
            m_title->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace rz
