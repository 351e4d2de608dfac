#include "dialogs/find_dlg.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "core/text_codec.h"
#include "dialogs/field_values.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "res/command_ids.h"
#include "song/find_criteria_bytes.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/dlg_bars.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

namespace {

constexpr char kFindHelpTopic[] = "::/Find.htm";
constexpr int kMaxPatternChars = int(FindCriteria::kPatternBytes) - 1;
constexpr int32_t kLongestDuration = 24000; // the arrows' end; typed values may go past it

struct KindSpec {
    const char* text;
    int32_t FindCriteria::*flag;
};

// In the order of FindKind.
constexpr KindSpec kFindKinds[kFindKindCount] = {
    {"Aftertouch", &FindCriteria::polyPressure}, {"Controllers", &FindCriteria::controllers},
    {"Meta", &FindCriteria::text},               {"Notes", &FindCriteria::notes},
    {"Patch changes", &FindCriteria::programs},  {"Pitch wheel", &FindCriteria::pitchBend},
    {"Pressure", &FindCriteria::channelPressure}, {"Sysex", &FindCriteria::sysex},
    {"Chords", &FindCriteria::chords},           {"RPN", &FindCriteria::rpn},
    {"NRPN", &FindCriteria::nrpn},               {"Wedges", &FindCriteria::wedges},
};

enum class Style { Number, Note, Duration };

struct FieldSpec {
    const char* label;
    FindRange FindCriteria::*range;
    FindKind kind;
    Style style;
    int32_t lo, hi; // the arrows' range
};

// In the order of FindField.
constexpr FieldSpec kFields[kFindFieldCount] = {
    {"Note", &FindCriteria::key, FindKind::Notes, Style::Note, 0, 127},
    {"Velocity", &FindCriteria::velocity, FindKind::Notes, Style::Number, 0, 127},
    {"Duration", &FindCriteria::duration, FindKind::Notes, Style::Duration, 0, kLongestDuration},
    {"Number", &FindCriteria::controller, FindKind::Controllers, Style::Number, 0, 127},
    {"Value", &FindCriteria::controllerValue, FindKind::Controllers, Style::Number, 0, 127},
    {"Program", &FindCriteria::program, FindKind::Patches, Style::Number, 0, 127},
    {"Bank", &FindCriteria::bank, FindKind::Patches, Style::Number, 0, 16383},
    {"Note", &FindCriteria::pressureKey, FindKind::Aftertouch, Style::Note, 0, 127},
    {"Value", &FindCriteria::pressureValue, FindKind::Aftertouch, Style::Number, 0, 127},
    {"Value", &FindCriteria::channelPressureValue, FindKind::Pressure, Style::Number, 0, 127},
    {"Value", &FindCriteria::bend, FindKind::PitchWheel, Style::Number, -8192, 8191},
    {"Number", &FindCriteria::rpnNumber, FindKind::Rpn, Style::Number, 0, 16383},
    {"Value", &FindCriteria::rpnValue, FindKind::Rpn, Style::Number, 0, 16383},
    {"Number", &FindCriteria::nrpnNumber, FindKind::Nrpn, Style::Number, 0, 16383},
    {"Value", &FindCriteria::nrpnValue, FindKind::Nrpn, Style::Number, 0, 16383},
};

// The order the kinds are laid out in, rows under their kind.
constexpr FindKind kShownKinds[] = {
    FindKind::Notes, FindKind::Controllers, FindKind::Patches, FindKind::Aftertouch,
    FindKind::Pressure, FindKind::PitchWheel, FindKind::Rpn, FindKind::Nrpn,
    FindKind::Meta, FindKind::Chords, FindKind::Sysex, FindKind::Wedges,
};

const FieldSpec& specOf(FindField field) { return kFields[size_t(field)]; }

// Typed text as stored bytes, cut to what the record holds without
// splitting a character.
std::string patternBytes(const QString& typed)
{
    std::vector<uint8_t> bytes = encodeText(typed.toStdString());
    size_t end = std::min(bytes.size(), size_t(kMaxPatternChars));
    while (end > 0 && end < bytes.size() && (bytes[end] & 0xC0) == 0x80)
        --end;
    return std::string(bytes.begin(), bytes.begin() + std::ptrdiff_t(end));
}

QString shownPattern(std::string_view bytes)
{
    return QString::fromStdString(decodeText(bytes));
}

constexpr CommandRow<CFindDlg> kCommands[] = {
    {kIdSaveMap, kIdSaveMap, &CFindDlg::onSavePreset, &CFindDlg::onUpdatePreset},
    {kIdDeleteMap, kIdDeleteMap, &CFindDlg::onDeletePreset, &CFindDlg::onUpdatePreset},
};

} // namespace

std::span<const CommandRow<CFindDlg>> CFindDlg::commandTable() { return kCommands; }

CFindDlg::CFindDlg(CSongDoc& song, QWidget* parent)
    : TimeEditDialog("Find", kFindHelpTopic, parent), m_song(song), m_store(song.context().profile)
{
    buildControls();
    listPresets();
    const std::string useWhich = m_store.useWhich();
    const int chosen = m_presets->findText(QString::fromStdString(useWhich), Qt::MatchFixedString);
    {
        const QSignalBlocker block(m_presets);
        m_presets->setCurrentIndex(std::max(chosen, 0));
    }
    loadPreset(true);
}

// Controls are made in tab order, row by row.
void CFindDlg::buildControls()
{
    QBoxLayout* top = presetRow();
    m_findAll = checkBox("selectAll", "Select all events", false);
    m_selectedTracks = checkBox("selectedTracks", "Search selected tracks only", false);
    QGridLayout* grid = kindGrid();
    QBoxLayout* time = timeRow();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_findAll);
    layout->addWidget(m_selectedTracks);
    layout->addLayout(grid);
    layout->addLayout(time);
    m_ok = addButtonRow(layout)->button(QDialogButtonBox::Ok);

    connect(m_presets, &QComboBox::currentIndexChanged, this, [this] { loadPreset(); });
    connect(m_presets, &QComboBox::editTextChanged, this, [this] { loadPreset(); });
    connect(m_setAll, &QPushButton::clicked, this, [this] { setAll(); });
    connect(m_setNone, &QPushButton::clicked, this, [this] { setNone(); });
}

// The presets with their tools, and Set all and Set none.
QBoxLayout* CFindDlg::presetRow()
{
    m_presets = new QComboBox(this);
    m_presets->setObjectName("presets");
    m_presets->setEditable(true);
    m_presets->setInsertPolicy(QComboBox::NoInsert);
    m_presets->setMinimumWidth(160);
    m_tools = new DlgToolBar(*this, this);
    QStyle* style = QApplication::style();
    m_tools->addCommand(kIdSaveMap, style->standardIcon(QStyle::SP_FileDialogNewFolder), "Save the preset");
    m_tools->addCommand(kIdDeleteMap, style->standardIcon(QStyle::SP_TrashIcon), "Delete the preset");
    m_setAll = new QPushButton("Set all", this);
    m_setNone = new QPushButton("Set none", this);
    auto* top = new QHBoxLayout;
    top->addWidget(m_presets, 1);
    top->addWidget(m_tools);
    top->addWidget(m_setAll);
    top->addWidget(m_setNone);
    return top;
}

// A check box per kind of event, with its fields' ranges beside it.
QGridLayout* CFindDlg::kindGrid()
{
    auto* grid = new QGridLayout;
    int line = 0;
    for (const FindKind kind : kShownKinds) {
        QCheckBox* box = checkBox(kFindKinds[size_t(kind)].text, kFindKinds[size_t(kind)].text, true);
        m_kinds[size_t(kind)] = box;
        grid->addWidget(box, line, 0);
        line = addFieldRows(grid, kind, line) + 1;
    }
    return grid;
}

// The range rows of one kind from `line` on, and the text row of the kinds
// that have one; the last line used.
int CFindDlg::addFieldRows(QGridLayout* grid, FindKind kind, int line)
{
    bool first = true;
    for (size_t f = 0; f < kFindFieldCount; ++f) {
        if (kFields[f].kind != kind)
            continue;
        if (!first)
            ++line;
        first = false;
        Row& row = m_rows[f];
        row.from = fieldEdit(FindField(f));
        row.to = fieldEdit(FindField(f));
        row.outside = checkBox("not", "not", false);
        grid->addWidget(new QLabel(kFields[f].label, this), line, 1);
        grid->addWidget(row.from, line, 2);
        grid->addWidget(new QLabel("to", this), line, 3);
        grid->addWidget(row.to, line, 4);
        grid->addWidget(row.outside, line, 5);
    }
    if (kind == FindKind::Meta || kind == FindKind::Chords) {
        auto* text = new QLineEdit(this);
        text->setMaxLength(kMaxPatternChars);
        QCheckBox* outside = checkBox("not", "not", false);
        (kind == FindKind::Meta ? m_text : m_chord) = text;
        (kind == FindKind::Meta ? m_textNot : m_chordNot) = outside;
        grid->addWidget(new QLabel("Text", this), line, 1);
        grid->addWidget(text, line, 2, 1, 3);
        grid->addWidget(outside, line, 5);
    }
    return line;
}

// The time range, preset to the song's selected time.
QBoxLayout* CFindDlg::timeRow()
{
    const bool timeSelected = m_song.selectionKind == kSelectTimeRange && m_song.selectionFrom >= 0;
    m_time = checkBox("time", "Time", timeSelected);
    m_timeFrom = new CTimePosCtrl(m_song, timeSelected ? m_song.selectionFrom : 0, 0, this);
    m_timeTo = new CTimePosCtrl(m_song, timeSelected ? m_song.selectionTo : m_song.endTick, 0, this);
    auto* time = new QHBoxLayout;
    time->addWidget(m_time);
    time->addWidget(m_timeFrom);
    time->addWidget(new QLabel("to", this));
    time->addWidget(m_timeTo);
    time->addStretch();
    return time;
}

void CFindDlg::listPresets()
{
    std::vector<ComboItem> items;
    for (const std::string& name : m_store.names())
        insertSorted(items, {name, 0});
    if (items.empty())
        items.push_back({std::string(PresetStore::kDefaultName), 0});
    const QSignalBlocker block(m_presets);
    for (const ComboItem& item : items)
        m_presets->addItem(QString::fromStdString(item.text));
}

SpinEdit* CFindDlg::fieldEdit(FindField field)
{
    auto* edit = new SpinEdit(this);
    edit->setMinimumWidth(80 * logicalDpiX() / 96);
    connect(edit, &SpinEdit::stepRequested, this, [this, field, edit](bool up) { stepField(field, edit, up); });
    if (specOf(field).style != Style::Number)
        connect(edit, &SpinEdit::focusLost, this, [this, field, edit] { tidyField(field, edit); });
    return edit;
}

QString CFindDlg::fieldText(FindField field, int32_t value) const
{
    switch (specOf(field).style) {
    case Style::Note: return QString::fromStdString(noteNameText(value));
    case Style::Duration: return QString::fromStdString(formatDuration(value, beatTicks()));
    case Style::Number: break;
    }
    return QString::number(value);
}

int32_t CFindDlg::fieldValue(FindField field, const SpinEdit* edit, int32_t previous) const
{
    const std::string text = edit->text().toStdString();
    switch (specOf(field).style) {
    case Style::Note: return parseNoteName(text, previous, NoteNameStyle::Find)->note;
    case Style::Duration: return parseDuration(text, beatTicks()).value_or(0);
    case Style::Number: break;
    }
    return typedNumber(text);
}

void CFindDlg::stepField(FindField field, SpinEdit* edit, bool up)
{
    const FieldSpec& spec = specOf(field);
    const int64_t next = int64_t(fieldValue(field, edit, 0)) + (up ? 1 : -1);
    edit->setText(fieldText(field, int32_t(std::clamp<int64_t>(next, spec.lo, spec.hi))));
}

// A note or a duration is shown in its own form once the field is left.
void CFindDlg::tidyField(FindField field, SpinEdit* edit)
{
    edit->setText(fieldText(field, fieldValue(field, edit, 0)));
}

int32_t CFindDlg::beatTicks() const
{
    const int timeBase = std::max<int>(m_song.timeBase, 1);
    if (m_song.measureMap.empty())
        return timeBase;
    const MeasureRec& measure = m_song.measureMap[size_t(FindMeasure(m_song.measureMap, std::max(m_song.position(), 0)))];
    return std::max(timeBase * 4 / std::max<int>(measure.denominator, 1), 1);
}

std::string CFindDlg::typedName() const
{
    std::string name = m_presets->currentText().toStdString();
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

bool CFindDlg::isListed(const std::string& name) const
{
    return !name.empty() && m_presets->findText(QString::fromStdString(name), Qt::MatchFixedString) >= 0;
}

// A typed name that is no preset leaves the controls as they are, so what
// was set up can still be saved under it.
void CFindDlg::loadPreset(bool showAnyway)
{
    const std::string name = typedName();
    if (isListed(name) && profileKey(name) != profileKey(m_loaded)) {
        m_loaded = name;
        const FindCriteria kept = m_record;
        m_record = m_store.load(name).value_or(FindCriteria{});
        // The time words belong to the dialog, not to the preset.
        m_record.timeRangeOn = kept.timeRangeOn;
        m_record.timeFrom = kept.timeFrom;
        m_record.timeTo = kept.timeTo;
        showAnyway = true;
    }
    if (showAnyway)
        showRecord();
    updateEnables();
}

void CFindDlg::showRecord()
{
    m_findAll->setChecked(m_record.findAll != 0);
    m_selectedTracks->setChecked(m_record.selectedTracksOnly != 0);
    for (size_t k = 0; k < kFindKindCount; ++k)
        m_kinds[k]->setChecked(m_record.*kFindKinds[k].flag != 0);
    for (size_t f = 0; f < kFindFieldCount; ++f) {
        const FindRange& range = m_record.*kFields[f].range;
        m_rows[f].from->setText(fieldText(FindField(f), range.minimum));
        m_rows[f].to->setText(fieldText(FindField(f), range.maximum));
        m_rows[f].outside->setChecked(range.outside != 0);
    }
    m_text->setText(shownPattern(m_record.textPatternView()));
    m_textNot->setChecked(m_record.textOutside != 0);
    m_chord->setText(shownPattern(m_record.chordPatternView()));
    m_chordNot->setChecked(m_record.chordOutside != 0);
}

void CFindDlg::readControls()
{
    m_record.findAll = m_findAll->isChecked() ? 1 : 0;
    m_record.selectedTracksOnly = m_selectedTracks->isChecked() ? 1 : 0;
    for (size_t k = 0; k < kFindKindCount; ++k)
        m_record.*kFindKinds[k].flag = m_kinds[k]->isChecked() ? 1 : 0;
    for (size_t f = 0; f < kFindFieldCount; ++f) {
        FindRange& range = m_record.*kFields[f].range;
        range.minimum = fieldValue(FindField(f), m_rows[f].from, range.minimum);
        range.maximum = fieldValue(FindField(f), m_rows[f].to, range.maximum);
        range.outside = m_rows[f].outside->isChecked() ? 1 : 0;
    }
    m_record.setTextPattern(patternBytes(m_text->text()));
    m_record.textOutside = m_textNot->isChecked() ? 1 : 0;
    m_record.setChordPattern(patternBytes(m_chord->text()));
    m_record.chordOutside = m_chordNot->isChecked() ? 1 : 0;
}

void CFindDlg::savePreset()
{
    std::string name = typedName();
    if (name.empty() || PresetStore::isReservedName(name))
        return;
    const int listed = m_presets->findText(QString::fromStdString(name), Qt::MatchFixedString);
    {
        const QSignalBlocker block(m_presets);
        if (listed >= 0) {
            m_presets->setCurrentIndex(listed);
            name = m_presets->itemText(listed).toStdString();
        } else {
            std::vector<ComboItem> items;
            for (int i = 0; i < m_presets->count(); ++i)
                items.push_back({m_presets->itemText(i).toStdString(), 0});
            const size_t at = insertSorted(items, {name, 0});
            m_presets->insertItem(int(at), QString::fromStdString(name));
            m_presets->setCurrentIndex(int(at));
        }
    }
    readControls();
    m_store.save(name, m_record);
    m_loaded = name;
    const int32_t from = m_timeFrom->tick();
    const int32_t to = m_timeTo->tick();
    m_record.timeRangeOn = m_time->isChecked() ? 1 : 0;
    m_record.timeFrom = std::max(std::min(from, to), 0);
    m_record.timeTo = std::max(from, to);
    loadPreset(true);
}

bool CFindDlg::onSavePreset(CommandId)
{
    savePreset();
    return true;
}

bool CFindDlg::onDeletePreset(CommandId)
{
    const std::string name = typedName();
    const int listed = m_presets->findText(QString::fromStdString(name), Qt::MatchFixedString);
    if (listed < 0)
        return true;
    const std::string question = "Delete '" + name + "' - Are you sure?";
    if (m_song.context().prompt.askYesNo(question) != PromptAnswer::Yes)
        return true;
    m_store.remove(m_presets->itemText(listed).toStdString());
    {
        const QSignalBlocker block(m_presets);
        m_presets->removeItem(listed);
        m_presets->setCurrentIndex(0);
    }
    loadPreset(true);
    return true;
}

void CFindDlg::onUpdatePreset(CommandId id, CmdUi& ui)
{
    const std::string name = typedName();
    if (id == kIdSaveMap)
        ui.enabled = !name.empty() && !PresetStore::isReservedName(name);
    else
        ui.enabled = isListed(name);
}

void CFindDlg::setAll()
{
    const FindCriteria kept = m_record;
    m_record = FindCriteria{};
    m_record.timeRangeOn = kept.timeRangeOn;
    m_record.timeFrom = kept.timeFrom;
    m_record.timeTo = kept.timeTo;
    showRecord();
    updateEnables();
}

void CFindDlg::setNone()
{
    for (QCheckBox* box : m_kinds)
        box->setChecked(false);
    updateEnables();
}

void CFindDlg::changed()
{
    updateEnables();
}

void CFindDlg::updateEnables()
{
    if (!m_ok)
        return; // still building
    for (size_t f = 0; f < kFindFieldCount; ++f) {
        const bool on = m_kinds[size_t(kFields[f].kind)]->isChecked();
        m_rows[f].from->setEnabled(on);
        m_rows[f].to->setEnabled(on);
        m_rows[f].outside->setEnabled(on);
    }
    const bool meta = kindBox(FindKind::Meta)->isChecked();
    m_text->setEnabled(meta);
    m_textNot->setEnabled(meta);
    const bool chords = kindBox(FindKind::Chords)->isChecked();
    m_chord->setEnabled(chords);
    m_chordNot->setEnabled(chords);
    m_timeFrom->setEnabled(m_time->isChecked());
    m_timeTo->setEnabled(m_time->isChecked());
    const std::string name = typedName();
    m_ok->setEnabled(!name.empty() && !PresetStore::isReservedName(name));
    m_tools->updateNow();
}

void CFindDlg::accept()
{
    if (!m_ok->isEnabled())
        return;
    // Leaving a field tidies it before it is read.
    m_ok->setFocus();
    savePreset();
    m_store.setUseWhich(typedName());
    QDialog::accept();
}

} // namespace rz
