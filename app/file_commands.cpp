// The file commands: new, revert, open, the recent lists, close all, save,
// save all, save as, the imports, send, rendering and printing. GUI thread.

#include "app/file_commands.h"

#include "app/app_recent_list.h"
#include "app/audio_clip_import.h"
#include "app/command_rules.h"
#include "app/setup_dialogs.h"
#include "core/engine_views.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "engine/audio/wave_grabber.h"
#include "res/command_ids.h"
#include "set/lyric_import.h"
#include "set/new_document_target.h"
#include "set/set_document.h"
#include "song/import_tracks.h"
#include "song/send_song.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>

namespace rz {
namespace {

using F = FileCommands;

constexpr CommandRow<F> kFileCommands[] = {
    {kIdRecentSet1, kIdRecentSong8, &F::onRecent, nullptr},
    {kIdImportSongs, kIdImportSongs, &F::onImportSongs, &F::onUpdateImportSongs},
    {kIdFileNew, kIdFileNew, &F::onFileNew, &F::onUpdateFileNew},
    {kIdRevertToRecentSong, kIdRevertToRecentSong, &F::onRevertToRecentSong,
     &F::onUpdateRevertToRecentSong},
    {kIdFileOpen, kIdFileOpen, &F::onFileOpen, &F::onUpdateFileOpen},
    {kIdCloseAll, kIdCloseAll, &F::onCloseAll, &F::onUpdateCloseAll},
    {kIdFileSave, kIdFileSave, &F::onFileSave, &F::onUpdateFileSave},
    {kIdSaveAll, kIdSaveAll, &F::onSaveAll, &F::onUpdateSaveAll},
    {kIdSaveAs, kIdSaveAs, &F::onSaveAs, &F::onUpdateSongEdit},
    {kIdImportTracks, kIdImportTracks, &F::onImportTracks, &F::onUpdateSongEdit},
    {kIdSendByMail, kIdSendByMail, &F::onFileSend, &F::onUpdateSongEdit},
    {kIdRenderAudio, kIdRenderAudio, &F::onRenderAudio, &F::onUpdateRenderAudio},
    {kIdImportAudioClip, kIdImportAudioClip, &F::onImportAudioClip, &F::onUpdateImportAudioClip},
    {kIdFilePrintSetup, kIdFilePrintSetup, &F::onPrintSetup, nullptr},
    {kIdFilePrint, kIdFilePrint, &F::onPrint, &F::onUpdatePrint},
    {kIdFilePrintPreview, kIdFilePrintPreview, &F::onPrint, &F::onUpdatePrint},
    {kIdFilePrintDirect, kIdFilePrintDirect, &F::onPrint, &F::onUpdatePrint},
    {kIdImportLyrics, kIdImportLyrics, &F::onImportLyrics, &F::onUpdateImportLyrics},
    {kIdAppExit, kIdAppExit, &F::onExit, nullptr},
};

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
constexpr const char* kAudioFilter = "Waveform audio files (*.wav *.mp3 *.aif *.wma)";
constexpr const char* kDirs = "Dirs";
constexpr const char* kSongFolderValue = "MidiFiles";
constexpr const char* kOpenFolderValue = "DRFiles";

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

// The wave grabber as the import drives it.
class GrabberConversion : public IAudioConversion {
public:
    GrabberConversion(const std::filesystem::path& source, const std::filesystem::path& target,
                      uint32_t rate)
        : m_grabber(source, target, rate)
    {
    }
    int32_t start() override { return m_grabber.BuildGraph(); }
    int step(double* progress) override { return m_grabber.Step(progress); }
    void finish() override { m_grabber.Release(); }

private:
    CWaveGrabber m_grabber;
};

} // namespace

FileCommands::FileCommands(FileSeams seams) : m_seams(std::move(seams)) {}

FileCommands::~FileCommands() = default;

std::span<const CommandRow<F>> FileCommands::commandTable()
{
    return kFileCommands;
}

bool FileCommands::stoppedEditing() const
{
    return rz::stoppedEditing(m_seams.songs, m_seams.options, m_seams.engine());
}

void FileCommands::onUpdateSongEdit(CommandId, CmdUi& ui)
{
    ui.enabled = stoppedEditing();
}

// A missing file is reported and leaves the list.
bool FileCommands::onRecent(CommandId id)
{
    const bool sets = id < kIdRecentSong1;
    RecentFileList& list = sets ? m_seams.recentSets : m_seams.recentSongs;
    const size_t index = id - (sets ? kIdRecentSet1 : kIdRecentSong1);
    if (index >= list.entries().size())
        return true;
    const std::filesystem::path path = list.entries()[index];
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        m_seams.open(path);
        return true;
    }
    m_seams.prompt.message(sets ? "Sorry, the set has been moved or deleted--please use the "
                                  "File/Open command to browse your system."
                                : "Sorry, the song has been moved or deleted--please use the "
                                  "File/Open command to browse your system.",
                           PromptIcon::Warning);
    list.remove(index);
    list.write(m_seams.profile);
    m_seams.rebuildRecentMenus();
    return true;
}

// Each chosen file is copied into the set folder.
bool FileCommands::onImportSongs(CommandId)
{
    const std::filesystem::path folder = readSettingText(m_seams.profile, settings::kDirsSongs);
    const std::vector<std::filesystem::path> paths = m_seams.prompt.chooseOpenPaths(
        "Import (copy) song(s) into set...", folder,
        "MIDI files (*.mid *.midi *.kar *.smf *.rss *.rsd)");
    // Each song goes in before the selection and becomes it: the last
    // chosen goes first, so the set lists them in the order chosen.
    for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
        writeSettingText(m_seams.profile, settings::kDirsSongs, path->parent_path().string());
        m_seams.set().ImportSong(*path);
    }
    return true;
}

void FileCommands::onUpdateImportSongs(CommandId, CmdUi& ui)
{
    ui.enabled = transportStopped(m_seams.engine()) && !m_seams.options.performanceMode()
                 && m_seams.set().hasSetFile();
}

// Before start-up completes the program already holds its empty set; while
// playing or performing, File > New leaves everything as it is.
bool FileCommands::onFileNew(CommandId)
{
    if (m_newDocumentPrompt == nullptr || !m_seams.startupComplete()
        || !transportStopped(m_seams.engine()) || m_seams.options.performanceMode())
        return true;
    const std::optional<NewDocumentChoice> choice = m_newDocumentPrompt->askNewDocument(false);
    if (choice)
        NewSetOrSong(*choice);
    return true;
}

void FileCommands::onUpdateFileNew(CommandId, CmdUi& ui)
{
    ui.enabled = m_newDocumentPrompt != nullptr;
}

// A set is written at once, so its folder holds a set from the start; a
// song is written empty and opened as any song is.
bool FileCommands::NewSetOrSong(const NewDocumentChoice& choice)
{
    SetDocument& set = m_seams.set();
    if (choice.kind == 0) {
        if (!set.SaveModified())
            return false;
        if (set.contains(m_seams.songs.currentSong()))
            m_seams.songs.SetCurrentSong(nullptr);
        if (!createEmptySet(set, choice.path))
            return false;
        // As an opened set: the next start opens it, Recent sets offers it.
        const std::filesystem::path absolute = std::filesystem::absolute(choice.path).lexically_normal();
        writeSettingText(m_seams.profile, settings::kStartAutoOpenPath, absolute.string());
        m_seams.recentSets.remember(absolute, m_seams.profile);
        m_seams.rebuildRecentMenus();
        return true;
    }
    CSongDoc song(set.songContext());
    if (choice.templatePath.empty()) {
        song.InitNewSong();
    } else {
        std::string reason;
        if (!OpenSong(song, choice.templatePath, reason)) {
            m_seams.prompt.message(kCopyFailed, PromptIcon::Stop);
            std::error_code error;
            std::filesystem::remove(choice.path, error);
            return false;
        }
    }
    if (!song.OnSaveDocument(choice.path))
        return false;
    return m_seams.open(choice.path) != nullptr;
}

void FileCommands::NewSongFromClipboard()
{
    if (m_newDocumentPrompt == nullptr)
        return;
    if (const std::optional<NewDocumentChoice> choice = m_newDocumentPrompt->askNewDocument(true))
        NewSetOrSong(*choice);
}

bool FileCommands::onRevertToRecentSong(CommandId)
{
    m_seams.set().navigator().ReturnToPreviousSong();
    return true;
}

void FileCommands::onUpdateRevertToRecentSong(CommandId, CmdUi& ui)
{
    ui.enabled = m_seams.set().tree().previousSongItem() != nullptr && transportStopped(m_seams.engine());
}

bool FileCommands::onFileOpen(CommandId)
{
    std::vector<std::filesystem::path> paths;
    {
        FocusKeeper focus;
        const std::string folder = readSettingTextOr(m_seams.profile, settings::kDirsOpen, m_seams.documentsFolder().string());
        paths = m_seams.prompt.chooseOpenPaths("Open...", folder, kOpenFilter);
    }
    for (const std::filesystem::path& path : paths) {
        writeSettingText(m_seams.profile, settings::kDirsOpen, path.parent_path().string());
        m_seams.open(path);
    }
    return true;
}

// Sets have no performance flag of their own yet, so Open stays enabled.
void FileCommands::onUpdateFileOpen(CommandId, CmdUi& ui)
{
    ui.enabled = true;
}

bool FileCommands::onCloseAll(CommandId)
{
    if (m_seams.closeAll())
        writeSettingText(m_seams.profile, settings::kStartAutoOpenPath, "");
    return true;
}

void FileCommands::onUpdateCloseAll(CommandId, CmdUi& ui)
{
    ui.enabled = transportStopped(m_seams.engine())
                 && (m_seams.songs.currentSong() || m_seams.set().hasFile());
}

bool FileCommands::onFileSave(CommandId)
{
    if (CSongDoc* song = m_seams.songs.currentSong())
        song->DoFileSave();
    return true;
}

void FileCommands::onUpdateFileSave(CommandId, CmdUi& ui)
{
    const CSongDoc* song = m_seams.songs.currentSong();
    ui.enabled = song && transportStopped(m_seams.engine()) && song->IsModified();
}

bool FileCommands::onSaveAll(CommandId)
{
    m_seams.saveAll();
    return true;
}

void FileCommands::onUpdateSaveAll(CommandId, CmdUi& ui)
{
    ui.enabled = transportStopped(m_seams.engine()) && m_seams.set().anyModified();
}

// A new name gets a copy; the song keeps its own file and state, and the
// copy joins the set as a song of its own.
bool FileCommands::onSaveAs(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    const std::string folder =
        readSettingTextOr(m_seams.profile, settings::kDirsSongs, m_seams.documentsFolder().string());
    const std::filesystem::path proposed = std::filesystem::path(folder) / song->pathName.filename();
    const std::optional<std::filesystem::path> chosen =
        m_seams.prompt.chooseSavePath("Save as...", proposed, kSaveFilter);
    if (!chosen)
        return true;
    writeSettingText(m_seams.profile, settings::kDirsSongs, chosen->parent_path().string());
    if (*chosen == song->pathName) {
        song->DoSave(*chosen, true);
        return true;
    }
    if (song->DoSave(*chosen, false))
        m_seams.open(*chosen);
    return true;
}

// The tracks go in at the track view's current row (row 1 without a track
// view); an unreadable file is reported and changes nothing.
bool FileCommands::onImportTracks(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    const std::string folder =
        readSettingTextOr(m_seams.profile, settings::kDirsSongs, m_seams.documentsFolder().string());
    const std::optional<std::filesystem::path> path =
        m_seams.prompt.chooseOpenPath("Import tracks...", folder, kSongFilter);
    if (!path)
        return true;
    SongContext context = m_seams.set().songContext();
    context.setLink = nullptr;
    auto source = std::make_unique<CSongDoc>(context);
    std::string reason;
    if (!OpenSong(*source, *path, reason)) {
        m_seams.prompt.message(reason.empty() ? "Unable to open this file type." : reason,
                               PromptIcon::Stop);
        return true;
    }
    writeSettingText(m_seams.profile, settings::kDirsSongs, path->parent_path().string());
    const std::optional<TrackViewRows> rows = m_seams.trackViewRows();
    ImportTracks(*song, *source, rows ? rows->currentRow : 1);
    source->DeleteContents();
    return true;
}

bool FileCommands::onFileSend(CommandId)
{
    if (CSongDoc* song = m_seams.songs.currentSong())
        OnFileSend(*song);
    return true;
}

// File > Riz Uzov Avevu: its registered dialog.
bool FileCommands::onRenderAudio(CommandId id)
{
    m_seams.dialogs.open(id);
    return true;
}

void FileCommands::onUpdateRenderAudio(CommandId id, CmdUi& ui)
{
    ui.enabled = m_seams.dialogs.canOpen(id);
}

void FileCommands::onUpdateImportAudioClip(CommandId, CmdUi& ui)
{
    ui.enabled = stoppedEditing() && bool(m_importProgress);
}

bool FileCommands::onImportAudioClip(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song || !m_importProgress)
        return false;
    const std::string folder =
        readSettingTextOr(m_seams.profile, settings::kDirsAudioFiles, m_seams.documentsFolder().string());
    const std::vector<std::filesystem::path> files =
        m_seams.prompt.chooseOpenPaths("Import audio clip...", folder, kAudioFilter);
    if (files.empty())
        return true;
    writeSettingText(m_seams.profile, settings::kDirsAudioFiles, files.front().parent_path().string());
    const uint32_t rate = m_seams.sampleRate();
    AudioClipImportServices services;
    services.needsConversion = [rate](const std::filesystem::path& source) {
        return NeedsConversion(source, rate);
    };
    services.makeConversion = [rate](const std::filesystem::path& source,
                                     const std::filesystem::path& target) {
        return std::make_unique<GrabberConversion>(source, target, rate);
    };
    services.showProgress = m_importProgress;
    ImportAudioClips(*song, files, services);
    return true;
}

QPrinter& FileCommands::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

// Closing the window asks the set's and the songs' questions; a Cancel
// leaves the program running.
bool FileCommands::onExit(CommandId)
{
    if (QWidget* window = m_seams.window())
        window->close();
    return true;
}

bool FileCommands::onPrintSetup(CommandId)
{
    QPageSetupDialog dialog(&printer(), m_seams.window());
    dialog.exec();
    return true;
}

// Print and Print preview go to the staff view when there is one, else to
// the lyric view.
bool FileCommands::onPrint(CommandId id)
{
    CommandTarget* target = m_seams.printer(id);
    return target && target->handle(id);
}

void FileCommands::onUpdatePrint(CommandId id, CmdUi& ui)
{
    ui.enabled = stoppedEditing() && m_seams.printer(id) != nullptr;
}

void FileCommands::onUpdateImportLyrics(CommandId, CmdUi& ui)
{
    ui.enabled = stoppedEditing() && bool(m_lyricTapper);
}

bool FileCommands::onImportLyrics(CommandId)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song || !m_lyricTapper)
        return false;
    importLyricsTrack(*song, [this, song](CTrack& track) { return m_lyricTapper(*song, track); });
    return true;
}

} // namespace rz
