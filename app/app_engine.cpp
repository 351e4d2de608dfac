// The engine as the application builds it, and the GUI side of the engine's
// seams: what the engine asks of the frame, the set and the views. Engine
// threads reach every member here through EngineToGui, so all run on the GUI
// thread.

#include "app/app.h"
#include "app/edit_commands.h"
#include "app/main_frame.h"
#include "app/maps/map_commands.h"
#include "app/program_edit_dialogs.h"
#include "app/transport_commands.h"
#include "app/transport_controls.h"
#include "app/transport_text.h"
#include "core/tempo_multiplier.h"
#include "core/track_rows.h"
#include "engine/audio/audio_engines.h"
#include "engine/audio/wave_clip_loader.h"
#include "engine/audio/filter_presets.h"
#include "engine/gui_posts.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_chords.h"
#include "engine/ui/vsti_dlg.h"
#include "engine/vst_loader.h"
#include "platform/engine_timer.h"
#include "platform/midi_system.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"
#include "ui/gui_post.h"
#include "ui/gui_thread.h"
#include "ui/help_opener.h"
#include "ui/ui_updater.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <thread>

namespace rz {
namespace {

// The frame's periods for the timers the engine starts.
int periodOf(FrameTimer timer)
{
    return timer == FrameTimer::TempoReturn ? 100 : 1;
}


} // namespace

// The engine object exists from here; it starts (ports, timer, refresh)
// only at Init, after the main window.
void App::createEngine()
{
    if (m_options.engine) {
        m_engine = m_options.engine;
        m_published = m_options.published;
        return;
    }
    m_guiPost = std::make_unique<QtGuiThreadQueue>();
    m_posts = std::make_unique<EngineToGui>(*m_guiPost, std::this_thread::get_id(), *this, *this,
                                         *this);
    if (!m_options.devices) {
        m_midiSystem = std::make_unique<MidiSystem>();
        m_devices = std::make_unique<MidiSystemDevices>(*m_midiSystem);
        m_midiSystem->openClientsInBackground(); // while the window is made
    }
    m_vstHost = std::make_unique<SequencerVstHost>();
    m_vstEditors = std::make_unique<VstEditorWindows>();
    m_instruments = std::make_unique<VstInstrumentLoader>(*m_vstHost, m_vstEditors.get());
    if (!m_options.timer)
        m_engineTimer = std::make_unique<EngineTimer>();
    m_audio = std::make_unique<AudioEngines>();
    IMidiDeviceSource& devices = m_options.devices ? *m_options.devices : *m_devices;
    IEngineTimer& timer = m_options.timer ? *m_options.timer : *m_engineTimer;
    const SequencerServices services{*m_profile,      *m_prompt,     *m_guiPost,
                                     *m_posts,        devices,       *m_instruments,
                                     timer,           *m_audio,
                                     m_database ? &m_database->lookup() : nullptr,
                                     pluginMarkFolder()};
    SequencerOptions options;
    options.lateSynthOpen = true; // the window comes first
    m_sequencer = std::make_unique<CSequencer>(services, options);
    m_sequencer->setPortsReadyHandler([this] { m_transportCommands->portsReady(); });
    m_vstHost->attach(m_sequencer.get());
    m_engine = m_sequencer.get();
    m_published = &m_sequencer->publishedValues();
}

std::shared_ptr<SoundFontBanks> App::soundFontBanks() const
{
    const IMidiDeviceSource* devices = m_options.devices ? m_options.devices : m_devices.get();
    return devices ? devices->soundFontBanks() : nullptr;
}

void App::createSet()
{
    // Every look-up of the database is const; the song's seam is not.
    auto* synths = const_cast<ISynthLookup*>(m_database ? &m_database->lookup() : nullptr);
    m_clipLoader = std::make_unique<WaveClipLoader>(
        [this] { return m_sequencer ? m_sequencer->audioFormat().sampleRate : AudioFormat{}.sampleRate; },
        m_options.lockWait);
    SongContext context{*m_profile, *m_prompt, *this, *m_engine, nullptr, &m_trackRows, synths,
                        m_clipLoader.get(), m_options.lockWait};
    m_editDialogs = std::make_unique<ProgramEditDialogs>(ProgramEditDialogs::Services{
        .parent = [this]() -> QWidget* { return m_frame.data(); },
        .help = [this](std::string_view topic) { m_help->open(topic); },
    });
    context.editDialogs = m_editDialogs.get();
    if (IAudioEffects* effects = m_editCommands->audioEffects())
        context.audioTools = &effects->tools();
    if (m_database) {
        m_chords = std::make_unique<SynthDbChordTable>(*m_database);
        context.chords = m_chords.get();
    }
    m_set = std::make_unique<SetDocument>(context, *this);
    m_set->setViewsUpdater([this] { UpdateAllViews(); });
    m_set->setNextSongPublisher([this](SetItemHandle item) {
        if (m_sequencer)
            m_sequencer->setNextSetSong(item);
    });
}

// The values engine threads read without asking the GUI: the master
// fader, whether the spectrum shows, whether Shift is held.
void App::publishGuiValues()
{
    if (!m_published)
        return;
    GuiToEngineValues& values = *m_published;
    values.setSpectrumShown(m_transport->audioFace() == 1);
    values.setClickOn(m_transport->clickOn());
    FaderCtrl* volume = m_frame->volumeFader();
    values.setMasterFader(volume->pos());
    connect(volume, &FaderCtrl::changed, this,
            [this, volume] { m_published->setMasterFader(volume->pos()); });
    qApp->installEventFilter(this);
}

bool App::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (m_published && (type == QEvent::KeyPress || type == QEvent::KeyRelease)
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Shift)
        m_published->setShiftHeld(type == QEvent::KeyPress);
    return QObject::eventFilter(watched, event);
}

void App::transportChanged()
{
    RZ_ASSERT_GUI_THREAD();
    m_transport->updateButtons();
    repaintTransportPanel();
    m_updater->updateNow();
}

// A song select received while stopped: that song of the set, from its start.
void App::selectSetSong(int songNumber)
{
    RZ_ASSERT_GUI_THREAD();
    if (songNumber < 0 || m_engine->transportState() != TransportState::Stopped)
        return;
    m_set->navigator().SelectSongByIndex(size_t(songNumber));
}

void App::setFrameTimer(FrameTimer timer)
{
    if (m_frame)
        m_frame->timers().requestFromAnyThread(int(timer), periodOf(timer));
}

void App::playCue()
{
    RZ_ASSERT_GUI_THREAD();
    m_router->execute(kIdPlay);
}

void App::LearnMidi(uint32_t deviceId, uint32_t message)
{
    RZ_ASSERT_GUI_THREAD();
    m_mapCommands->learn(deviceId, message);
}

CSongDoc* App::songOfItem(SetItemHandle item) const
{
    return m_set ? m_set->songOfItem(item) : nullptr;
}

// The engine moved on to this song by itself: it is the current song now.
void App::setCurrentItem(SetItemHandle item)
{
    if (CSongDoc* song = m_set->songOfItem(item)) {
        m_set->setCurrent(song);
        m_set->navigator().publishNextSong();
    }
}

// The set pane's marker follows the play position once the engine passed a cue.
void App::startCueTimer()
{
    QTimer::singleShot(0, this, [this] {
        if (m_set)
            m_set->navigator().UpdateCurrentMarker();
    });
}

void App::RefreshMarkerStates()
{
    m_set->navigator().RefreshMarkerStates();
}

void App::UpdateTrackSynths()
{
    if (m_sequencer)
        m_set->UpdateTrackSynths();
}

bool App::isOpen(FollowView view) const
{
    switch (view) {
    case FollowView::Tempo: return slot(kTempo) != nullptr;
    case FollowView::Clip: return slot(kClip) != nullptr;
    case FollowView::Event: return slot(kEvent) != nullptr;
    case FollowView::Staff: return slot(kStaff) != nullptr;
    case FollowView::Piano: return slot(kPiano) != nullptr;
    case FollowView::Control: return slot(kControl) != nullptr;
    case FollowView::Lyric: return slot(kLyric) != nullptr;
    case FollowView::Time: return slot(kTime) != nullptr;
    case FollowView::Slider: return slot(kSlider) != nullptr;
    case FollowView::Track: return slot(kTrack) != nullptr;
    case FollowView::Velocity: return slot(kVelocity) != nullptr;
    }
    return false;
}

void App::followPlayback(FollowView view)
{
    static constexpr Slot kSlotOf[] = {kTempo, kClip,   kEvent, kStaff,  kPiano,   kControl,
                                       kLyric, kTime,   kSlider, kTrack, kVelocity};
    if (SongView* target = slot(kSlotOf[size_t(view)]))
        target->follow();
}

// A torn-off track window follows nothing.
void App::followTornOffWindow(int index)
{
    if (index < 0 || size_t(index) >= m_extraWindows.size())
        return;
    const ExtraWindow& window = m_extraWindows[size_t(index)];
    if (window.view && window.kind != kExtraTracks)
        window.view->follow();
}

// The engine switched songs itself: every view re-attaches to the current song.
void App::clearAttachedFlags()
{
    LockGuard guard(SongMutex(), "clearAttachedFlags", m_options.lockWait);
    if (!guard)
        return;
    for (const auto& view : m_slots)
        if (view && view->song() != m_currentSong) {
            view->detach();
            if (m_currentSong)
                view->attach(*m_currentSong);
        }
    for (const ExtraWindow& window : m_extraWindows)
        if (window.view && window.view->song() != m_currentSong) {
            window.view->detach();
            if (m_currentSong)
                window.view->attach(*m_currentSong);
        }
}

std::optional<TrackViewRows> App::trackViewRows() const
{
    const auto* rows = dynamic_cast<const ITrackRows*>(slot(kTrack));
    if (rows == nullptr)
        return std::nullopt;
    TrackViewRows result;
    result.currentRow = rows->currentRow();
    for (int row = rows->GetFirstSelected(); row >= 0; row = rows->GetNextSelected(row))
        result.selectedRows.push_back(row);
    return result;
}

} // namespace rz
