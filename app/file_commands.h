#pragma once

#include "app/new_document_prompt.h"
#include "ui/command_target.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QPrinter;
class QWidget;

namespace rz {

class CSongDoc;
class CTrack;
class ICurrentSongHost;
class IEngineLink;
class IProfile;
class IPrompt;
class ISongDisplayOptions;
class RecentFileList;
class SetDocument;
class SetupDialogs;
struct TrackViewRows;

// What the file commands reach beyond the set, the current song and the
// file choosers.
struct FileSeams {
    std::function<IEngineLink&()> engine; // made at start-up
    ICurrentSongHost& songs;
    ISongDisplayOptions& options;
    std::function<SetDocument&()> set;    // made at start-up
    IProfile& profile;
    IPrompt& prompt;
    SetupDialogs& dialogs; // File > Riz Uzov Avevu is one of them
    RecentFileList& recentSets;
    RecentFileList& recentSongs;
    std::function<void()> rebuildRecentMenus;
    std::function<std::filesystem::path()> documentsFolder;
    std::function<CSongDoc*(const std::filesystem::path&)> open;
    // Asks to save, then empties the set; false when the user cancelled.
    std::function<bool()> closeAll;
    std::function<void()> saveAll;
    std::function<bool()> startupComplete;
    std::function<std::optional<TrackViewRows>()> trackViewRows;
    // The view that prints `id` (the staff view, else the lyric view), or null.
    std::function<CommandTarget*(CommandId)> printer;
    std::function<uint32_t()> sampleRate; // audio clips are converted to it
    std::function<QWidget*()> window;
};

// File menu: new, open, the recent lists, close all, save, save all, save as,
// the imports, send, rendering and printing. GUI thread.
class FileCommands : public CommandTable<FileCommands> {
public:
    explicit FileCommands(FileSeams seams);
    ~FileCommands() override;

    static std::span<const CommandRow<FileCommands>> commandTable();

    // The New dialog; File > New stays grey without one.
    void setNewDocumentPrompt(INewDocumentPrompt* prompt) { m_newDocumentPrompt = prompt; }
    // Creates what the New dialog chose.
    bool NewSetOrSong(const NewDocumentChoice& choice);
    // Paste song's copy: File > New for a song made from the clipboard's.
    void NewSongFromClipboard();
    // Taps lyrics into a track outside the song (the Import lyrics dialog);
    // true on OK. File > Import > Lyrics stays grey without one.
    using LyricTapper = std::function<bool(CSongDoc& song, CTrack& track)>;
    void setLyricTapper(LyricTapper tapper) { m_lyricTapper = std::move(tapper); }
    // Runs an audio import's steps under the "Importing..." dialog; false
    // when cancelled. File > Import > Audio clip stays grey without one.
    using ImportProgress = std::function<bool(const std::function<int(double*)>& step)>;
    void setImportProgress(ImportProgress progress) { m_importProgress = std::move(progress); }
    // The printer the print commands share, kept between prints.
    QPrinter& printer();

    bool onRecent(CommandId id);
    bool onImportSongs(CommandId id);
    void onUpdateImportSongs(CommandId id, CmdUi& ui);
    bool onFileNew(CommandId id);
    void onUpdateFileNew(CommandId id, CmdUi& ui);
    bool onRevertToRecentSong(CommandId id);
    void onUpdateRevertToRecentSong(CommandId id, CmdUi& ui);
    bool onFileOpen(CommandId id);
    void onUpdateFileOpen(CommandId id, CmdUi& ui);
    bool onCloseAll(CommandId id);
    void onUpdateCloseAll(CommandId id, CmdUi& ui);
    bool onFileSave(CommandId id);
    void onUpdateFileSave(CommandId id, CmdUi& ui);
    bool onSaveAll(CommandId id);
    void onUpdateSaveAll(CommandId id, CmdUi& ui);
    bool onSaveAs(CommandId id);
    bool onImportTracks(CommandId id);
    bool onFileSend(CommandId id);
    bool onExit(CommandId id);
    // Enabled with a song current, stopped, out of performance mode.
    void onUpdateSongEdit(CommandId id, CmdUi& ui);
    bool onRenderAudio(CommandId id);
    void onUpdateRenderAudio(CommandId id, CmdUi& ui);
    bool onImportAudioClip(CommandId id);
    void onUpdateImportAudioClip(CommandId id, CmdUi& ui);
    bool onPrintSetup(CommandId id);
    bool onPrint(CommandId id);
    void onUpdatePrint(CommandId id, CmdUi& ui);
    // File > Import > Lyrics: a new "Lyrics" track tapped in, added on OK.
    bool onImportLyrics(CommandId id);
    void onUpdateImportLyrics(CommandId id, CmdUi& ui);

private:
    bool stoppedEditing() const;

    FileSeams m_seams;
    INewDocumentPrompt* m_newDocumentPrompt = nullptr;
    LyricTapper m_lyricTapper;
    ImportProgress m_importProgress;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace rz
