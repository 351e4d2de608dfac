// What songs need around their files. GUI thread.

#include "app/song_files.h"

#include "app/app_recent_list.h"
#include "app/view_slots.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "platform/send_file_by_mail.h"
#include "res/command_ids.h"
#include "song/clipboard.h"
#include "ui/command_router.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include <string>
#include <thread>

namespace rz {
namespace {

std::filesystem::path temporaryFolder()
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : folder;
}

} // namespace

// "take.wav", "take_2.wav", ...; a name with a folder keeps its own stem
// less a numbered tail ("take_3" is "take" again).
void SongFiles::MakeUniqueAudioFileName(std::filesystem::path& name)
{
    std::string base = name.has_parent_path() ? name.stem().string() : std::string();
    size_t run = base.find_last_not_of("_0123456789");
    run = run == std::string::npos ? 0 : run + 1;
    if (const size_t underscore = base.find('_', run); underscore != std::string::npos)
        base.erase(underscore);
    if (base.empty())
        base = "take";
    const std::filesystem::path folder = m_seams.workFolder();
    std::error_code error;
    for (int n = 1;; ++n) {
        const std::string suffix = n > 1 ? "_" + std::to_string(n) : std::string();
        const std::filesystem::path candidate = folder / (base + suffix + ".wav");
        if (!std::filesystem::exists(candidate, error)) {
            name = candidate;
            return;
        }
    }
}

void SongFiles::removeNewestRecentSong()
{
    m_seams.recentSongs.remove(0);
    m_seams.recentSongs.write(m_seams.profile());
    m_seams.rebuildRecentMenus();
}

void SongFiles::SetAutoOpenPath(const std::filesystem::path& path)
{
    const std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
    if (isInsideFolder(absolute, temporaryFolder())
        || isInsideFolder(absolute, m_seams.workFolder()))
        return;
    writeSettingText(m_seams.profile(), settings::kStartAutoOpenPath, absolute.string());
    m_seams.recentSongs.remember(absolute, m_seams.profile());
    m_seams.rebuildRecentMenus();
}

bool SongFiles::SendFileByMail(std::string_view subject,
                               const std::vector<std::filesystem::path>& attachments,
                               std::string& reason)
{
    const long child = StartMailProgram(subject, attachments, reason);
    if (child < 0)
        return false;
    // The mail program may stay open while the user writes: the window does
    // not wait for it, and a failure it reports comes back as a message.
    QPointer<QWidget> window = m_seams.window();
    IPrompt* prompt = &m_seams.prompt();
    std::thread([child, window, prompt] {
        std::string why;
        if (WaitForMailProgram(child, why))
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window, prompt, why] {
                if (window)
                    prompt->message("The song could not be handed to the mail program:\n" + why,
                                    PromptIcon::Warning);
            },
            Qt::QueuedConnection);
    }).detach();
    return true;
}

void SongFiles::editTrackProperties(CSongDoc&)
{
    if (auto* track = dynamic_cast<CommandTarget*>(m_seams.views.slot(ViewSlots::kTrack)))
        track->handle(kIdProperties);
}

bool SongFiles::trackViewActive() const
{
    SongView* track = m_seams.views.slot(ViewSlots::kTrack);
    return track != nullptr
           && m_seams.router().activeView() == dynamic_cast<CommandTarget*>(track);
}

} // namespace rz
