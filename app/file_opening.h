#pragma once
// The command line, a second copy's hand-over, the recent lists, dropped
// files and the start-up path open files through it; App builds it.

#include <filesystem>
#include <functional>
#include <vector>

namespace rz {

class CSongDoc;
class DisplayOptions;
class IEngineLink;
class IProfile;
class IPrompt;
class MainFrame;
class RecentFileList;
class SetDocument;
class SongFiles;
class UiUpdater;

struct FileOpeningSeams {
    IProfile& profile;
    IPrompt& prompt;
    DisplayOptions& display; // performance mode
    SongFiles& files;        // the start-up path of a song opened without a set file
    RecentFileList& recentSets;
    RecentFileList& recentSongs;
    UiUpdater& updater; // enables the recent menus' entries
    std::function<IEngineLink&()> engine;
    std::function<SetDocument&()> set;
    std::function<std::filesystem::path()> workFolder;
    std::function<MainFrame*()> frame; // null before start-up and after close
    std::function<CSongDoc*()> currentSong;
    std::function<void()> updateTitle;
};

// Opening songs and sets by path, and the File menu's recent lists. GUI
// thread.
class FileOpening {
public:
    explicit FileOpening(FileOpeningSeams seams) : m_seams(std::move(seams)) {}

    // A song joins the open set; a ".set" file replaces it. Returns the
    // current song afterwards.
    CSongDoc* OpenDocumentFile(const std::filesystem::path& path);
    // Files dropped on the main window (`alt`: the Alt key was down).
    void dropFiles(const std::vector<std::filesystem::path>& paths, bool alt);
    // A song already in the set becomes current from its start; false when
    // it cannot be read (the user was told).
    bool activateFound(CSongDoc& song);
    void rebuildRecentMenus();

private:
    CSongDoc* openSetFile(const std::filesystem::path& path);
    void rememberSet(const std::filesystem::path& path);

    FileOpeningSeams m_seams;
};

} // namespace rz
