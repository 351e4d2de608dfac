#include "dialogs/insert_time_dlg.h"

#include "core/prompt.h"
#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "song/song_doc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {

namespace {

constexpr int kDefaultRate = -1; // the time code's default frame rate

} // namespace

CInsertTimeDlg::CInsertTimeDlg(CSongDoc& song, QWidget* parent)
    : TimeEditDialog("Insert Time...", "::/Time.htm#INSERT", parent), m_song(song), m_model(song)
{
    QWidget* methods = methodBox();
    makeCountEdit();
    makeMeterFields();
    layOut(methods);
    connect(m_method, &QButtonGroup::idClicked, this, [this] { changed(); });
    connect(m_beatValue, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    connect(m_key, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    changed();
}

// How the time is counted, with the time code the milliseconds align to.
QWidget* CInsertTimeDlg::methodBox()
{
    auto* methods = new QGroupBox("Method", this);
    auto* column = new QVBoxLayout(methods);
    m_method = new QButtonGroup(this);
    const struct {
        const char* name;
        const char* text;
        InsertTimeMethod method;
    } kMethods[] = {
        {"measures1037", "Whole measure(s)", InsertTimeMethod::Measures},
        {"beats1119", "Beat(s) to current measure", InsertTimeMethod::Beats},
        {"ticks1120", "Ticks at current time", InsertTimeMethod::Ticks},
        {"ms1121", "Miliseconds to align SMPTE timecode to", InsertTimeMethod::Milliseconds},
    };
    for (const auto& method : kMethods) {
        auto* radio = new QRadioButton(method.text, methods);
        radio->setObjectName(method.name);
        m_method->addButton(radio, int(method.method));
        column->addWidget(radio);
    }
    m_method->button(int(m_model.method))->setChecked(true);
    m_smpte = new CSmpteEdit(m_model.smpteFor(0), kDefaultRate, this);
    m_smpte->setObjectName("smpte134");
    column->addWidget(m_smpte);
    return methods;
}

void CInsertTimeDlg::makeCountEdit()
{
    // The arrows first show the time code of the count as it stood.
    m_count = new SpinEdit(this);
    m_count->setObjectName("count1006");
    m_count->setText(QString::number(m_model.count));
    connect(m_count, &SpinEdit::stepRequested, this, [this](bool up) {
        showSmpteOfCount();
        const int64_t next = int64_t(numberOf(m_count)) + (up ? 1 : -1);
        m_count->setText(QString::number(std::clamp<int64_t>(next, 1, InsertTimeModel::kMaxCount)));
        changed();
    });
    connect(m_count, &QLineEdit::textEdited, this, [this] { changed(); });
    connect(m_count, &SpinEdit::focusLost, this, &CInsertTimeDlg::showSmpteOfCount);
    connect(m_smpte, &CSmpteEdit::changed, this, [this] {
        m_count->setText(QString::number(m_model.countFor(m_smpte->time())));
        changed();
    });
}

// The meter and key of inserted measures, and what happens to the events.
void CInsertTimeDlg::makeMeterFields()
{
    m_beats = numberEdit("beats1117", m_model.numerator, 1, InsertTimeModel::kMaxBeats);
    m_beatValue = new QComboBox(this);
    m_beatValue->setObjectName("beatValue1008");
    for (const char* value : InsertTimeModel::kBeatValues)
        m_beatValue->addItem(value);
    m_beatValue->setCurrentIndex(m_model.beatValue);
    m_key = new QComboBox(this);
    m_key->setObjectName("key1005");
    for (const char* name : InsertTimeModel::kKeyNames)
        m_key->addItem(name);
    m_key->setCurrentIndex(m_model.keyIndex);
    m_preserve = checkBox("preserve1113", "Preserve measure numbers", m_model.preserveNumbers);
    m_offsetOn = checkBox("offset1111", "Offset event selection by", m_model.offset.on);
    m_offset = numberEdit("offset1010", m_model.offset.percent, 0, kSpinPercent);
    m_stretchOn = checkBox("stretch1118", "Stretch events which overlap by more than", m_model.stretch.on);
    m_stretch = numberEdit("stretch1011", m_model.stretch.percent, 0, kSpinPercent);
}

void CInsertTimeDlg::layOut(QWidget* methods)
{
    auto* form = new QFormLayout;
    form->addRow("How many?", m_count);
    form->addRow("beats:", m_beats);
    form->addRow("beat value:", m_beatValue);
    form->addRow("key:", m_key);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(methods);
    layout->addLayout(form);
    layout->addWidget(m_preserve);
    layout->addLayout(amountRow(m_offsetOn, m_offset));
    layout->addLayout(amountRow(m_stretchOn, m_stretch));
    addButtonRow(layout);
}

void CInsertTimeDlg::showSmpteOfCount()
{
    m_smpte->setTime(m_model.smpteFor(std::max(numberOf(m_count), 0)));
}

void CInsertTimeDlg::changed()
{
    m_model.method = InsertTimeMethod(m_method->checkedId());
    m_model.count = numberOf(m_count);
    m_model.numerator = numberOf(m_beats);
    m_model.beatValue = m_beatValue->currentIndex();
    m_model.keyIndex = m_key->currentIndex();
    m_model.preserveNumbers = m_preserve->isChecked();
    m_model.offset = {m_offsetOn->isChecked(), numberOf(m_offset)};
    m_model.stretch = {m_stretchOn->isChecked(), numberOf(m_stretch)};
    const InsertTimeModel::Enabling e = m_model.enabling();
    for (InsertTimeMethod other :
         {InsertTimeMethod::Measures, InsertTimeMethod::Beats, InsertTimeMethod::Milliseconds})
        m_method->button(int(other))->setEnabled(e.otherMethods);
    for (QWidget* field : std::initializer_list<QWidget*>{m_beats, m_beatValue, m_key, m_preserve})
        field->setEnabled(e.measureFields);
    m_smpte->setEnabled(e.smpte);
    m_offset->setEnabled(e.offsetAmount);
    m_stretch->setEnabled(e.stretchAmount);
}

// Measures and beats are counted up to the arrows' limit; ticks and
// milliseconds may be more (a time code aligned a minute on), never none.
bool CInsertTimeDlg::fieldsInRange()
{
    IPrompt& prompt = m_song.context().prompt;
    const bool counted = m_model.method == InsertTimeMethod::Measures || m_model.method == InsertTimeMethod::Beats;
    if (!checkedNumber(prompt, m_count, 1, counted ? InsertTimeModel::kMaxCount : kMaxDialogTick))
        return false;
    if (m_model.enabling().measureFields && !checkedNumber(prompt, m_beats, 1, InsertTimeModel::kMaxBeats))
        return false;
    return amountInRange(prompt, m_offset) && amountInRange(prompt, m_stretch);
}

void CInsertTimeDlg::accept()
{
    changed();
    if (!fieldsInRange())
        return;
    m_model.save(m_song.context().profile);
    QDialog::accept();
}

} // namespace rz
