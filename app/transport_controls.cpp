// The transport panel as the application fills it: what it shows, which
// fields a refresh repaints, the spectrum and level marker, and the two
// faders. GUI thread.

#include "app/transport_controls.h"

#include "app/main_frame.h"
#include "app/spectrum_display.h"
#include "app/transport_panel.h"
#include "app/transport_text.h"
#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/ms_clock.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/smpte_time.h"
#include "core/tempo_multiplier.h"
#include "engine/audio/spectrum_analyzer.h"
#include "engine/sequencer.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "song/tempo_map.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/fader_ctrl.h"
#include "ui/gui_thread.h"

#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr int kMaxSkipCount = 9;
constexpr int kLastDisplayMode = 2;

int stateIconOf(TransportState state)
{
    switch (state) {
    case TransportState::Playing:
    case TransportState::Starting: return bitmap_id::kPlaying;
    case TransportState::Paused:
    case TransportState::Holding: return bitmap_id::kPaused;
    default: return 0;
    }
}

std::string songCaption(const CSongDoc& song)
{
    if (!song.title.empty())
        return song.title;
    return song.pathName.empty() ? std::string("Untitled") : song.pathName.stem().string();
}

uint32_t tempoInForce(const CSongDoc& song, int32_t tick)
{
    if (song.tempoMap.empty())
        return 0;
    return song.tempoMap[size_t(song.FindTempoIndex(tick))].tempo;
}

} // namespace

TransportControls::TransportControls(TransportControlSeams seams) : m_seams(std::move(seams)) {}

TransportControls::~TransportControls() = default;

void TransportControls::readOptions()
{
    const IProfile& p = m_seams.profile;
    m_audioFace = readSetting(p, settings::kDisplayAudioFace);
    m_bouncingBall = readSetting(p, settings::kDisplayBouncingBall) != 0;
    m_viewSetTime = std::clamp(readSetting(p, settings::kDisplayViewSetTime), 0, kLastDisplayMode);
    m_clickOn = readSetting(p, settings::kClickEnabled) != 0;
    publishBeatDisplay();
}

// The idle timer wakes the GUI for the beat only while a face shows it.
void TransportControls::publishBeatDisplay()
{
    if (CSequencer* sequencer = m_seams.sequencer())
        sequencer->setBeatDisplayShown(m_audioFace == kSpectrumFace
                                       || (m_audioFace == kMarkerFace && m_bouncingBall));
}

void TransportControls::connectFrame()
{
    MainFrame* frame = m_seams.frame();
    m_panel = std::make_unique<TransportPanel>();
    m_spectrumDisplay = std::make_unique<SpectrumDisplay>();
    m_spectrumAnalyzer = std::make_unique<SpectrumAnalyzer>();
    if (CSequencer* sequencer = m_seams.sequencer())
        sequencer->setSpectrumSink(m_spectrumAnalyzer.get());
    publishBeatDisplay();
    frame->setPanelPainter([this](QPainter& painter, const QRect& panel) {
        m_panel->paint(painter, panel, panelState(), *m_spectrumDisplay);
    });
    connect(frame->tempoFader(), &FaderCtrl::changed, this, &TransportControls::onTempoFader);
    connect(frame->volumeFader(), &FaderCtrl::changed, this, &TransportControls::onVolumeFader);
    frame->tempoFader()->setPos(tempoFaderPosition(tempoMultiplier()));
    updateButtons();
}

PanelState TransportControls::panelState() const
{
    PanelState s;
    s.mode = m_viewSetTime;
    s.stateIcon = stateIconOf(m_seams.engine()->transportState());
    s.spectrum = m_audioFace == kSpectrumFace;
    s.marker = m_audioFace == kMarkerFace && m_bouncingBall;
    s.skip = skipText(m_skipCount);
    const CSongDoc* song = m_seams.currentSong();
    if (song == nullptr) {
        s.tempo = tempoText(tempoMultiplier(), 0);
        return s;
    }
    const int32_t tick = song->position();
    const int rate = defaultSmpteRate();
    const BeatPosition at = beatPosition(song->measureMap, song->timeBase, tick);
    const double songTime = song->TickToTime(tick);
    const double songLength = song->TickToTime(song->endTick);
    s.title = songCaption(*song);
    s.position = positionText(song->measureMap, song->timeBase, tick);
    s.elapsed = smpteText(songTime + song->smpteOffset.time(), rate);
    s.remaining = smpteText(songLength - songTime, rate);
    if (const SetDocument* set = m_seams.set()) {
        const SetDocument::Totals& totals = set->totals();
        s.setElapsed = smpteText(totals.elapsed + songTime, rate);
        s.setRemaining = smpteText(totals.total - totals.elapsed - songTime, rate);
    }
    s.measure = at.measure;
    s.measureField = measureLabel(at.measure.number, at.measure.letter);
    if (const CSequencer* sequencer = m_seams.sequencer(); sequencer && sequencer->countingIn())
        s.measureField = std::to_string(countInBeats(
            sequencer->recordStart(), tick, beatLength(song->timeBase, at.measure)));
    s.beatDigit = at.click % 10;
    s.tempo = tempoText(tempoMultiplier(), tempoInForce(*song, tick));
    return s;
}

void TransportControls::repaint()
{
    MainFrame* frame = m_seams.frame();
    if (!frame || !m_panel)
        return;
    const QRegion changed = m_panel->changedRegion(panelState());
    if (!changed.isEmpty())
        frame->QWidget::update(changed.translated(frame->panelRect().topLeft()));
}

// The spectrum at most every 50 ms, or the level marker when it moved.
void TransportControls::drawSpectrum(double beatPhase)
{
    RZ_ASSERT_GUI_THREAD();
    repaint();
    MainFrame* frame = m_seams.frame();
    if (!frame || !m_spectrumDisplay)
        return;
    const QPoint panel = frame->panelRect().topLeft();
    if (m_audioFace == kSpectrumFace) {
        if (!m_spectrumDisplay->takeFrame(timeGetTime()))
            return;
        const auto levels = m_spectrumAnalyzer->levels();
        m_spectrumDisplay->step(levels);
        frame->QWidget::update(TransportPanel::kSpectrumRect.translated(panel));
    } else if (m_audioFace == kMarkerFace && m_bouncingBall
               && m_spectrumDisplay->moveMarker(beatPhase)) {
        frame->QWidget::update(TransportPanel::kMarkerRect.translated(panel));
    }
}

void TransportControls::updateButtons()
{
    if (MainFrame* frame = m_seams.frame())
        frame->updateTransportButtons();
}

void TransportControls::setDisplayMode(int mode)
{
    m_viewSetTime = std::clamp(mode, 0, kLastDisplayMode);
    writeSetting(m_seams.profile, settings::kDisplayViewSetTime, m_viewSetTime);
    // The set pane shows each song's length only beside set times.
    refreshSongCaptions();
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    const bool transpose = m_viewSetTime == 0;
    frame->button(MainFrame::Button::TransposeUp)->setVisible(transpose);
    frame->button(MainFrame::Button::TransposeDown)->setVisible(transpose);
    repaint();
}

void TransportControls::refreshSongCaptions()
{
    SetDocument* set = m_seams.set();
    if (!set)
        return;
    for (CSongDoc* song : set->songs())
        set->UpdateSongCaption(*song);
}

void TransportControls::setSkipCount(int count)
{
    m_skipCount = std::clamp(count, 0, kMaxSkipCount);
    repaint();
}

void TransportControls::setClickOn(bool on)
{
    m_clickOn = on;
    if (GuiToEngineValues* published = m_seams.published())
        published->setClickOn(on);
    updateButtons();
}

int32_t TransportControls::tempoMultiplier() const
{
    const IEngineLink* engine = m_seams.engine();
    return engine ? engine->tempoMultiplier() : kNormalMultiplier;
}

// The engine keeps the multiplier, held within its range.
void TransportControls::setTempoMultiplier(int32_t multiplier, bool clearBase)
{
    if (multiplier <= 0)
        return;
    if (clearBase)
        m_pitchBendBase = 0;
    if (IEngineLink* engine = m_seams.engine())
        engine->setTempoMultiplier(multiplier);
    tempoMultiplierChanged();
}

// The fader shows 1000 x log2 of the multiplier's ratio to 100 %.
void TransportControls::tempoMultiplierChanged()
{
    RZ_ASSERT_GUI_THREAD();
    if (MainFrame* frame = m_seams.frame()) {
        frame->tempoFader()->setPos(tempoFaderPosition(tempoMultiplier()));
        repaint();
    }
}

void TransportControls::onTempoFader()
{
    setTempoMultiplier(multiplierFromFader(m_seams.frame()->tempoFader()->pos()), true);
}

// While playing, the engine takes the fader's value on its own tick.
void TransportControls::onVolumeFader()
{
    IEngineLink& engine = *m_seams.engine();
    if (engine.transportState() != TransportState::Playing)
        engine.SetMasterVolume(m_seams.frame()->volumeFader()->pos());
}

void TransportControls::setVolume(int32_t value)
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    FaderCtrl* volume = frame->volumeFader();
    volume->setPos(value);
    if (GuiToEngineValues* published = m_seams.published())
        published->setMasterFader(volume->pos());
    onVolumeFader();
}

} // namespace rz
