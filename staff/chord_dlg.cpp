#include "staff/chord_dlg.h"

#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "dialogs/field_values.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "staff/chord_grid.h"
#include "staff/symbols/staff_marks.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

using namespace chord_grid;

constexpr const char* kChordHelpTopic = "::/Chords.htm";
constexpr QSize kPictureSize(240, 164);
// The grid inside the picture, room left for the name above it, the marks
// over the strings and the first fret's number beside it.
constexpr int kGridSide = 82;
constexpr int kGridTop = 64;
constexpr int kGridBottom = 12;
constexpr int kGroupLength = 12;
constexpr int kChordLength = 16;
// The audition keeps the chord sounding this many steps after its last note.
constexpr int kStepsAfterLastNote = 4;
// Bits 24..31 of a message the port keeps with its note and never sends.
constexpr uint32_t kPreviewTag = 0xFFu << 24;
constexpr const char* kMarkNames[] = {"1st finger", "2nd finger", "3rd finger", "4th finger",
                                      "Thumb",      "Open",       "Not played"};

std::string trimmed(const QString& text)
{
    return text.trimmed().toStdString();
}

// A bar would split the marker's text wrongly.
bool usableName(const std::string& text)
{
    return !text.empty() && text.find('|') == std::string::npos;
}

QPushButton* button(const char* text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

CChordDlg::CChordDlg(CSongDoc& song, IChordBook* book, const ChordParams& start, QWidget* parent)
    : DialogBase(parent, kChordHelpTopic), m_song(song), m_book(book), m_start(start), m_result(start)
{
    setWindowTitle("Chord properties");
    m_editing = !start.text.empty() || !start.name.empty()
                || std::any_of(start.chord.begin(), start.chord.end(), [](int32_t b) { return b != 0; });
    m_grid = filled(kHiddenByte);
    if (m_editing) {
        for (size_t i = 0; i < m_grid.size(); ++i)
            m_grid[i] = uint8_t(start.chord[i]);
    }
    m_saved = m_grid;
    buildControls();
    m_marks->button(kFirstFinger)->setChecked(true);
    m_insert->setCurrentIndex(readSetting(song.context().profile, settings::kDefaultsInsertChordNotes));
    fillTracks(start.track);
    m_track->setEnabled(!m_editing);
    fillGroups();
    {
        const QSignalBlocker blockGroup(m_group);
        const QSignalBlocker blockChord(m_chord);
        const QString group = QString::fromStdString(m_editing ? start.text : std::string("Standard"));
        m_group->setCurrentIndex(m_group->findText(group, Qt::MatchExactly | Qt::MatchCaseSensitive));
        m_group->setEditText(group);
        m_chord->setEditText(QString::fromStdString(m_editing ? start.name : std::string()));
    }
    // A chord the table lists opens on the table's grid.
    fillChords();
    m_chord->setFocus();
}

CChordDlg::~CChordDlg()
{
    endNotes();
}

// Controls are made in tab order: the chord's fields, the grid and its
// buttons, then OK, Cancel and Help.
void CChordDlg::buildControls()
{
    makeChordFields();
    QBoxLayout* marks = makeGridControls();
    layOut(marks);
    connectControls();
}

void CChordDlg::makeChordFields()
{
    m_track = new QComboBox(this);
    m_track->setObjectName("track1018");
    m_track->setEditable(true);
    m_group = new QComboBox(this);
    m_group->setObjectName("group1194");
    m_group->setEditable(true);
    m_group->setInsertPolicy(QComboBox::NoInsert);
    m_group->lineEdit()->setMaxLength(kGroupLength);
    m_chord = new QComboBox(this);
    m_chord->setObjectName("chord1195");
    m_chord->setEditable(true);
    m_chord->setInsertPolicy(QComboBox::NoInsert);
    m_chord->lineEdit()->setMaxLength(kChordLength);
    m_insert = new QComboBox(this);
    m_insert->setObjectName("insert1404");
    m_insert->addItems({"Guitar tab", "Notes", "Both notes & tab"});
    m_position = new CTimePosCtrl(m_song, std::clamp(m_start.tick, 0, kMaxDialogTick), 0, this);
    m_position->setObjectName("position1006");
}

// The grid's picture, its marks (in the layout returned), the table and
// grid buttons, and the audition timer.
QBoxLayout* CChordDlg::makeGridControls()
{
    m_picture = new QLabel(this);
    m_picture->setObjectName("picture1193");
    m_picture->setFixedSize(kPictureSize);
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture->installEventFilter(this);
    m_marks = new QButtonGroup(this);
    auto* marks = new QVBoxLayout;
    for (int mark = kFirstFinger; mark <= kNotPlayed; ++mark) {
        auto* radio = new QRadioButton(kMarkNames[mark], this);
        radio->setObjectName(QString("mark%1").arg(1037 + mark));
        m_marks->addButton(radio, mark);
        marks->addWidget(radio);
    }
    m_add = button("Add", "add1197", this);
    m_remove = button("Remove", "remove1198", this);
    m_showGrid = button("Hide grid", "grid1199", this);
    m_clear = button("Clear", "clear1196", this);
    m_play = button("Play", "play1201", this);
    m_fretUp = new QToolButton(this);
    m_fretUp->setObjectName("fretUp1200");
    m_fretUp->setArrowType(Qt::UpArrow);
    m_fretDown = new QToolButton(this);
    m_fretDown->setObjectName("fretDown1200");
    m_fretDown->setArrowType(Qt::DownArrow);
    m_timer = new QTimer(this);
    m_timer->setInterval(kAuditionStepMs);
    return marks;
}

void CChordDlg::layOut(QBoxLayout* marks)
{
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    auto* form = new QFormLayout;
    form->addRow("Track:", m_track);
    form->addRow("Group:", m_group);
    form->addRow("Chord:", m_chord);
    form->addRow("Show at:", m_position);
    form->addRow("Insert:", m_insert);
    auto* tableButtons = new QHBoxLayout;
    tableButtons->addWidget(m_add);
    tableButtons->addWidget(m_remove);
    auto* fret = new QHBoxLayout;
    fret->addWidget(new QLabel("Fret +/-:", this));
    fret->addWidget(m_fretUp);
    fret->addWidget(m_fretDown);
    auto* gridButtons = new QVBoxLayout;
    gridButtons->addLayout(marks);
    gridButtons->addLayout(fret);
    gridButtons->addWidget(m_showGrid);
    gridButtons->addWidget(m_clear);
    gridButtons->addWidget(m_play);
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(m_picture);
    gridRow->addLayout(gridButtons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(tableButtons);
    layout->addLayout(gridRow);
    layout->addWidget(buttons);
}

void CChordDlg::connectControls()
{
    connect(m_group, &QComboBox::currentIndexChanged, this, &CChordDlg::fillChords);
    connect(m_group, &QComboBox::editTextChanged, this, &CChordDlg::fillChords);
    connect(m_chord, &QComboBox::currentIndexChanged, this, [this] {
        m_reload = true;
        refresh();
    });
    connect(m_chord, &QComboBox::editTextChanged, this, [this] {
        m_reload = true;
        refresh();
    });
    connect(m_track, &QComboBox::activated, this, &CChordDlg::trackChosen);
    connect(m_track->lineEdit(), &QLineEdit::editingFinished, this, &CChordDlg::trackChosen);
    connect(m_add, &QPushButton::clicked, this, &CChordDlg::addChord);
    connect(m_remove, &QPushButton::clicked, this, &CChordDlg::removeChord);
    connect(m_showGrid, &QPushButton::clicked, this, &CChordDlg::toggleGrid);
    connect(m_clear, &QPushButton::clicked, this, &CChordDlg::clearGrid);
    connect(m_play, &QPushButton::clicked, this, &CChordDlg::play);
    // Down the spin is up the neck.
    connect(m_fretUp, &QToolButton::clicked, this, [this] { moveFrets(-1); });
    connect(m_fretDown, &QToolButton::clicked, this, [this] { moveFrets(1); });
    connect(m_timer, &QTimer::timeout, this, &CChordDlg::tick);
}

QRadioButton* CChordDlg::markButton(int mark) const
{
    return qobject_cast<QRadioButton*>(m_marks->button(mark));
}

QRect CChordDlg::gridRect() const
{
    return QRect(QPoint(kGridSide, kGridTop),
                 QPoint(kPictureSize.width() - kGridSide - 1, kPictureSize.height() - kGridBottom - 1));
}

// ---- tracks

void CChordDlg::fillTracks(int track)
{
    const int last = std::max(int(m_song.tracks.size()) - 2, 1);
    for (int t = 1; t <= last && size_t(t) < m_song.tracks.size(); ++t)
        m_track->addItem(QString("%1: %2").arg(t).arg(QString::fromStdString(m_song.tracks[size_t(t)]->name)));
    m_trackIndex = std::clamp(track, 1, last);
    m_track->setCurrentIndex(m_trackIndex - 1);
}

// A typed number outside the song's tracks is ignored.
void CChordDlg::trackChosen()
{
    const QString text = m_track->currentText();
    const int typed = typedNumber(text.section(':', 0, 0).toStdString());
    const int last = int(m_song.tracks.size()) - 2;
    if (typed >= 1 && typed <= last)
        m_trackIndex = typed;
    m_track->setCurrentIndex(m_trackIndex - 1);
    refresh();
}

IMidiOut* CChordDlg::port() const
{
    if (m_trackIndex < 1 || size_t(m_trackIndex) >= m_song.tracks.size())
        return nullptr;
    return m_song.tracks[size_t(m_trackIndex)]->outputPort;
}

// ---- the chord table

bool CChordDlg::report(const std::string& error)
{
    if (error.empty())
        return true;
    m_song.context().prompt.message(error, PromptIcon::Stop);
    return false;
}

void CChordDlg::fillGroups()
{
    if (m_book == nullptr)
        return;
    const ChordBookAnswer<std::vector<std::string>> groups = m_book->groups();
    if (!report(groups.error))
        return;
    for (const std::string& group : groups.value) {
        const QString name = QString::fromStdString(group).trimmed();
        if (!name.isEmpty() && m_group->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            m_group->addItem(name);
    }
}

// The chord list of the group shown, the typed chord kept.
void CChordDlg::fillChords()
{
    const QString typed = m_chord->currentText();
    {
        const QSignalBlocker block(m_chord);
        m_chord->clear();
        const std::string group = groupText();
        if (m_book != nullptr && !group.empty()
            && m_group->findText(QString::fromStdString(group), Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) {
            const ChordBookAnswer<std::vector<ChordBookEntry>> chords = m_book->chords(group);
            report(chords.error);
            for (const ChordBookEntry& chord : chords.value)
                m_chord->addItem(QString::fromStdString(chord.name).trimmed(), qlonglong(chord.id));
        }
        m_chord->setCurrentIndex(m_chord->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive));
        m_chord->setEditText(typed);
    }
    m_reload = true;
    refresh();
}

std::string CChordDlg::groupText() const
{
    return trimmed(m_group->currentText());
}

std::string CChordDlg::chordText() const
{
    return trimmed(m_chord->currentText());
}

// The id of the listed chord the chord field names; 0 for a new name.
int64_t CChordDlg::chordId() const
{
    const int at = m_chord->findText(QString::fromStdString(chordText()), Qt::MatchExactly | Qt::MatchCaseSensitive);
    return at >= 0 ? m_chord->itemData(at).toLongLong() : 0;
}

void CChordDlg::refresh()
{
    const bool named = usableName(groupText()) && usableName(chordText());
    std::optional<std::string> data;
    if (const int64_t id = chordId(); id != 0 && m_book != nullptr) {
        ChordBookAnswer<std::optional<std::string>> found = m_book->data(id);
        if (found.ok())
            data = std::move(found.value);
        else if (!m_readFailed)
            m_readFailed = !report(found.error);
    }
    if (data) {
        if (m_reload) {
            m_grid = chordGridOf(*data).value_or(filled(kHiddenByte));
            m_saved = m_grid;
            m_reload = false;
        }
        m_ok->setEnabled(named);
        m_add->setEnabled(named && m_grid != m_saved);
        m_remove->setEnabled(m_grid == m_saved);
    } else {
        m_ok->setEnabled(named);
        m_add->setEnabled(named && m_book != nullptr);
        m_remove->setEnabled(false);
    }
    const bool shown = !chord_grid::isHidden(m_grid);
    m_showGrid->setText(shown ? "Hide grid" : "Show grid");
    m_clear->setEnabled(shown);
    m_fretUp->setEnabled(shown);
    m_fretDown->setEnabled(shown);
    m_play->setEnabled(shown && port() != nullptr && !auditioning());
    if (auditioning()) {
        m_ok->setEnabled(false);
        m_cancel->setEnabled(false);
    }
    drawPicture();
}

void CChordDlg::drawPicture()
{
    QPixmap picture(kPictureSize);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        m_firstFret = DrawStaffMarks(painter, gridRect(), m_grid, QString::fromStdString(chordText()), m_highlight,
                                     font());
    }
    m_picture->setPixmap(picture);
}

// ---- the grid

int CChordDlg::selectedMark() const
{
    return std::max(m_marks->checkedId(), int(kFirstFinger));
}

bool CChordDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture && event->type() == QEvent::MouseButtonPress) {
        clickGrid(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CChordDlg::clickGrid(QPoint at)
{
    if (chord_grid::isHidden(m_grid) || auditioning())
        return;
    const QRect grid = gridRect();
    const int mark = selectedMark();
    const std::optional<Placement> placed =
        placeAt(at.x() - grid.left(), at.y() - grid.top(), grid.width(), grid.height(), m_firstFret, mark);
    if (!placed)
        return;
    m_grid[size_t(placed->string)] = placed->byte;
    if (isFingered(mark))
        m_marks->button(markAfter(mark))->setChecked(true);
    refresh();
}

void CChordDlg::toggleGrid()
{
    // Not reloaded after showing: a listed chord without a grid would hide
    // it again at once.
    m_grid = filled(chord_grid::isHidden(m_grid) ? kClearedByte : kHiddenByte);
    refresh();
}

void CChordDlg::clearGrid()
{
    m_grid = filled(kClearedByte);
    refresh();
}

// Refused as a whole when any finger would leave the neck.
void CChordDlg::moveFrets(int frets)
{
    if (shiftFrets(m_grid, frets))
        refresh();
}

void CChordDlg::addChord()
{
    const std::string group = groupText();
    const std::string chord = chordText();
    if (m_book == nullptr || !usableName(group) || !usableName(chord))
        return;
    const ChordBookAnswer<int64_t> added = m_book->add(group, chord, m_grid);
    if (!report(added.error))
        return;
    const QString groupName = QString::fromStdString(group);
    const QString chordName = QString::fromStdString(chord);
    const QSignalBlocker blockGroup(m_group);
    const QSignalBlocker blockChord(m_chord);
    if (m_group->findText(groupName, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        m_group->addItem(groupName);
    m_group->setCurrentIndex(m_group->findText(groupName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    m_chord->addItem(chordName, qlonglong(added.value));
    m_chord->setCurrentIndex(m_chord->count() - 1);
    m_reload = true;
    refresh();
}

void CChordDlg::removeChord()
{
    const int64_t id = chordId();
    if (m_book == nullptr || id == 0)
        return;
    const std::string question =
        "Are you sure that you want to remove '" + groupText() + "/" + chordText() + "'?";
    if (m_song.context().prompt.askYesNo(question) != PromptAnswer::Yes)
        return;
    if (!report(m_book->remove(id).error))
        return;
    const int index = m_chord->currentIndex();
    {
        const QSignalBlocker block(m_chord);
        m_chord->setEditText(QString());
    }
    fillChords();
    const QSignalBlocker block(m_chord);
    m_chord->setCurrentIndex(std::min(index, m_chord->count() - 1));
    m_reload = true;
    refresh();
}

// ---- the audition

bool CChordDlg::auditioning() const
{
    return m_timer->isActive();
}

void CChordDlg::play()
{
    m_playPort = port();
    if (m_playPort == nullptr || chord_grid::isHidden(m_grid) || auditioning())
        return;
    m_playString = nextSounding(m_grid, 0);
    m_ticksAfter = 0;
    m_play->setEnabled(false);
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    m_timer->start();
}

void CChordDlg::tick()
{
    if (m_playPort == nullptr) {
        stopAudition();
        return;
    }
    if (m_playString < kStrings) {
        if (const std::optional<int> note = noteOf(m_grid, m_playString)) {
            const int channel = m_song.tracks[size_t(m_trackIndex)]->channel & 15;
            const uint32_t message = kPreviewTag | midi::noteOn(channel, *note, kNoteVelocity);
            m_playPort->SendShort(message);
            m_sounding.push_back(message);
        }
        m_highlight = m_playString;
        m_playString = nextSounding(m_grid, m_playString + 1);
        drawPicture();
        return;
    }
    if (++m_ticksAfter >= kStepsAfterLastNote)
        stopAudition();
}

// Every note the audition sounded is ended on the port it went to.
void CChordDlg::endNotes()
{
    m_timer->stop();
    for (const uint32_t on : m_sounding) {
        const uint32_t off = midi::shortMessage(midi::onChannel(midi::kNoteOff, midi::channelOf(on)),
                                                midi::firstDataByte(on), 0);
        m_playPort->SendShort(kPreviewTag | off);
    }
    m_sounding.clear();
    m_playString = -1;
    m_highlight = -1;
    m_playPort = nullptr;
}

void CChordDlg::stopAudition()
{
    endNotes();
    m_cancel->setEnabled(true);
    refresh();
}

// ---- closing

void CChordDlg::done(int result)
{
    if (auditioning())
        stopAudition();
    QDialog::done(result);
}

void CChordDlg::accept()
{
    const std::string group = groupText();
    const std::string chord = chordText();
    if (auditioning() || !usableName(group) || !usableName(chord))
        return;
    writeSetting(m_song.context().profile, settings::kDefaultsInsertChordNotes, m_insert->currentIndex());
    m_result = m_start;
    m_result.track = m_trackIndex;
    m_result.tick = std::max(m_position->tick(), 0);
    m_result.insertMode = std::max(m_insert->currentIndex(), 0);
    for (size_t i = 0; i < m_grid.size(); ++i)
        m_result.chord[i] = int32_t(m_grid[i] | kByteBit);
    m_result.text = group;
    m_result.name = chord;
    m_result.notes = chordNotes(m_grid);
    QDialog::accept();
}

} // namespace rz
