// The transport panel as the application fills it: what it shows, which
// fields a refresh repaints, the spectrum and level marker, the transport
// buttons' context and the two faders. GUI thread.

#include "app/app.h"

#include "app/control_states.h"
#include "app/main_frame.h"
#include "app/spectrum_display.h"
#include "app/transport_panel.h"
#include "app/transport_text.h"
#include "core/engine_link.h"
#include "core/ms_clock.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/smpte_time.h"
#include "engine/sequencer.h"
#include "engine/audio/spectrum_analyzer.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "song/tempo_map.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/fader_ctrl.h"
#include "ui/gui_thread.h"
#include "views/track_view.h"

#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr int kMaxSkipCount = 9;
constexpr int kSpectrumFace = 1;
constexpr int kMarkerFace = 0;
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

void App::connectTransportPanel()
{
    m_transportPanel = std::make_unique<TransportPanel>();
    m_spectrumDisplay = std::make_unique<SpectrumDisplay>();
    m_spectrumAnalyzer = std::make_unique<SpectrumAnalyzer>();
    if (m_sequencer)
        m_sequencer->setSpectrumSink(m_spectrumAnalyzer.get());
    m_frame->setPanelPainter([this](QPainter& painter, const QRect& panel) {
        m_transportPanel->paint(painter, panel, panelState(), *m_spectrumDisplay);
    });
    connect(m_frame->tempoFader(), &FaderCtrl::changed, this, &App::onTempoFader);
    connect(m_frame->volumeFader(), &FaderCtrl::changed, this, &App::onVolumeFader);
    m_frame->tempoFader()->setPos(tempoFaderPosition(tempoMultiplier()));
    updateTransportButtons();
}

PanelState App::panelState() const
{
    PanelState s;
    s.mode = m_viewSetTime;
    s.stateIcon = stateIconOf(m_engine->transportState());
    s.spectrum = m_audioFace == kSpectrumFace;
    s.marker = m_audioFace == kMarkerFace && m_bouncingBall;
    s.skip = skipText(m_skipCount);
    const CSongDoc* song = m_currentSong;
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
    if (m_set) {
        const SetDocument::Totals& totals = m_set->totals();
        s.setElapsed = smpteText(totals.elapsed + songTime, rate);
        s.setRemaining = smpteText(totals.total - totals.elapsed - songTime, rate);
    }
    s.measure = at.measure;
    s.measureField = measureLabel(at.measure.number, at.measure.letter);
    if (m_sequencer && m_sequencer->countingIn())
        s.measureField = std::to_string(countInBeats(
            m_sequencer->recordStart(), tick, beatLength(song->timeBase, at.measure)));
    s.beatDigit = at.click % 10;
    s.tempo = tempoText(tempoMultiplier(), tempoInForce(*song, tick));
    return s;
}

// Only the fields that changed since the last refresh are repainted.
void App::repaintTransportPanel()
{
    if (!m_frame || !m_transportPanel)
        return;
    const QRegion changed = m_transportPanel->changedRegion(panelState());
    if (!changed.isEmpty())
        m_frame->QWidget::update(changed.translated(m_frame->panelRect().topLeft()));
}

// The refresh pass: the changed fields, then the spectrum at most every
// 50 ms or the level marker when it moved.
void App::DrawSpectrum(double beatPhase)
{
    RZ_ASSERT_GUI_THREAD();
    repaintTransportPanel();
    if (!m_frame || !m_spectrumDisplay)
        return;
    const QPoint panel = m_frame->panelRect().topLeft();
    if (m_audioFace == kSpectrumFace) {
        if (!m_spectrumDisplay->takeFrame(timeGetTime()))
            return;
        const auto levels = m_spectrumAnalyzer->levels();
        m_spectrumDisplay->step(levels);
        m_frame->QWidget::update(TransportPanel::kSpectrumRect.translated(panel));
    } else if (m_audioFace == kMarkerFace && m_bouncingBall
               && m_spectrumDisplay->moveMarker(beatPhase)) {
        m_frame->QWidget::update(TransportPanel::kMarkerRect.translated(panel));
    }
}

ControlContext App::controlContext() const
{
    ControlContext c;
    c.state = m_engine->transportState();
    c.performanceMode = m_performanceMode;
    c.recording = m_engine->recording();
    c.clickOn = m_clickOn;
    c.canPaste = m_set && CanPaste();
    c.setOrSongModified = m_set && m_set->IsModified();
    c.setHasFile = m_set && m_set->hasFile();
    c.staffView = slot(kStaff) != nullptr;
    c.lyricView = slot(kLyric) != nullptr;
    for (const ExtraWindow& window : m_extraWindows) {
        c.staffView |= window.view && window.kind != kExtraLyric && window.kind != kExtraTracks;
        c.lyricView |= window.view && window.kind == kExtraLyric;
    }
    // The set view has no tree selection of its own yet: its focus stands
    // for a selected song, as for Paste.
    const SongView* live = slot(kLive);
    c.setViewActive = live && live->hasFocus();
    c.setItemSelected = c.setViewActive;
    c.setItemTopLevel = c.setViewActive;
    if (const CSongDoc* song = m_currentSong) {
        c.hasSong = true;
        c.songModified = song->IsModified();
        c.canUndo = song->OnUpdateEditUndo().enabled;
        c.canRedo = song->OnUpdateEditRedo().enabled;
        c.songSelection = song->selectionFrom >= 0 && song->selectionTo > song->selectionFrom;
        if (song->selectionFrom >= 0 && song->selectionTo >= 0) {
            song->FormatTime(song->selectionFrom, c.selectionFrom);
            song->FormatTime(song->selectionTo, c.selectionTo);
        }
    }
    return c;
}

void App::updateTransportButtons()
{
    if (m_frame)
        m_frame->updateTransportButtons();
}

void App::setPerformanceMode(bool on)
{
    m_performanceMode = on;
    if (TrackView* view = trackView())
        on ? view->enterPerformanceMode() : view->leavePerformanceMode();
    if (!m_frame)
        return;
    const uint32_t prompt = m_frame->promptId();
    if (prompt == kIdlePromptId || prompt == kPerformanceIdlePromptId)
        m_frame->setPromptId(kIdlePromptId);
    updateTransportButtons();
    m_frame->UpdateToolbarButtons();
}

void App::setTransportDisplayMode(int mode)
{
    m_viewSetTime = std::clamp(mode, 0, kLastDisplayMode);
    writeSetting(*m_profile, settings::kDisplayViewSetTime, m_viewSetTime);
    // The set pane shows each song's length only beside set times.
    refreshSongCaptions();
    if (!m_frame)
        return;
    const bool transpose = m_viewSetTime == 0;
    m_frame->button(MainFrame::Button::TransposeUp)->setVisible(transpose);
    m_frame->button(MainFrame::Button::TransposeDown)->setVisible(transpose);
    repaintTransportPanel();
}

void App::refreshSongCaptions()
{
    if (!m_set)
        return;
    for (CSongDoc* song : m_set->songs())
        m_set->UpdateSongCaption(*song);
}

void App::setSkipCount(int count)
{
    m_skipCount = std::clamp(count, 0, kMaxSkipCount);
    repaintTransportPanel();
}

void App::onTempoFader()
{
    SetTempoMultiplier(multiplierFromFader(m_frame->tempoFader()->pos()), true);
}

// While playing, the engine takes the fader's value on its own tick.
void App::onVolumeFader()
{
    if (m_engine->transportState() != TransportState::Playing)
        m_engine->SetMasterVolume(m_frame->volumeFader()->pos());
}

void App::SetVolumeSlider(int32_t value)
{
    if (!m_frame)
        return;
    FaderCtrl* volume = m_frame->volumeFader();
    volume->setPos(value);
    if (m_published)
        m_published->setMasterFader(volume->pos());
    onVolumeFader();
}

} // namespace rz
