#include "dialogs/move_dlg.h"

#include "core/prompt.h"
#include "dialogs/field_values.h"
#include "dialogs/small_controls.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/song_doc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <climits>

namespace rz {

// ---- Move

CMoveDlg::CMoveDlg(CSongDoc& song, int32_t firstTick, QWidget* parent)
    : TimeEditDialog("Move...", "::/Edit.htm#MOVE", parent), m_song(song), m_model(song, firstTick)
{
    auto* methods = new QGroupBox(this);
    auto* grid = new QGridLayout(methods);
    m_method = new QButtonGroup(this);
    m_offsetValue = numberEdit("offset1153", m_model.offsetValue, -MoveModel::kMaxOffset, MoveModel::kMaxOffset);
    m_units = new QComboBox(this);
    m_units->setObjectName("units1158");
    for (const std::string& unit : MoveModel::unitNames())
        m_units->addItem(QString::fromStdString(unit));
    m_units->setCurrentIndex(m_model.units);
    m_target = new CTimePosCtrl(song, m_model.targetTime, 0, this);
    m_target->setObjectName("target1155");
    m_percent = numberEdit("percent1159", m_model.percent, MoveModel::kMinPercent, MoveModel::kMaxPercent);
    m_durations = checkBox("durations1156", "Change note durations by same percentage", m_model.durations);
    m_track = new QComboBox(this);
    m_track->setObjectName("track1340");
    for (const std::string& track : m_model.trackItems())
        m_track->addItem(QString::fromStdString(track));
    m_track->setCurrentIndex(m_model.trackIndex);
    m_mixdown = checkBox("mixdown1157", "Mix-down events to this single track", m_model.mixdown);
    grid->addWidget(radio(methods, m_method, "offset1039", "An offset with specified units", 0), 0, 0);
    grid->addWidget(m_offsetValue, 0, 1);
    grid->addWidget(m_units, 0, 2);
    grid->addWidget(radio(methods, m_method, "absolute1037", "An absolute time for the first event", 1), 1, 0);
    grid->addWidget(m_target, 1, 1, 1, 2);
    grid->addWidget(radio(methods, m_method, "percent1038", "A percentage of distance from the first event", 2),
                    2, 0);
    grid->addWidget(m_percent, 2, 1);
    grid->addWidget(m_durations, 3, 0, 1, 3);
    grid->addWidget(radio(methods, m_method, "tracks1040", "Change tracks.  First target:", 3), 4, 0);
    grid->addWidget(m_track, 4, 1, 1, 2);
    grid->addWidget(m_mixdown, 5, 0, 1, 3);
    if (QAbstractButton* button = m_method->button(int(m_model.method)))
        button->setChecked(true);

    m_cues = checkBox("cues1012", "Cues", m_model.cues);
    m_events = checkBox("events1002", "Events in tracks", m_model.events);
    m_tempos = checkBox("tempos1016", "Tempo changes", m_model.tempos);
    auto* what = new QGroupBox("What to move", this);
    auto* whatColumn = new QVBoxLayout(what);
    for (QCheckBox* box : {m_cues, m_events, m_tempos})
        whatColumn->addWidget(box);
    m_offsetOn = checkBox("offset1111", "Offset event selection by", m_model.offset.on);
    m_offset = numberEdit("offset1010", m_model.offset.percent, 0, MoveModel::kMaxSelectionOffset);
    m_selectedOnly = checkBox("selected1310", "Selected tracks only", m_model.selectedTracksOnly);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(methods);
    layout->addWidget(what);
    layout->addLayout(amountRow(m_offsetOn, m_offset));
    layout->addWidget(m_selectedOnly);
    addButtonRow(layout);
    connect(m_method, &QButtonGroup::idClicked, this, [this] { changed(); });
    connect(m_units, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    connect(m_track, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    connect(m_target, &CTimePosCtrl::changed, this, [this] { changed(); });

    const MoveModel::Enabling e = m_model.enabling();
    for (QCheckBox* box : {m_cues, m_events, m_tempos})
        box->setEnabled(e.whatMoves);
    m_offsetOn->setEnabled(e.offsetBox);
    m_selectedOnly->setEnabled(e.selectedTracksOnly);
    changed();
}

void CMoveDlg::changed()
{
    m_model.method = MoveMethod(std::max(m_method->checkedId(), 0));
    m_model.offsetValue = numberOf(m_offsetValue);
    m_model.units = m_units->currentIndex();
    if (m_target->tick() >= 0)
        m_model.targetTime = m_target->tick();
    m_model.percent = numberOf(m_percent);
    m_model.durations = m_durations->isChecked();
    m_model.trackIndex = m_track->currentIndex();
    m_model.mixdown = m_mixdown->isChecked();
    m_model.cues = m_cues->isChecked();
    m_model.events = m_events->isChecked();
    m_model.tempos = m_tempos->isChecked();
    m_model.offset = {m_offsetOn->isChecked(), numberOf(m_offset)};
    m_model.selectedTracksOnly = m_selectedOnly->isChecked();
    const MoveModel::Enabling e = m_model.enabling();
    m_offsetValue->setEnabled(e.offsetFields);
    m_units->setEnabled(e.offsetFields);
    m_target->setEnabled(e.targetPosition);
    m_percent->setEnabled(e.percentFields);
    m_durations->setEnabled(e.percentFields);
    m_track->setEnabled(e.trackFields);
    m_mixdown->setEnabled(e.trackFields);
    m_offset->setEnabled(e.offsetAmount);
}

void CMoveDlg::accept()
{
    changed();
    m_model.save(m_song.context().profile);
    QDialog::accept();
}

// ---- Measure numbers

CInsertMeasureNumbersDlg::CInsertMeasureNumbersDlg(CSongDoc& song, QWidget* parent)
    : TimeEditDialog("Insert measure numbers...", "::/Measures.htm#NUMBERS", parent), m_song(song), m_model(song)
{
    m_label = new QLineEdit(QString::fromStdString(m_model.label), this);
    m_label->setObjectName("label1029");
    m_label->setValidator(new UpperCaseValidator(m_label));
    m_count = new QLineEdit(QString::number(m_model.count), this);
    m_count->setObjectName("count1033");
    m_count->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_count));
    m_method = new QButtonGroup(this);
    auto* methods = new QGroupBox(this);
    auto* column = new QVBoxLayout(methods);
    column->addWidget(radio(methods, m_method, "slide1037", "Slide existing numbers down",
                            int(MeasureNumberMethod::Slide)));
    column->addWidget(radio(methods, m_method, "overwrite1038", "Overwrite existing numbers",
                            int(MeasureNumberMethod::Overwrite)));
    m_method->button(int(m_model.method))->setChecked(true);
    auto* form = new QFormLayout;
    form->addRow("Number and/or letter:", m_label);
    form->addRow("Number of sequential measure numbers to insert:", m_count);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(methods);
    addButtonRow(layout);
}

void CInsertMeasureNumbersDlg::accept()
{
    IPrompt& prompt = m_song.context().prompt;
    const std::optional<MeasureNumbersParams> params = m_model.params(m_label->text().toStdString());
    if (!params) {
        prompt.message(kMeasureLabelFormat, PromptIcon::Stop);
        m_label->setFocus();
        return;
    }
    const std::optional<int32_t> count = rangedField(m_count->text().toStdString(), INT_MIN, INT_MAX);
    if (!count) {
        prompt.message(kIntegerMessage, PromptIcon::Warning);
        m_count->setFocus();
        return;
    }
    m_model.count = *count;
    m_model.method = MeasureNumberMethod(m_method->checkedId());
    m_model.save(m_song.context().profile);
    m_params = *m_model.params(m_label->text().toStdString());
    QDialog::accept();
}

} // namespace rz
