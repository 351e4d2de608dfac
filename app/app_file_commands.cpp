// The file commands (new, open, close all, save, save all, save as, import
// tracks, send), undo and redo, and the transport panel's display choices.
// GUI thread.

#include "app/app.h"

#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "core/engine_link.h"
#include "core/file_names.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "engine/sequencer.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "set/set_document.h"
#include "song/clipboard_edit.h"
#include "song/import_tracks.h"
#include "song/send_song.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>

namespace rz {
namespace {

constexpr const char* kOpenFilter =
    "Sets or Songs|*.set;*.mid;*.midi;*.smf;*.kar;*.rss;*.rsd|"
    "DEVU Rizoraz sets (*.set)|*.set|"
    "MIDI files (*.mid,*.midi,*.smf,*.kar,*.rss)|*.mid;*.midi;*.smf;*.kar;*.rss|"
    "Sound files (*.rsd)|*.rsd|"
    "All files (*.*)|*.*||";
constexpr const char* kSongFilter =
    "MIDI files (*.mid,*.midi,*.smf,*.kar,*.rss,*.rsd)|*.mid;*.midi;*.smf;*.kar;*.rss;*.rsd|"
    "All files (*.*)|*.*||";
constexpr const char* kSaveFilter = "MIDI files (*.mid)|*.mid|All files (*.*)|*.*||";
constexpr const char* kDirs = "Dirs";
constexpr const char* kSongFolderValue = "MidiFiles";
constexpr const char* kOpenFolderValue = "DRFiles";
constexpr int kSpectrumFace = 1;
constexpr int kMarkerFace = 0;

// The dialog takes the focus; the window that had it gets it back.
class FocusKeeper {
public:
    FocusKeeper() : m_focus(QApplication::focusWidget()) {}
    ~FocusKeeper()
    {
        if (m_focus)
            m_focus->setFocus();
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> m_focus;
};

} // namespace

bool App::stoppedEditing() const
{
    return m_currentSong && m_engine->transportState() == TransportState::Stopped
           && !m_performanceMode;
}

void App::onUpdateSongEdit(CommandId, CmdUi& ui)
{
    ui.enabled = stoppedEditing();
}

void App::onUpdateGreyed(CommandId, CmdUi& ui)
{
    ui.enabled = false;
}

bool App::onFileOpen(CommandId)
{
    std::vector<std::filesystem::path> paths;
    {
        FocusKeeper focus;
        const std::string folder =
            m_profile->readString(kDirs, kOpenFolderValue, m_documentsFolder.string());
        paths = m_prompt->chooseOpenPaths("Open...", folder, kOpenFilter);
    }
    for (const std::filesystem::path& path : paths) {
        m_profile->writeString(kDirs, kOpenFolderValue, path.parent_path().string());
        OpenDocumentFile(path);
    }
    return true;
}

// Sets have no performance flag of their own yet, so Open stays enabled.
void App::onUpdateFileOpen(CommandId, CmdUi& ui)
{
    ui.enabled = true;
}

bool App::CloseAllDocuments()
{
    if (!m_set->SaveModified())
        return false;
    SetCurrentSong(nullptr);
    m_set->CloseAllDocuments();
    setPerformanceMode(false);
    if (m_frame)
        m_frame->toolBar()->setPressed(false);
    UpdateTitle();
    return true;
}

bool App::onCloseAll(CommandId)
{
    if (CloseAllDocuments())
        m_profile->writeString("StartupOptions", "AutoOpenPath", "");
    return true;
}

void App::onUpdateCloseAll(CommandId, CmdUi& ui)
{
    ui.enabled = m_engine->transportState() == TransportState::Stopped
                 && (m_currentSong || m_set->hasFile());
}

bool App::onFileSave(CommandId)
{
    if (m_currentSong)
        m_currentSong->DoFileSave();
    return true;
}

void App::onUpdateFileSave(CommandId, CmdUi& ui)
{
    ui.enabled = m_currentSong && m_engine->transportState() == TransportState::Stopped
                 && m_currentSong->IsModified();
}

void App::SaveAllSongs()
{
    for (size_t i = 0; i < m_set->size(); ++i)
        if (CSongDoc* song = m_set->songAt(i); song && song->IsModified())
            song->DoFileSave();
}

bool App::onSaveAll(CommandId)
{
    SaveAllSongs();
    return true;
}

void App::onUpdateSaveAll(CommandId, CmdUi& ui)
{
    ui.enabled = m_engine->transportState() == TransportState::Stopped && m_set->hasFile()
                 && m_set->IsModified();
}

// A new name gets a copy; the song keeps its own file and state, and the
// copy joins the set as a song of its own.
bool App::onSaveAs(CommandId)
{
    CSongDoc* song = m_currentSong;
    if (!song)
        return false;
    const std::string folder =
        m_profile->readString(kDirs, kSongFolderValue, m_documentsFolder.string());
    const std::filesystem::path proposed = std::filesystem::path(folder) / song->pathName.filename();
    const std::optional<std::filesystem::path> chosen =
        m_prompt->chooseSavePath("Save as...", proposed, kSaveFilter);
    if (!chosen)
        return true;
    m_profile->writeString(kDirs, kSongFolderValue, chosen->parent_path().string());
    if (*chosen == song->pathName) {
        song->DoSave(*chosen, true);
        return true;
    }
    if (song->DoSave(*chosen, false))
        OpenDocumentFile(*chosen);
    return true;
}

// The tracks go in at the track view's current row (row 1 without a track
// view); an unreadable file is reported and changes nothing.
bool App::onImportTracks(CommandId)
{
    CSongDoc* song = m_currentSong;
    if (!song)
        return false;
    const std::string folder =
        m_profile->readString(kDirs, kSongFolderValue, m_documentsFolder.string());
    const std::optional<std::filesystem::path> path =
        m_prompt->chooseOpenPath("Import tracks...", folder, kSongFilter);
    if (!path)
        return true;
    SongContext context = m_set->songContext();
    context.setLink = nullptr;
    auto source = std::make_unique<CSongDoc>(context);
    std::string reason;
    if (!OpenSong(*source, *path, reason)) {
        m_prompt->message(reason.empty() ? "Unable to open this file type." : reason,
                          PromptIcon::Stop);
        return true;
    }
    m_profile->writeString(kDirs, kSongFolderValue, path->parent_path().string());
    const std::optional<TrackViewRows> rows = trackViewRows();
    ImportTracks(*song, *source, rows ? rows->currentRow : 1);
    source->DeleteContents();
    return true;
}

bool App::onFileSend(CommandId)
{
    if (m_currentSong)
        OnFileSend(*m_currentSong);
    return true;
}

bool App::onUndoRedo(CommandId id)
{
    if (!m_currentSong)
        return false;
    if (id == kIdEditUndo)
        m_currentSong->Undo();
    else
        m_currentSong->Redo();
    return true;
}

void App::onUpdateUndoRedo(CommandId id, CmdUi& ui)
{
    if (!m_currentSong) {
        ui.enabled = false;
        return;
    }
    const CommandState state = id == kIdEditUndo ? m_currentSong->OnUpdateEditUndo()
                                                 : m_currentSong->OnUpdateEditRedo();
    ui.text = state.text;
    ui.enabled = state.enabled && m_engine->transportState() == TransportState::Stopped
                 && !m_performanceMode;
}

bool App::onDisplayFace(CommandId id)
{
    if (id == kIdViewBouncingMetronome) {
        m_bouncingBall = !m_bouncingBall;
        m_profile->writeInt("DisplayOptions", "BouncngBall", m_bouncingBall ? 1 : 0);
    } else {
        m_audioFace = id == kIdViewPowerSpectrum ? kSpectrumFace : kMarkerFace;
        m_profile->writeInt("DisplayOptions", "AudioFace", m_audioFace);
        if (m_published)
            m_published->setSpectrumShown(m_audioFace == kSpectrumFace);
    }
    if (m_frame)
        m_frame->QWidget::update();
    return true;
}

void App::onUpdateDisplayFace(CommandId id, CmdUi& ui)
{
    if (id == kIdViewBouncingMetronome) {
        ui.enabled = m_audioFace == kMarkerFace;
        ui.checked = m_bouncingBall;
    } else {
        ui.checked = m_audioFace == (id == kIdViewPowerSpectrum ? kSpectrumFace : kMarkerFace);
    }
}

} // namespace rz
