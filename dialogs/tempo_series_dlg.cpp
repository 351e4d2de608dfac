#include "dialogs/tempo_series_dlg.h"

#include "core/engine_link.h"
#include "core/locks.h"
#include "core/ms_clock.h"
#include "core/settings.h"
#include "dialogs/field_values.h"
#include "song/song_doc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cassert>
#include <mutex>

namespace rz {

namespace {

constexpr std::array<const char*, 12> kBeatNames = {
    "Same as metronome", "Whole", "Half", "Half triplet", "Quarter", "Quarter triplet",
    "Eighth", "Eighth triplet", "Sixteenth", "Sixteenth triplet", "Thirty-second",
    "Thirty-second triplet",
};

} // namespace

// Hands played beats to the dialog's thread. The input thread posts under
// the lock, and the dialog cuts it off under the same lock before it goes,
// so no beat reaches a dialog that is gone; Qt delivers one sender's posts
// to one receiver in the order they were posted.
class CTempoSeriesDlg::Sink : public ITempoTapSink {
public:
    explicit Sink(CTempoSeriesDlg* dialog) : m_dialog(dialog) {}

    // Input dispatch thread; never waits on the GUI.
    void OnMidiTap(uint32_t msClock) override
    {
        std::lock_guard lock(m_mutex);
        if (CTempoSeriesDlg* dialog = m_dialog)
            QMetaObject::invokeMethod(dialog, [dialog, msClock] { dialog->beat(msClock); }, Qt::QueuedConnection);
    }
    // GUI thread.
    void detach()
    {
        std::lock_guard lock(m_mutex);
        m_dialog = nullptr;
    }

private:
    std::mutex m_mutex;
    CTempoSeriesDlg* m_dialog;
};

CTempoSeriesDlg::CTempoSeriesDlg(CSongDoc& song, QWidget* parent, std::function<uint32_t()> engineClock)
    : DialogBase(parent, "::/Tempo.htm#SERIES"), m_song(song), m_clock(std::move(engineClock)),
      m_sink(std::make_shared<Sink>(this))
{
    if (!m_clock)
        m_clock = [] { return timeGetTime(); };
    setWindowTitle("Insert a series of tempo changes...");
    m_beatTick = std::max(song.position(), 0);
    build();
    readDefaults();
    modeChanged();
    m_typing->setFocus();
}

CTempoSeriesDlg::~CTempoSeriesDlg()
{
    m_sink->detach();
}

std::shared_ptr<ITempoTapSink> CTempoSeriesDlg::tapSink() const
{
    return m_sink;
}

void CTempoSeriesDlg::build()
{
    m_mode = new QButtonGroup(this);
    auto* maintain = new QRadioButton("Maintain note measure/beat positions", this);
    maintain->setObjectName("maintain1037");
    auto* align = new QRadioButton("Align an ad-lib recording to measure/beat positions", this);
    align->setObjectName("align1038");
    m_mode->addButton(maintain, 0);
    m_mode->addButton(align, 1);
    m_resolution = new QComboBox(this);
    m_resolution->setObjectName("beatSize1146");
    for (const char* name : kBeatNames)
        m_resolution->addItem(name);
    m_playMidi = new QCheckBox("Play MIDI notes", this);
    m_playMidi->setObjectName("playMidi1176");
    m_playAudio = new QCheckBox("Play audio clips on first beat", this);
    m_playAudio->setObjectName("playAudio1001");
    m_typing = new QLineEdit(this);
    m_typing->setObjectName("beats1043");
    m_count = new QLineEdit(this);
    m_count->setObjectName("count1041");
    m_count->setReadOnly(true);
    m_count->setFocusPolicy(Qt::NoFocus);

    auto* form = new QFormLayout;
    form->addRow("Beat size:", m_resolution);
    form->addRow(m_playMidi);
    form->addRow(m_playAudio);
    form->addRow(new QLabel("Play a note or type a letter here for each beat:", this));
    form->addRow(m_typing);
    form->addRow("# of beats captured:", m_count);
    auto* buttons = buttonRow();
    for (QAbstractButton* button : buttons->buttons())
        button->setFocusPolicy(Qt::NoFocus); // a typed space is a beat, not a press
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(maintain);
    layout->addWidget(align);
    layout->addWidget(new QLabel("Playback will begin with the 1st beat", this));
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_mode, &QButtonGroup::idClicked, this, &CTempoSeriesDlg::modeChanged);
    connect(m_playMidi, &QCheckBox::clicked, this, &CTempoSeriesDlg::playMidiChanged);
    connect(m_typing, &QLineEdit::textEdited, this, [this] { beat(m_clock()); });
}

bool CTempoSeriesDlg::alignAudio() const
{
    return m_mode->checkedId() == 1;
}

// Align mode leaves the song where it is until the first beat starts it.
void CTempoSeriesDlg::modeChanged()
{
    const bool align = alignAudio();
    m_playMidi->setEnabled(!align);
    m_playAudio->setEnabled(!align);
    if (align)
        m_song.context().engine.Stop(false);
    else
        playMidiChanged();
}

void CTempoSeriesDlg::playMidiChanged()
{
    ITransportLink& engine = m_song.context().engine;
    if (m_playMidi->isChecked())
        engine.PauseAsStarting();
    else
        engine.Stop(false);
}

// A meter from a file may count 0 clocks per click: that counts as 24.
int32_t CTempoSeriesDlg::beatSize() const
{
    const int index = m_resolution->currentIndex();
    if (index >= 1 && size_t(index) <= kBeatSizes.size())
        return kBeatSizes[size_t(index) - 1];
    const int measure = m_song.FindMeasure(m_beatTick);
    int clocks = measure >= 0 && size_t(measure) < m_song.measureMap.size()
                     ? m_song.measureMap[size_t(measure)].clocksPerClick
                     : 24;
    if (clocks <= 0)
        clocks = 24;
    return clocks * 120 / 24;
}

// The gap since the previous beat sets that beat's tempo, in 64 bits and
// held to what a song can store: long gaps would pass 32 bits.
void CTempoSeriesDlg::beat(uint32_t clockMs)
{
    const int32_t quarter = std::max<int32_t>(m_song.timeBase, 1);
    if (m_lastBeatClock) {
        const int64_t gap = int64_t(uint32_t(clockMs - *m_lastBeatClock)) * 1000;
        const int32_t size = beatSize();
        m_entries.back().tempo =
            uint32_t(std::clamp<int64_t>(gap * 120 / size, kMinTempoMicros, kMaxTempoMicros));
        ++m_beatCount;
        m_beatTick = int32_t(std::min<int64_t>(m_beatTick + int64_t(size) * quarter / 120, kMaxDialogTick));
    }
    m_entries.push_back({m_beatTick, 0, double(clockMs) * 1000.0});
    m_lastBeatClock = clockMs;
    QMetaObject::invokeMethod(this, &CTempoSeriesDlg::followUp, Qt::QueuedConnection);
}

void CTempoSeriesDlg::followUp()
{
    for (QAbstractButton* radio : m_mode->buttons())
        radio->setEnabled(false);
    m_resolution->setEnabled(false);
    m_count->setText(QString::number(m_beatCount));
    ITransportLink& engine = m_song.context().engine;
    if (!alignAudio()) {
        if (engine.transportState() == TransportState::Starting) {
            // Starting: the locate sounds what sounds there.
            LockGuard guard(SongMutex(), "TempoSeries");
            if (guard)
                m_song.Locate(m_beatTick + m_song.timeBase / 8);
        } else {
            engine.LocateSong(m_song, m_beatTick);
        }
        m_song.UpdateViews();
        return;
    }
    if (m_beatCount == 0 && m_entries.size() == 1)
        engine.Advance(true);
    else if (engine.transportState() == TransportState::Stopped)
        m_typing->setEnabled(false);
}

std::vector<CTempoSeriesDlg::Entry> CTempoSeriesDlg::entries() const
{
    std::vector<Entry> out = m_entries;
    if (!out.empty() && out.back().tempo == 0) {
        const int index = m_song.FindTempoIndex(out.back().tick);
        out.back().tempo = index >= 0 && size_t(index) < m_song.tempoMap.size()
                               ? m_song.tempoMap[size_t(index)].tempo
                               : 500000;
    }
    return out;
}

std::vector<TempoPoint> CTempoSeriesDlg::points() const
{
    std::vector<TempoPoint> out;
    for (const Entry& e : entries())
        out.push_back({e.tick, e.tempo});
    return out;
}

void CTempoSeriesDlg::accept()
{
    m_song.context().engine.Stop(false);
    writeDefaults();
    QDialog::accept();
}

void CTempoSeriesDlg::reject()
{
    m_song.context().engine.Stop(false);
    QDialog::reject();
}

void CTempoSeriesDlg::readDefaults()
{
    const IProfile& profile = m_song.context().profile;
    m_mode->button(readSetting(profile, settings::kDefaultsTempoAlign))->setChecked(true);
    m_resolution->setCurrentIndex(readSetting(profile, settings::kDefaultsTempoResolution));
    m_playMidi->setChecked(readSetting(profile, settings::kDefaultsTempoPlayMIDI) != 0);
    m_playAudio->setChecked(readSetting(profile, settings::kDefaultsTempoPlayAudio) != 0);
}

void CTempoSeriesDlg::writeDefaults()
{
    IProfile& profile = m_song.context().profile;
    writeSetting(profile, settings::kDefaultsTempoAlign, alignAudio() ? 1 : 0);
    writeSetting(profile, settings::kDefaultsTempoResolution, std::max(m_resolution->currentIndex(), 0));
    writeSetting(profile, settings::kDefaultsTempoPlayMIDI, m_playMidi->isChecked() ? 1 : 0);
    writeSetting(profile, settings::kDefaultsTempoPlayAudio, m_playAudio->isChecked() ? 1 : 0);
}

} // namespace rz
