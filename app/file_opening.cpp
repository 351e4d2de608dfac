// Opening files (the command line, a second copy, the recent lists, the
// start-up path) and the recent-file lists and menus. GUI thread.

#include "app/file_opening.h"

#include "app/app_recent_list.h"
#include "app/display_options.h"
#include "app/main_frame.h"
#include "app/menu_bar.h"
#include "app/song_files.h"
#include "core/ascii_case.h"
#include "core/engine_link.h"
#include "core/file_names.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <cctype>

namespace rz {
namespace {

constexpr const char* kFileMenu = "&File";

std::string lastFourLowered(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    return AsciiLower(name.size() > 4 ? name.substr(name.size() - 4) : name);
}

bool isSongFile(const std::filesystem::path& path)
{
    const std::string four = lastFourLowered(path);
    for (const char* ending : {".mid", "midi", ".kar", ".smf", ".rss", ".rsd"})
        if (four == ending)
            return true;
    return false;
}

// "&1 name": the entry's number (10 shows as 0) and its file name without a
// known extension.
QString recentItemText(size_t index, const std::filesystem::path& path)
{
    std::string name = path.filename().string();
    StripKnownExtension(name);
    return QString("&%1 %2").arg((index + 1) % 10).arg(QString::fromStdString(name));
}

// The reader's reason, naming the file when it does not already.
std::string readFailure(const std::filesystem::path& path, const std::string& reason)
{
    return reason.find(path.string()) != std::string::npos ? reason
                                                           : path.string() + ": " + reason;
}

bool isSetFile(const std::filesystem::path& path)
{
    return lastFourLowered(path) == ".set";
}

} // namespace

// A song joins the open set just before its end, read only while the
// transport is stopped and made current only outside performance mode; one
// that cannot be read leaves the set as it was. A ".set" file replaces the
// open set.
CSongDoc* FileOpening::OpenDocumentFile(const std::filesystem::path& path)
{
    if (isSetFile(path))
        return openSetFile(path);
    if (!isSongFile(path)) {
        m_seams.prompt.message("Unable to open this file type.", PromptIcon::Stop);
        return nullptr;
    }
    const bool stopped = m_seams.engine().transportState() == TransportState::Stopped;
    std::string reason;
    CSongDoc* song = m_seams.set().AddSongIfReadable(path, m_seams.set().tree().beforeStatus(), stopped ? 1 : 0, reason);
    if (song == nullptr) {
        m_seams.prompt.message(readFailure(path, reason), PromptIcon::Stop);
        return m_seams.currentSong();
    }
    if (!m_seams.display.performanceMode() && song->contentFlag)
        song->ActivateSong(-1);
    if (!m_seams.set().hasFile()) {
        m_seams.files.SetAutoOpenPath(path);
        return m_seams.currentSong();
    }
    m_seams.set().setModified();
    // Not the program's own copies; a song from elsewhere is offered again.
    if (!isInsideFolder(std::filesystem::absolute(path).lexically_normal(), m_seams.workFolder())) {
        m_seams.recentSongs.remember(path, m_seams.profile);
        rebuildRecentMenus();
    }
    return m_seams.currentSong();
}

// The transport stops, the open set is offered for saving, then the file
// is read whole; a file that cannot be read leaves the open set as it was.
CSongDoc* FileOpening::openSetFile(const std::filesystem::path& path)
{
    m_seams.engine().Stop(false);
    if (!m_seams.set().SaveModified() || !m_seams.set().OnOpenDocument(path))
        return m_seams.currentSong();
    rememberSet(path);
    m_seams.updateTitle();
    return m_seams.currentSong();
}

// A set opened or made: the next start opens it, and Recent sets offers it.
void FileOpening::rememberSet(const std::filesystem::path& path)
{
    const std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
    writeSettingText(m_seams.profile, settings::kStartAutoOpenPath, absolute.string());
    m_seams.recentSets.remember(absolute, m_seams.profile);
    rebuildRecentMenus();
}

// Only while stopped and outside performance mode. Songs dropped on a set
// read from a set file are copied into its folder (with Alt: added where
// they are); anything else opens as usual.
void FileOpening::dropFiles(const std::vector<std::filesystem::path>& paths, bool alt)
{
    if (m_seams.engine().transportState() != TransportState::Stopped || m_seams.display.performanceMode())
        return;
    for (const std::filesystem::path& path : paths) {
        if (!m_seams.set().hasSetFile() || !isSongFile(path))
            OpenDocumentFile(path);
        else if (alt)
            m_seams.set().InsertSongAtSelection(path);
        else
            m_seams.set().ImportSong(path);
    }
}

// A song already in the set becomes current from its start.
bool FileOpening::activateFound(CSongDoc& song)
{
    std::string reason;
    if (!song.contentFlag && !m_seams.set().loadSong(song, reason)) {
        m_seams.prompt.message(readFailure(song.pathName, reason), PromptIcon::Stop);
        return false;
    }
    song.ActivateSong(0);
    return true;
}

void FileOpening::rebuildRecentMenus()
{
    MainFrame* frame = m_seams.frame();
    if (!frame)
        return;
    const struct {
        std::string_view menu;
        const RecentFileList& list;
        CommandId first;
    } kMenus[] = {
        {kRecentSetsMenu, m_seams.recentSets, kIdRecentSet1},
        {kRecentSongsMenu, m_seams.recentSongs, kIdRecentSong1},
    };
    for (const auto& [title, list, first] : kMenus) {
        QMenu* menu = frame->menuBar()->subMenu(kFileMenu, title);
        if (!menu)
            continue;
        menu->clear();
        const auto& entries = list.entries();
        for (size_t i = 0; i < std::max<size_t>(entries.size(), 1); ++i) {
            const QString text = entries.empty() ? "(Empty list)" : recentItemText(i, entries[i]);
            auto* action = new QAction(text, menu);
            menu->addAction(action);
            m_seams.updater.addAction(action, first + CommandId(i));
        }
    }
}

} // namespace rz
