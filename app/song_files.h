#pragma once
// Songs reach it through ISongFilesHost; App builds it.

#include "app/app_clipboard.h"
#include "core/song_host.h"
#include "song/find_criteria.h"

#include <filesystem>
#include <functional>

class QWidget;

namespace rz {

class CommandRouter;
class IPrompt;
class IProfile;
class RecentFileList;
class ViewSlots;

// What SongFiles reaches, asked when used: App makes it before the profile.
struct SongFilesSeams {
    std::function<IProfile&()> profile;
    std::function<IPrompt&()> prompt;
    std::function<CommandRouter&()> router;
    RecentFileList& recentSongs;
    ViewSlots& views;
    std::function<std::filesystem::path()> workFolder;
    std::function<void()> rebuildRecentMenus;
    std::function<QWidget*()> window; // a mail failure is told only while it stands
};

// What songs need around their files: the recent songs and the start-up
// path, unique names for recorded audio, handing a song to the mail program,
// and what outlives a change of the current song (the clipboard, the find
// criteria). GUI thread.
class SongFiles : public ISongFilesHost {
public:
    explicit SongFiles(SongFilesSeams seams) : m_seams(std::move(seams)) {}

    AppClipboard& clipboard() override { return m_clipboard; }
    const AppClipboard& clipboard() const { return m_clipboard; }
    std::filesystem::path workFolder() const override { return m_seams.workFolder(); }
    void MakeUniqueAudioFileName(std::filesystem::path& name) override;
    void removeNewestRecentSong() override;
    // A song opened or saved: the path to open at start-up and the newest
    // recent song, unless it lies in a temporary or the work folder.
    void SetAutoOpenPath(const std::filesystem::path& path) override;
    bool SendFileByMail(std::string_view subject,
                        const std::vector<std::filesystem::path>& attachments,
                        std::string& reason) override;
    void editTrackProperties(CSongDoc& song) override;
    FindCriteria& findCriteria() override { return m_findCriteria; }
    bool trackViewActive() const override;

private:
    SongFilesSeams m_seams;
    AppClipboard m_clipboard;
    FindCriteria m_findCriteria; // kept between searches and songs
};

} // namespace rz
