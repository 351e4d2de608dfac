#include "dialogs/cue_props_dlg.h"

#include "core/prompt.h"
#include "dialogs/cue_props_model.h"
#include "dialogs/cue_type_combo.h"
#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/cue.h"
#include "song/song_doc.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr const char* kCuePropsHelpTopic = "::/Cues.htm";
// Counts above the limit can be typed and are refused at OK, with a message.
constexpr int kTypedCountLimit = 9999;

QSpinBox* countEdit(QWidget* parent, int value, const char* name)
{
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setRange(0, kTypedCountLimit);
    edit->setValue(std::clamp(value, 0, kTypedCountLimit));
    return edit;
}

} // namespace

CCuePropsDlg::CCuePropsDlg(CSongDoc& song, const CuePropsParams& cue, bool timeCode, QWidget* parent)
    : DialogBase(parent, kCuePropsHelpTopic), m_song(song), m_cue(cue),
      m_labelText(cue.inserting ? std::string() : cue.name)
{
    const CueStart start = cueStartOf(song, cue);
    m_startKind = start.kind;
    setWindowTitle(cue.inserting ? "Insert cue..." : "Cue properties...");
    m_kind = new CueTypeCombo(this);
    m_kind->setObjectName("type1020");
    m_kind->FillCueTypes();
    m_kind->setCurrentIndex(m_kind->findData(start.kind));
    m_label = new QLineEdit(QString::fromStdString(m_labelText.shown()), this);
    m_label->setObjectName("label1004");
    m_playTimes = countEdit(this, cue.inserting ? 0 : cue.repeatCount, "times1096");
    m_endingBars = countEdit(this, cue.inserting ? 0 : cue.secondCount, "bars1097");
    if (timeCode) {
        m_stopTime = new CSmpteEdit(smpteTimeOfTick(song, start.stop), -1, this);
        m_restartTime = new CSmpteEdit(smpteTimeOfTick(song, start.restart), -1, this);
        m_stop = m_stopTime;
    } else {
        m_stopPos = new CTimePosCtrl(song, start.stop, 0, this);
        m_restartPos = new CTimePosCtrl(song, start.restart, 0, this);
        m_stop = m_stopPos;
    }
    m_stop->setObjectName("stop125");
    (timeCode ? static_cast<QWidget*>(m_restartTime) : m_restartPos)->setObjectName("restart124");
    auto* heading = new QLabel(timeCode ? "Hour :  Min :  Sec .  Frame" : "Meas  :  Beat :  Tick", this);
    heading->setObjectName(timeCode ? "heading1403" : "heading1402");
    m_stopLabel = new QLabel("Stop at:", this);

    auto* buttons = buttonRow();
    auto* form = new QFormLayout;
    form->addRow("Type:", m_kind);
    auto* label = new QHBoxLayout;
    label->addWidget(m_label);
    label->addWidget(new QLabel("(opt)", this));
    form->addRow("Label:", label);
    auto* times = new QHBoxLayout;
    times->addWidget(m_playTimes);
    times->addWidget(new QLabel("(0=unlimited)", this));
    form->addRow("Play times:", times);
    auto* bars = new QHBoxLayout;
    bars->addWidget(m_endingBars);
    bars->addWidget(new QLabel("(skipped on final play)", this));
    form->addRow("Ending bars:", bars);
    form->addRow("", heading);
    form->addRow(m_stopLabel, m_stop);
    form->addRow("Restart at:", timeCode ? static_cast<QWidget*>(m_restartTime) : m_restartPos);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &CCuePropsDlg::UpdateControls);
    UpdateControls();
}

int CCuePropsDlg::selectedKind() const
{
    // A kind the list does not offer stays as it was.
    return m_kind->currentIndex() >= 0 ? m_kind->kindAt(m_kind->currentIndex()) : m_startKind;
}

double CCuePropsDlg::stopValue() const
{
    return m_stopTime ? m_stopTime->time() : double(m_stopPos->tick());
}

double CCuePropsDlg::restartValue() const
{
    return m_restartTime ? m_restartTime->time() : double(m_restartPos->tick());
}

void CCuePropsDlg::swapPositions()
{
    if (m_stopTime) {
        const double stop = m_stopTime->time();
        m_stopTime->setTime(m_restartTime->time());
        m_restartTime->setTime(stop);
    } else {
        const int32_t stop = m_stopPos->tick();
        m_stopPos->setTick(m_restartPos->tick());
        m_restartPos->setTick(stop);
    }
}

void CCuePropsDlg::UpdateControls()
{
    const int kind = selectedKind();
    const CueKindControls enabled = cueKindControls(kind);
    m_playTimes->setEnabled(enabled.playTimes);
    m_endingBars->setEnabled(enabled.endingBars);
    m_stop->setEnabled(enabled.stop);
    m_stopLabel->setEnabled(enabled.stop);
    if (cueNeedsSwap(kind, stopValue(), restartValue()))
        swapPositions();
}

int32_t CCuePropsDlg::stopTick() const
{
    if (m_stopTime)
        return tickOfSmpteTime(m_song, m_stopTime->time());
    return std::max(m_stopPos->tick(), 0);
}

int32_t CCuePropsDlg::restartTick() const
{
    if (m_restartTime)
        return tickOfSmpteTime(m_song, m_restartTime->time());
    return std::max(m_restartPos->tick(), 0);
}

void CCuePropsDlg::accept()
{
    IPrompt& prompt = m_song.context().prompt;
    for (QSpinBox* count : {m_playTimes, m_endingBars}) {
        if (count->value() > kMaxCueCount) {
            prompt.message(rangeMessage(0, kMaxCueCount), PromptIcon::Warning);
            count->setFocus();
            return;
        }
    }
    const int kind = selectedKind();
    if (kind == kCueMarker) {
        if (m_stopTime)
            m_stopTime->setTime(m_restartTime->time());
        else
            m_stopPos->setTick(m_restartPos->tick());
    }
    if (const char* message = cueOrderMessage(kind, stopValue(), restartValue())) {
        prompt.message(message, PromptIcon::Stop);
        return;
    }
    m_result = kind;
    QDialog::accept();
}

CuePropsParams CCuePropsDlg::params() const
{
    CuePropsParams p;
    p.kind = m_result >= 0 ? m_result : selectedKind();
    p.name = m_labelText.result(m_label->text().toStdString());
    p.repeatCount = m_playTimes->value();
    p.secondCount = m_endingBars->value();
    p.time = stopTick();
    p.secondTime = restartTick();
    return p;
}

} // namespace rz
