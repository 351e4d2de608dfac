// The engine as the application builds it, and the GUI side of the engine's
// seams: what the engine asks of the frame, the set and the views. Engine
// threads reach every member here through EngineToGui, so all run on the GUI
// thread.

#include "app/app.h"
#include "app/edit_commands.h"
#include "app/engine_calls.h"
#include "app/engine_parts.h"
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
    m_parts = std::make_unique<EngineParts>(*m_engineCalls, *m_engineCalls, m_views,
                                            m_options.devices, m_options.timer);
    const SequencerServices services{*m_profile,
                                     *m_prompt,
                                     *m_parts->guiPost,
                                     *m_parts->posts,
                                     m_parts->devices,
                                     *m_parts->instruments,
                                     m_parts->timer,
                                     *m_parts->audio,
                                     m_database ? &m_database->lookup() : nullptr,
                                     pluginMarkFolder()};
    SequencerOptions options;
    options.lateSynthOpen = true; // the window comes first
    m_sequencer = std::make_unique<CSequencer>(services, options);
    m_sequencer->setPortsReadyHandler([this] { m_commands.transport->portsReady(); });
    m_parts->vstHost->attach(m_sequencer.get());
    m_engine = m_sequencer.get();
    m_published = &m_sequencer->publishedValues();
}

std::shared_ptr<SoundFontBanks> App::soundFontBanks() const
{
    const IMidiDeviceSource* devices = m_parts ? &m_parts->devices : m_options.devices;
    return devices ? devices->soundFontBanks() : nullptr;
}

IAudioEngines* App::audioEngines() const
{
    return m_parts ? m_parts->audio.get() : nullptr;
}

void App::createSet()
{
    // Every look-up of the database is const; the song's seam is not.
    auto* synths = const_cast<ISynthLookup*>(m_database ? &m_database->lookup() : nullptr);
    auto clipLoader = std::make_unique<WaveClipLoader>(
        [this] { return m_sequencer ? m_sequencer->audioFormat().sampleRate : AudioFormat{}.sampleRate; },
        m_options.lockWait);
    clipLoader->setSlowLoadProgress(m_clipLoadProgress);
    m_clipLoader = std::move(clipLoader);
    SongContext context{*m_profile, *m_prompt, m_songHost, *m_engine, nullptr, &m_trackRows, synths,
                        m_clipLoader.get(), m_options.lockWait};
    m_editDialogs = std::make_unique<ProgramEditDialogs>(ProgramEditDialogs::Services{
        .parent = [this]() -> QWidget* { return m_frame.data(); },
        .help = [this](std::string_view topic) { m_help->open(topic); },
        .controllerViewOpen =
            [this] {
                SongView* controller = nullptr;
                m_views.currentViews(nullptr, &controller);
                return controller != nullptr;
            },
        .clockTimeViewOpen = [this] { return m_views.slot(ViewSlots::kTime) != nullptr; },
        .musicFont = [this] { return static_cast<const MusicFont*>(m_musicFont.get()); },
        .chordBook = [this]() -> IChordBook* { return m_chords.get(); },
        .setEventCapture =
            [this](std::shared_ptr<IEventCaptureSink> sink) {
                if (m_sequencer)
                    m_sequencer->inputSinks().eventCapture.set(std::move(sink));
            },
        .receiveNotice = [this](const std::atomic<int>& received, QWidget* parent) -> QDialog* {
            return m_receiveNotice ? m_receiveNotice(received, parent) : nullptr;
        },
    });
    context.editDialogs = m_editDialogs.get();
    if (IAudioEffects* effects = m_commands.edit->audioEffects())
        context.audioTools = &effects->tools();
    if (m_database) {
        m_chords = std::make_unique<SynthDbChordTable>(*m_database);
        context.chords = m_chords.get();
    }
    m_set = std::make_unique<SetDocument>(context, m_statusLine);
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

} // namespace rz
