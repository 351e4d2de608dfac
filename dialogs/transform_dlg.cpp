#include "dialogs/transform_dlg.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "dialogs/field_values.h"
#include "dialogs/note_value_box.h"
#include "dialogs/small_controls.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_range_defaults.h"
#include "dialogs/time_range_models.h"
#include "dialogs/transform_defaults.h"
#include "dialogs/transform_models.h"
#include "song/song_doc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

namespace d = time_defaults;
namespace td = transform_defaults;

namespace {

void checkId(QButtonGroup* group, int id)
{
    if (QAbstractButton* button = group->button(id))
        button->setChecked(true);
}

} // namespace

// ---- shared

TransformDialog::TransformDialog(CSongDoc& song, const char* title, const char* helpTopic, QWidget* parent)
    : TimeEditDialog(title, helpTopic, parent), m_song(song), m_timeRange(hasTimeRange(song)),
      m_rowsUsable(selectedRowsUsable(song))
{
}

int TransformDialog::timeBase() const
{
    return std::max<int>(m_song.timeBase, 1);
}

void TransformDialog::addSelectionOptions(QBoxLayout* layout, bool selectedTracks)
{
    const IProfile& profile = m_song.context().profile;
    m_offsetOn = checkBox("offset1111", "Offset event selection by", d::readFlag(profile, d::kOffsetTime));
    m_offset = numberEdit("offset1010", d::read(profile, d::kOffsetTimeTicks), 0, 100);
    layout->addLayout(amountRow(m_offsetOn, m_offset));
    if (selectedTracks) {
        m_selectedOnly = checkBox("selected1310", "Selected tracks only", d::readFlag(profile, d::kSelTracksOnly));
        layout->addWidget(m_selectedOnly);
    }
}

void TransformDialog::updateSelectionOptions()
{
    if (!m_offsetOn)
        return;
    m_offsetOn->setEnabled(m_timeRange);
    m_offset->setEnabled(m_timeRange && m_offsetOn->isChecked());
    if (m_selectedOnly)
        m_selectedOnly->setEnabled(m_timeRange && m_rowsUsable);
}

int32_t TransformDialog::selectionOffset() const
{
    if (!m_offsetOn)
        return 0;
    return PercentAmount{m_offsetOn->isChecked(), numberOf(m_offset)}.ticks(timeBase(), m_offsetOn->isEnabled());
}

bool TransformDialog::selectedTracksOnly() const
{
    return m_selectedOnly && m_selectedOnly->isEnabled() && m_selectedOnly->isChecked();
}

void TransformDialog::saveSelectionOptions() const
{
    IProfile& profile = m_song.context().profile;
    if (m_offsetOn) {
        writeSetting(profile, d::kOffsetTime, m_offsetOn->isChecked() ? 1 : 0);
        writeSetting(profile, d::kOffsetTimeTicks, numberOf(m_offset));
    }
    if (m_selectedOnly)
        writeSetting(profile, d::kSelTracksOnly, m_selectedOnly->isChecked() ? 1 : 0);
}

QSlider* TransformDialog::numberSlider(const char* name, int value, QLabel* number, int shift)
{
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(name);
    slider->setRange(0, 100);
    slider->setTickInterval(5);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(std::clamp(value, 0, 100));
    number->setText(QString::number(slider->value() + shift));
    number->setMinimumWidth(fontMetrics().horizontalAdvance("-100"));
    connect(slider, &QSlider::valueChanged, number,
            [number, shift](int position) { number->setText(QString::number(position + shift)); });
    return slider;
}

SpinEdit* TransformDialog::rangedEdit(const char* name, const QString& text, const std::pair<int32_t, int32_t>* range)
{
    auto* edit = new SpinEdit(this);
    edit->setObjectName(name);
    edit->setText(text);
    edit->setMinimumWidth(64 * logicalDpiX() / 96);
    connect(edit, &SpinEdit::stepRequested, this, [this, edit, range](bool up) {
        const int64_t next = int64_t(numberOf(edit)) + (up ? 1 : -1);
        edit->setText(QString::number(std::clamp<int64_t>(next, range->first, range->second)));
        changed();
    });
    connect(edit, &QLineEdit::textEdited, this, [this] { changed(); });
    return edit;
}

void TransformDialog::linkPercentTicks(SpinEdit* percent, SpinEdit* ticks)
{
    m_linkedPercent = percent;
    m_linkedTicks = ticks;
    connect(percent, &QLineEdit::textChanged, this, [this] {
        if (m_linking)
            return;
        m_linking = true;
        m_linkedTicks->setText(QString::number(ticksOfPercent(timeBase(), numberOf(m_linkedPercent))));
        m_linking = false;
    });
    connect(ticks, &QLineEdit::textChanged, this, [this] {
        if (m_linking)
            return;
        m_linking = true;
        m_linkedPercent->setText(QString::number(percentOfTicks(timeBase(), numberOf(m_linkedTicks))));
        m_linking = false;
    });
}

void TransformDialog::finishLinking()
{
    if (m_linkedPercent)
        m_linkedTicks->setText(QString::number(ticksOfPercent(timeBase(), numberOf(m_linkedPercent))));
    m_linking = false;
}

QAbstractButton* TransformDialog::okButton() const
{
    const auto* box = findChild<QDialogButtonBox*>();
    return box ? box->button(QDialogButtonBox::Ok) : nullptr;
}

// ---- Quantize

CQuantizeDlg::CQuantizeDlg(CSongDoc& song, QWidget* parent)
    : TransformDialog(song, "Quantize events...", "::/Edit.htm#QUANTIZE", parent)
{
    const IProfile& profile = song.context().profile;
    m_resolution = new NoteValueBox(this);
    m_resolution->setObjectName("resolution1240");
    m_resolution->setCurrentIndex(d::read(profile, td::kQuantizeResolution));
    m_startTimes = checkBox("start1149", "Note start times", d::readFlag(profile, td::kQuantizeStartTimes));
    m_endTimes = checkBox("end1001", "Note end times", d::readFlag(profile, td::kQuantizeDurations));
    m_controllers = checkBox("cc1153", "Controller times", d::readFlag(profile, td::kQuantizeCC));
    auto* strengthNumber = new QLabel(this);
    strengthNumber->setObjectName("strength1161");
    auto* swingNumber = new QLabel(this);
    swingNumber->setObjectName("swing1162");
    auto* windowNumber = new QLabel(this);
    windowNumber->setObjectName("window1160");
    m_strength = numberSlider("strength1147", d::read(profile, td::kQuantizeStrength), strengthNumber);
    m_swing = numberSlider("swing1148", d::read(profile, td::kQuantizeSwing), swingNumber, -50);
    m_window = numberSlider("window1150", d::read(profile, td::kQuantizeWindow), windowNumber);
    m_gridOffset = numberEdit("grid1151", d::read(profile, td::kQuantizeGridOffset), -kMaxGridOffsetPercent,
                              kMaxGridOffsetPercent);

    auto* what = new QGroupBox("What to change", this);
    auto* whatColumn = new QVBoxLayout(what);
    for (QCheckBox* box : {m_startTimes, m_endTimes, m_controllers})
        whatColumn->addWidget(box);
    auto* sliders = new QGridLayout;
    const struct {
        const char* label;
        QSlider* slider;
        QLabel* number;
    } kRows[] = {{"Strength:", m_strength, strengthNumber},
                 {"Swing:", m_swing, swingNumber},
                 {"Window:", m_window, windowNumber}};
    int row = 0;
    for (const auto& r : kRows) {
        sliders->addWidget(new QLabel(r.label, this), row, 0);
        sliders->addWidget(r.slider, row, 1);
        sliders->addWidget(r.number, row, 2);
        ++row;
    }
    auto* grid = new QHBoxLayout;
    grid->addWidget(new QLabel("Grid offset:", this));
    grid->addWidget(m_gridOffset);
    grid->addWidget(new QLabel("% of q.note", this));
    grid->addStretch();
    auto* form = new QFormLayout;
    form->addRow("Resolution:", m_resolution);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(what);
    layout->addLayout(sliders);
    layout->addLayout(grid);
    auto* times = new QGroupBox("Time selections", this);
    auto* timesColumn = new QVBoxLayout(times);
    addSelectionOptions(timesColumn, true);
    layout->addWidget(times);
    addButtonRow(layout);
    changed();
}

void CQuantizeDlg::accept()
{
    const std::optional<int32_t> typed =
        checkedNumber(m_song.context().prompt, m_gridOffset, -kMaxGridOffsetPercent, kMaxGridOffsetPercent);
    if (!typed)
        return;
    const int32_t grid = *typed;
    IProfile& profile = m_song.context().profile;
    const int resolution = std::max(m_resolution->currentIndex(), 0);
    writeSetting(profile, td::kQuantizeResolution, resolution);
    writeSetting(profile, td::kQuantizeDurations, m_endTimes->isChecked() ? 1 : 0);
    writeSetting(profile, td::kQuantizeStartTimes, m_startTimes->isChecked() ? 1 : 0);
    writeSetting(profile, td::kQuantizeGridOffset, grid);
    writeSetting(profile, td::kQuantizeCC, m_controllers->isChecked() ? 1 : 0);
    writeSetting(profile, td::kQuantizeStrength, m_strength->value());
    writeSetting(profile, td::kQuantizeSwing, m_swing->value());
    writeSetting(profile, td::kQuantizeWindow, m_window->value());
    saveSelectionOptions();

    m_params.resolution = resolution;
    m_params.gridOffset = int32_t(percentToTicks(timeBase(), grid));
    m_params.startTimes = m_startTimes->isChecked();
    m_params.endTimes = m_endTimes->isChecked();
    m_params.controllers = m_controllers->isChecked();
    m_params.strength = m_strength->value();
    m_params.swing = m_swing->value();
    m_params.window = m_window->value();
    m_params.offset = selectionOffset();
    m_params.selectedTracksOnly = selectedTracksOnly();
    QDialog::accept();
}

// ---- Transpose

CTransposeDlg::CTransposeDlg(CSongDoc& song, QWidget* parent)
    : TransformDialog(song, "Transpose notes...", "::/Edit.htm#TRANSPOSE", parent)
{
    const IProfile& profile = song.context().profile;
    m_halfSteps = numberEdit("halfSteps1052", d::read(profile, td::kTranspose), -60, 60);
    m_keys = checkBox("keys1145", "Change key signatures of whole measures", d::readFlag(profile, td::kTransposeKeys));
    m_skipDrums = checkBox("drums1001", "Skip drum tracks", d::readFlag(profile, td::kTransposeSkipDrum));
    auto* steps = new QHBoxLayout;
    steps->addWidget(new QLabel("Half steps:", this));
    steps->addWidget(m_halfSteps);
    steps->addWidget(new QLabel("(1 octave = 12 half steps)", this));
    steps->addStretch();
    auto* times = new QGroupBox("For time selections...", this);
    auto* timesColumn = new QVBoxLayout(times);
    timesColumn->addWidget(m_keys);
    timesColumn->addWidget(m_skipDrums);
    addSelectionOptions(timesColumn, false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(steps);
    layout->addWidget(times);
    addButtonRow(layout);
    const bool range = hasTimeRange(song);
    m_keys->setEnabled(range);
    m_skipDrums->setEnabled(range);
    changed();
}

void CTransposeDlg::accept()
{
    const std::optional<int32_t> halfSteps = checkedNumber(m_song.context().prompt, m_halfSteps, -60, 60);
    if (!halfSteps)
        return;
    IProfile& profile = m_song.context().profile;
    writeSetting(profile, td::kTranspose, *halfSteps);
    writeSetting(profile, td::kTransposeKeys, m_keys->isChecked() ? 1 : 0);
    writeSetting(profile, td::kTransposeSkipDrum, m_skipDrums->isChecked() ? 1 : 0);
    saveSelectionOptions();
    m_params.halfSteps = *halfSteps;
    m_params.changeKeys = m_keys->isChecked();
    m_params.skipDrums = m_skipDrums->isChecked();
    m_params.offset = selectionOffset();
    QDialog::accept();
}

// ---- Velocities

CVelocityDlg::CVelocityDlg(CSongDoc& song, int64_t extent, QWidget* parent)
    : TransformDialog(song, "Note velocities...", "::/Edit.htm#VELOCITY", parent)
{
    const IProfile& profile = song.context().profile;
    m_method = new QButtonGroup(this);
    auto* methods = new QGroupBox("These values are", this);
    auto* methodColumn = new QVBoxLayout(methods);
    methodColumn->addWidget(radio(methods, m_method, "offsets1039", "Offsets (+ or -)", 0));
    methodColumn->addWidget(radio(methods, m_method, "percent1038", "Percentages (100 = no change)", 1));
    methodColumn->addWidget(radio(methods, m_method, "absolute1037", "Absolute values", 2));
    checkId(m_method, d::read(profile, td::kVelocityMethod));
    m_value = rangedEdit("value1052", QString::number(d::read(profile, td::kVelocityValue)), &m_range);
    m_through = checkBox("through1007", "through", d::readFlag(profile, td::kVelocityThrough));
    m_value2 = rangedEdit("value1053", QString::number(d::read(profile, td::kVelocityValue2)), &m_range);
    m_strengthLabel = new QLabel("Strength:", this);
    m_strengthNumber = new QLabel(this);
    m_strengthNumber->setObjectName("strength1159");
    m_strength = numberSlider("strength1147", d::read(profile, td::kVelocityStrength), m_strengthNumber);

    auto* values = new QHBoxLayout;
    values->addWidget(m_value);
    values->addWidget(m_through);
    values->addWidget(m_value2);
    values->addStretch();
    auto* strength = new QHBoxLayout;
    strength->addWidget(m_strengthLabel);
    strength->addWidget(m_strength);
    strength->addWidget(m_strengthNumber);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(methods);
    layout->addLayout(values);
    layout->addLayout(strength);
    auto* times = new QGroupBox("Time selections", this);
    auto* timesColumn = new QVBoxLayout(times);
    addSelectionOptions(timesColumn, true);
    layout->addWidget(times);
    addButtonRow(layout);
    // A ramp needs a span to run over.
    m_through->setEnabled(extent != 0);
    connect(m_method, &QButtonGroup::idClicked, this, [this] { methodChosen(); });
    methodChosen();
}

void CVelocityDlg::methodChosen()
{
    const auto method = VelocityMethod(std::max(m_method->checkedId(), 0));
    m_range = velocityRange(method);
    for (SpinEdit* edit : {m_value, m_value2})
        edit->setText(QString::number(std::clamp(numberOf(edit), m_range.first, m_range.second)));
    const bool absolute = method == VelocityMethod::Absolute;
    for (QWidget* w : std::initializer_list<QWidget*>{m_strengthLabel, m_strength, m_strengthNumber})
        w->setEnabled(absolute);
    changed();
}

void CVelocityDlg::changed()
{
    m_value2->setEnabled(m_through->isEnabled() && m_through->isChecked());
    updateSelectionOptions();
}

void CVelocityDlg::accept()
{
    methodChosen();
    IProfile& profile = m_song.context().profile;
    const int method = std::max(m_method->checkedId(), 0);
    writeSetting(profile, td::kVelocityMethod, method);
    writeSetting(profile, td::kVelocityValue, numberOf(m_value));
    writeSetting(profile, td::kVelocityValue2, numberOf(m_value2));
    writeSetting(profile, td::kVelocityStrength, m_strength->value());
    writeSetting(profile, td::kVelocityThrough, m_through->isChecked() ? 1 : 0);
    saveSelectionOptions();
    m_params.method = VelocityMethod(method);
    m_params.value = numberOf(m_value);
    m_params.through = m_through->isEnabled() && m_through->isChecked();
    m_params.value2 = numberOf(m_value2);
    m_params.strength = m_strength->value();
    m_params.offset = selectionOffset();
    m_params.selectedTracksOnly = selectedTracksOnly();
    QDialog::accept();
}

// ---- Durations

CNoteDurationsDlg::CNoteDurationsDlg(CSongDoc& song, QWidget* parent)
    : TransformDialog(song, "Note durations...", "::/Edit.htm#DURATION", parent)
{
    const IProfile& profile = song.context().profile;
    m_value = rangedEdit("value1052", QString::fromStdString(readSettingText(profile, td::kDurationValue)), &m_range);
    m_method = new QButtonGroup(this);
    auto* methods = new QGroupBox("This value is", this);
    auto* methodColumn = new QVBoxLayout(methods);
    methodColumn->addWidget(radio(methods, m_method, "offset1039", "An offset (+/- ticks)", 0));
    methodColumn->addWidget(radio(methods, m_method, "percent1038", "A percentage (100 = no change)", 1));
    methodColumn->addWidget(radio(methods, m_method, "legato1041", "An auto-legato break time (ticks)", 2));
    auto* absolute = new QHBoxLayout;
    absolute->addWidget(radio(methods, m_method, "absolute1040", "An absolute value with units:", 3));
    m_units = new QComboBox(this);
    m_units->setObjectName("units1158");
    for (const std::string& unit : durationUnitNames())
        m_units->addItem(QString::fromStdString(unit));
    m_units->setCurrentIndex(d::read(profile, td::kDurationUnits));
    absolute->addWidget(m_units);
    methodColumn->addLayout(absolute);
    checkId(m_method, d::read(profile, td::kDurationMethod));

    auto* value = new QHBoxLayout;
    value->addWidget(new QLabel("Value:", this));
    value->addWidget(m_value);
    value->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(value);
    layout->addWidget(methods);
    auto* times = new QGroupBox("Time selections", this);
    auto* timesColumn = new QVBoxLayout(times);
    addSelectionOptions(timesColumn, true);
    layout->addWidget(times);
    addButtonRow(layout);
    connect(m_method, &QButtonGroup::idClicked, this, [this] { changed(); });
    changed();
}

void CNoteDurationsDlg::changed()
{
    const auto method = DurationMethod(std::max(m_method->checkedId(), 0));
    m_range = durationRange(method, timeBase());
    m_units->setEnabled(method == DurationMethod::Absolute);
    updateSelectionOptions();
}

// A value starts with a number ("-30", "1.5", ".5", "2:30"); empty or other
// text would change every duration by nothing or to one tick.
bool CNoteDurationsDlg::valueReads() const
{
    const std::string text = m_value->text().trimmed().toStdString();
    size_t i = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
    if (i < text.size() && text[i] == '.')
        ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

void CNoteDurationsDlg::accept()
{
    if (!valueReads()) {
        m_song.context().prompt.message(rangeMessage(m_range.first, m_range.second), PromptIcon::Warning);
        m_value->setFocus();
        m_value->selectAll();
        return;
    }
    IProfile& profile = m_song.context().profile;
    const int method = std::max(m_method->checkedId(), 0);
    const std::string value = m_value->text().toStdString();
    writeSetting(profile, td::kDurationMethod, method);
    writeSettingText(profile, td::kDurationValue, value);
    writeSetting(profile, td::kDurationUnits, std::max(m_units->currentIndex(), 0));
    saveSelectionOptions();
    m_params.method = DurationMethod(method);
    m_params.value = value;
    m_params.units = std::max(m_units->currentIndex(), 0);
    m_params.offset = selectionOffset();
    m_params.selectedTracksOnly = selectedTracksOnly();
    QDialog::accept();
}

} // namespace rz
