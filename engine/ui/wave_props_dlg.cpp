#include "engine/ui/wave_props_dlg.h"

#include "core/engine_link.h"
#include "core/prompt.h"
#include "core/smpte_time.h"
#include "dialogs/field_values.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/song_doc.h"
#include "song/track.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace rz {

namespace {

constexpr const char* kWavePropsHelpTopic = "::/Audio2.htm#props";

} // namespace

CWavePropsDlg::CWavePropsDlg(CSongDoc& song, const WavePropsParams& clip, QWidget* parent)
    : DialogBase(parent, kWavePropsHelpTopic), m_song(song), m_clip(clip)
{
    setWindowTitle("Waveform Properties");
    auto* file = new QLineEdit(QString::fromStdString(clip.fileName), this);
    file->setReadOnly(true);
    file->setObjectName("file1005");
    m_repeat = new QSpinBox(this);
    m_repeat->setObjectName("repeat1368");
    // Out-of-range counts are typed and refused at OK, with a message.
    m_repeat->setRange(0, 999);
    m_repeat->setValue(clip.repeatCount);
    m_duration = new QLabel(this);
    m_duration->setObjectName("duration1009");
    m_position = new CTimePosCtrl(song, clip.tick, 0, this);
    m_position->setObjectName("position1011");
    m_smpte = new CSmpteEdit(smpteTimeOfTick(song, clip.tick), song.context().engine.syncOptions().smpteRate,
                             this);
    m_smpte->setObjectName("smpte1013");
    m_track = new QComboBox(this);
    m_track->setObjectName("track1018");
    auto* play = new QHBoxLayout;
    play->addWidget(new QLabel("Play:", this));
    play->addWidget(m_repeat);
    play->addWidget(new QLabel("times", this));
    auto* buttons = buttonRow();
    auto* form = new QFormLayout;
    form->addRow("File:", file);
    form->addRow(play);
    form->addRow("Duration:", m_duration);
    form->addRow("Position:", m_position);
    form->addRow("SMPTE:", m_smpte);
    form->addRow("Track:", m_track);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    showDuration();
    fillTracks();
    connect(m_repeat, &QSpinBox::valueChanged, this, [this] { showDuration(); });
    connect(m_position, &CTimePosCtrl::changed, this, &CWavePropsDlg::onTickChanged);
    connect(m_smpte, &CSmpteEdit::changed, this, &CWavePropsDlg::onSmpteChanged);
}

// The waveform tracks, the last track (never a user's) left out.
void CWavePropsDlg::fillTracks()
{
    for (size_t t = 1; t + 1 < m_song.tracks.size(); ++t) {
        if (m_song.tracks[t]->type != kWaveTrack)
            continue;
        m_track->addItem(QString("%1: %2").arg(t).arg(QString::fromStdString(m_song.tracks[t]->name)), int(t));
        if (int32_t(t) == m_clip.track)
            m_track->setCurrentIndex(m_track->count() - 1);
    }
}

// One pass times the count, as time code at the default rate.
void CWavePropsDlg::showDuration()
{
    const double us = double(m_clip.clipLength) * m_repeat->value() * 0.1;
    m_duration->setText(QString::fromStdString(CSmpteTime(us, -1).Format()));
}

QString CWavePropsDlg::durationText() const
{
    return m_duration->text();
}

void CWavePropsDlg::onTickChanged()
{
    if (m_position->tick() >= 0)
        m_smpte->setTime(smpteTimeOfTick(m_song, m_position->tick()));
}

// A time before the song's offset places the clip at the song's start, and
// shows that start.
void CWavePropsDlg::onSmpteChanged()
{
    m_position->setTick(tickOfSmpteTime(m_song, m_smpte->time()));
    const double start = smpteTimeOfTick(m_song, 0);
    if (m_smpte->time() < start)
        m_smpte->setTime(start);
}

void CWavePropsDlg::accept()
{
    if (m_repeat->value() < 1 || m_repeat->value() > kMaxRepeats) {
        m_song.context().prompt.message(rangeMessage(1, kMaxRepeats), PromptIcon::Warning);
        m_repeat->setFocus();
        return;
    }
    QDialog::accept();
}

WavePropsParams CWavePropsDlg::params() const
{
    WavePropsParams params = m_clip;
    params.repeatCount = m_repeat->value();
    if (m_position->tick() >= 0)
        params.tick = m_position->tick();
    if (m_track->currentIndex() >= 0)
        params.track = m_track->currentData().toInt();
    return params;
}

} // namespace rz
