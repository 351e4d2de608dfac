#include "dialogs/paste_dlg.h"

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

namespace {

struct Choice {
    const char* name;
    const char* text;
    int id;
};

// A group box of radio buttons, one checked.
QGroupBox* radioGroup(QWidget* parent, const char* title, std::initializer_list<Choice> choices,
                      QButtonGroup* group, int checked)
{
    auto* box = new QGroupBox(title, parent);
    auto* column = new QVBoxLayout(box);
    for (const Choice& choice : choices) {
        auto* radio = new QRadioButton(choice.text, box);
        radio->setObjectName(choice.name);
        group->addButton(radio, choice.id);
        column->addWidget(radio);
    }
    if (QAbstractButton* button = group->button(checked))
        button->setChecked(true);
    return box;
}

} // namespace

// ---- Paste Time

CPasteTimeDlg::CPasteTimeDlg(CSongDoc& song, const AppClipboard& clipboard, int32_t position, QWidget* parent)
    : TimeEditDialog("Paste Time...", "::/Time.htm#PASTE", parent), m_song(song),
      m_model(song, clipboard, position)
{
    m_copies = numberEdit("copies1006", m_model.copies, 1, PasteTimeModel::kMaxCopies);
    m_method = new QButtonGroup(this);
    QGroupBox* methods = radioGroup(this, "Method",
                                    {{"insert1037", "Insert to make room", int(PasteMethod::Insert)},
                                     {"blend1038", "Blend", int(PasteMethod::Blend)},
                                     {"replace1109", "Replace", int(PasteMethod::Replace)}},
                                    m_method, int(m_model.method));
    m_cues = checkBox("cues1012", "Cues", m_model.cues);
    m_tempos = checkBox("tempos1016", "Tempo changes", m_model.tempos);
    m_events = checkBox("events1002", "Events in tracks", m_model.events);
    m_measures = checkBox("measures1113", "Beat(s) and/or Measure(s)", m_model.measures);
    auto* what = new QGroupBox("What to Paste", this);
    auto* whatColumn = new QVBoxLayout(what);
    for (QCheckBox* box : {m_cues, m_tempos, m_events, m_measures})
        whatColumn->addWidget(box);
    m_selectedOnly = checkBox("selected1007", "Selected tracks only", m_model.selectedTracksOnly);
    m_preserve = checkBox("preserve1005", "Preserve measure numbers", m_model.preserveNumbers);
    m_offsetOn = checkBox("offset1111", "Offset event selection by", m_model.offset.on);
    m_offset = numberEdit("offset1010", m_model.offset.percent, 0, kSpinPercent);
    m_stretchOn = checkBox("stretch1118", "Stretch events which overlap by more than", m_model.stretch.on);
    m_stretch = numberEdit("stretch1122", m_model.stretch.percent, 0, kSpinPercent);
    m_first = new CTimePosCtrl(song, m_model.firstCopy, 0, this);
    m_first->setObjectName("first135");

    auto* form = new QFormLayout;
    form->addRow("How many copies?", m_copies);
    form->addRow("First copy at:", m_first);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(methods);
    layout->addWidget(what);
    layout->addWidget(m_selectedOnly);
    layout->addWidget(m_preserve);
    layout->addLayout(amountRow(m_offsetOn, m_offset));
    layout->addLayout(amountRow(m_stretchOn, m_stretch));
    addButtonRow(layout);
    connect(m_method, &QButtonGroup::idClicked, this, [this] { changed(); });
    connect(m_first, &CTimePosCtrl::changed, this, [this] { changed(); });
    changed();
}

void CPasteTimeDlg::changed()
{
    m_model.copies = numberOf(m_copies);
    m_model.method = PasteMethod(m_method->checkedId());
    m_model.cues = m_cues->isChecked();
    m_model.tempos = m_tempos->isChecked();
    m_model.events = m_events->isChecked();
    m_model.measures = m_measures->isChecked();
    m_model.selectedTracksOnly = m_selectedOnly->isChecked();
    m_model.preserveNumbers = m_preserve->isChecked();
    m_model.offset = {m_offsetOn->isChecked(), numberOf(m_offset)};
    m_model.stretch = {m_stretchOn->isChecked(), numberOf(m_stretch)};
    if (m_first->tick() >= 0)
        m_model.firstCopy = m_first->tick();
    const PasteTimeModel::Enabling e = m_model.enabling();
    m_cues->setEnabled(e.cues);
    m_tempos->setEnabled(e.tempos);
    m_events->setEnabled(e.events);
    m_measures->setEnabled(e.measures);
    m_selectedOnly->setEnabled(e.selectedTracksOnly);
    m_preserve->setEnabled(e.preserveNumbers);
    m_offsetOn->setEnabled(e.offsetBox);
    m_offset->setEnabled(e.offsetAmount);
    m_stretchOn->setEnabled(e.stretchBox);
    m_stretch->setEnabled(e.stretchAmount);
}

void CPasteTimeDlg::accept()
{
    changed();
    IPrompt& prompt = m_song.context().prompt;
    if (!checkedNumber(prompt, m_copies, 1, PasteTimeModel::kMaxCopies) || !amountInRange(prompt, m_offset)
        || !amountInRange(prompt, m_stretch))
        return;
    m_model.save(m_song.context().profile);
    QDialog::accept();
}

// ---- Paste Events

CPasteEventsDlg::CPasteEventsDlg(CSongDoc& song, const AppClipboard& clipboard, int32_t position,
                                 QWidget* parent)
    : TimeEditDialog("Paste Events...", nullptr, parent), m_song(song), m_model(song, clipboard, position)
{
    m_copies = numberEdit("copies1006", m_model.copies, 1, PasteEventsModel::kMaxCopies);
    m_target = new QButtonGroup(this);
    QGroupBox* targets =
        radioGroup(this, "Paste to which track(s)",
                   {{"source1037", "&Source track(s)", int(PasteTarget::SourceTracks)},
                    {"selected1038", "Selected &track(s)", int(PasteTarget::SelectedTracks)},
                    {"mixdown1109", "Selected track(s), ALL events to EACH (&mixdown)", int(PasteTarget::Mixdown)}},
                   m_target, int(m_model.target));
    const PasteEventsModel::Enabling e = m_model.enabling();
    m_target->button(int(PasteTarget::SelectedTracks))->setEnabled(e.selectedTracks);
    m_target->button(int(PasteTarget::Mixdown))->setEnabled(e.mixdown);
    m_onlyNotes = checkBox("onlyNotes1424", "Only notes", false);
    m_first = new CTimePosCtrl(song, m_model.firstCopy, 0, this);
    m_first->setObjectName("first1012");
    m_second = new CTimePosCtrl(song, m_model.secondCopy, 0, this);
    m_second->setObjectName("second1011");

    auto* form = new QFormLayout;
    form->addRow("How many copies?", m_copies);
    form->addRow("First copy at:", m_first);
    form->addRow("Second copy at:", m_second);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(targets);
    layout->addWidget(m_onlyNotes);
    addButtonRow(layout);
    connect(m_target, &QButtonGroup::idClicked, this, [this] { changed(); });
    connect(m_first, &CTimePosCtrl::changed, this, [this] { changed(); });
    connect(m_second, &CTimePosCtrl::changed, this, [this] { changed(); });
    changed();
}

void CPasteEventsDlg::changed()
{
    m_model.copies = numberOf(m_copies);
    m_model.target = PasteTarget(m_target->checkedId());
    m_model.onlyNotes = m_onlyNotes->isChecked();
    if (m_first->tick() >= 0)
        m_model.firstCopy = m_first->tick();
    if (m_second->tick() >= 0)
        m_model.secondCopy = m_second->tick();
    m_second->setEnabled(m_model.enabling().secondCopy);
}

void CPasteEventsDlg::accept()
{
    if (!checkedNumber(m_song.context().prompt, m_copies, 1, PasteEventsModel::kMaxCopies))
        return;
    changed();
    m_model.save(m_song.context().profile);
    QDialog::accept();
}

} // namespace rz
