#include "dialogs/time_range_dlg.h"

#include "core/prompt.h"
#include "dialogs/field_values.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/song_doc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rz {

// ---- Copy Time

CCopyTimeDlg::CCopyTimeDlg(CSongDoc& song, bool controllerViewOpen, QWidget* parent)
    : TimeEditDialog("Copy Time...", "::/Time.htm#COPY", parent), m_song(song), m_model(song, controllerViewOpen)
{
    auto* group = new QGroupBox("What to copy", this);
    auto* column = new QVBoxLayout(group);
    m_mode = new QButtonGroup(this);
    const struct {
        const char* name;
        const char* text;
        CopyTimeMode mode;
    } kModes[] = {
        {"all1037", "All within time range", CopyTimeMode::All},
        {"tempos1039", "Just tempos changes", CopyTimeMode::Tempos},
        {"events1038", "Just events on selected tracks", CopyTimeMode::TrackEvents},
        {"controllers1040", "Just controller changes shown in the controller view", CopyTimeMode::Controllers},
    };
    for (const auto& mode : kModes) {
        auto* radio = new QRadioButton(mode.text, group);
        radio->setObjectName(mode.name);
        m_mode->addButton(radio, int(mode.mode));
        column->addWidget(radio);
    }
    m_mode->button(int(m_model.mode))->setChecked(true);
    m_mode->button(int(CopyTimeMode::Controllers))->setEnabled(m_model.controllersEnabled());
    m_offsetOn = checkBox("offset1000", "Offset event selection by", m_model.offset.on);
    m_offset = numberEdit("offset1010", m_model.offset.percent, 0, kSpinPercent);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(amountRow(m_offsetOn, m_offset));
    addButtonRow(layout);
    connect(m_mode, &QButtonGroup::idClicked, this, [this] { changed(); });
    changed();
}

void CCopyTimeDlg::changed()
{
    m_model.mode = CopyTimeMode(m_mode->checkedId());
    m_model.offset = {m_offsetOn->isChecked(), numberOf(m_offset)};
    m_offset->setEnabled(m_model.offset.on);
}

void CCopyTimeDlg::accept()
{
    const std::optional<int32_t> offset =
        checkedNumber(m_song.context().prompt, m_offset, 0, CopyTimeModel::kMaxOffset);
    if (!offset)
        return;
    changed();
    m_model.save(m_song.context().profile);
    QDialog::accept();
}

// ---- Delete Time

CDeleteTimeDlg::CDeleteTimeDlg(CSongDoc& song, QWidget* parent)
    : TimeEditDialog("Delete Time...", "::/Time.htm#DELETE", parent), m_song(song), m_model(song)
{
    m_hole = checkBox("hole1116", "All within time range, then shift other events to fill hole", m_model.shiftAll);
    m_cues = checkBox("cues1012", "Cues", m_model.cues);
    m_tempos = checkBox("tempos1016", "Tempo changes", m_model.tempos);
    m_events = checkBox("events1002", "Events in tracks", m_model.events);
    m_selectedOnly = checkBox("selected1007", "Selected tracks only", m_model.selectedTracksOnly);
    m_measures = checkBox("measures1113", "Beat and measure boundaries", m_model.measures);
    m_preserve = checkBox("preserve1005", "Preserve measure numbers", m_model.preserveNumbers);
    m_offsetOn = checkBox("offset1111", "Offset event selection by", m_model.offset.on);
    m_offset = numberEdit("offset1010", m_model.offset.percent, 0, kSpinPercent);
    m_shortenOn = checkBox("shorten1112", "Shorten events which encroach by more than", m_model.shorten.on);
    m_shorten = numberEdit("shorten1114", m_model.shorten.percent, 0, kSpinPercent);
    auto* kinds = new QGroupBox(this);
    auto* column = new QVBoxLayout(kinds);
    for (QCheckBox* box : {m_cues, m_tempos, m_events, m_selectedOnly})
        column->addWidget(box);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_hole);
    layout->addWidget(kinds);
    layout->addWidget(m_measures);
    layout->addWidget(m_preserve);
    layout->addLayout(amountRow(m_offsetOn, m_offset));
    layout->addLayout(amountRow(m_shortenOn, m_shorten));
    addButtonRow(layout);
    changed();
}

void CDeleteTimeDlg::changed()
{
    m_model.shiftAll = m_hole->isChecked();
    m_model.cues = m_cues->isChecked();
    m_model.tempos = m_tempos->isChecked();
    m_model.events = m_events->isChecked();
    m_model.selectedTracksOnly = m_selectedOnly->isChecked();
    m_model.measures = m_measures->isChecked();
    m_model.preserveNumbers = m_preserve->isChecked();
    m_model.offset = {m_offsetOn->isChecked(), numberOf(m_offset)};
    m_model.shorten = {m_shortenOn->isChecked(), numberOf(m_shorten)};
    const DeleteTimeModel::Enabling e = m_model.enabling();
    for (QCheckBox* box : {m_cues, m_tempos, m_events})
        box->setEnabled(e.kinds);
    m_selectedOnly->setEnabled(e.selectedTracksOnly);
    m_measures->setEnabled(e.measures);
    m_preserve->setEnabled(e.preserveNumbers);
    m_offset->setEnabled(e.offsetAmount);
    m_shorten->setEnabled(e.shortenAmount);
}

void CDeleteTimeDlg::accept()
{
    IPrompt& prompt = m_song.context().prompt;
    if (!checkedNumber(prompt, m_offset, 0, DeleteTimeModel::kMaxAmount)
        || !checkedNumber(prompt, m_shorten, 0, DeleteTimeModel::kMaxAmount))
        return;
    changed();
    m_model.save(m_song.context().profile);
    QDialog::accept();
}

// ---- Select Time

CSelectTimeDlg::CSelectTimeDlg(CSongDoc& song, QWidget* parent)
    : TimeEditDialog("Select Time...", nullptr, parent), m_song(song)
{
    const int32_t position = std::max(song.position(), 0);
    m_from = new CTimePosCtrl(song, position, 0, this);
    m_from->setObjectName("from1006");
    m_through = new CTimePosCtrl(song, position, 0, this);
    m_through->setObjectName("through1110");
    auto* form = new QFormLayout;
    form->addRow("From:", m_from);
    form->addRow("Through:", m_through);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtonRow(layout);
}

SelectTimeParams CSelectTimeDlg::params() const
{
    return {std::max(m_from->tick(), 0), std::max(m_through->tick(), 0)};
}

} // namespace rz
