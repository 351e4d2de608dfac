// File > Send...: the song file and its audio files handed to the mail
// program. GUI thread.
#include "song/send_song.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <system_error>

#include "core/prompt.h"
#include "core/set_link.h"
#include "core/song_host.h"
#include "song/song_doc.h"

namespace rz {
namespace {

// A stored clip name as a path: either separator, relative to the song's folder.
std::filesystem::path clipFile(const CSongDoc& song, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path path(name);
    return path.is_absolute() || song.songFolder.empty() ? path : song.songFolder / path;
}

void addOnce(std::vector<std::filesystem::path>& files, std::filesystem::path file)
{
    if (std::find(files.begin(), files.end(), file) == files.end())
        files.push_back(std::move(file));
}

// Whether `file` lies inside `folder`, both with their links and ".." resolved.
bool liesIn(const std::filesystem::path& file, const std::filesystem::path& folder)
{
    if (folder.empty())
        return false;
    std::error_code fileError, folderError;
    const std::filesystem::path real = std::filesystem::weakly_canonical(file, fileError);
    const std::filesystem::path base = std::filesystem::weakly_canonical(folder, folderError);
    if (fileError || folderError)
        return false;
    const auto end = std::mismatch(base.begin(), base.end(), real.begin(), real.end()).first;
    // A folder given with a trailing separator ends in an empty part.
    return end == base.end() || (std::next(end) == base.end() && end->empty());
}

// The folders whose files a song may send without asking: its own, the
// set's and the program's work folder. A song may name any path, such as
// a key file of the user's.
bool mayAttach(const CSongDoc& song, const std::filesystem::path& file)
{
    const SongContext& context = song.context();
    const std::filesystem::path folders[] = {
        song.pathName.parent_path(),
        context.setLink ? context.setLink->folder() : std::filesystem::path(),
        context.host.workFolder(),
    };
    return std::any_of(std::begin(folders), std::end(folders),
                       [&](const std::filesystem::path& folder) { return liesIn(file, folder); });
}

// The attachments the user agrees to: those of the song's folders, and the
// others only after a question that names them.
std::vector<std::filesystem::path> agreedAttachments(const CSongDoc& song)
{
    std::vector<std::filesystem::path> inside, outside;
    for (std::filesystem::path& file : songMailAttachments(song))
        (mayAttach(song, file) ? inside : outside).push_back(std::move(file));
    if (outside.empty())
        return inside;
    std::string question = "These files named by the song lie outside its folder, the set's folder and "
                           "the work folder:";
    for (const std::filesystem::path& file : outside)
        question += "\n" + file.string();
    question += "\nAttach them too?";
    if (song.context().prompt.askYesNo(question, PromptIcon::Warning) == PromptAnswer::Yes)
        inside.insert(inside.end(), outside.begin(), outside.end());
    return inside;
}

} // namespace

std::vector<std::filesystem::path> songMailAttachments(const CSongDoc& song)
{
    std::vector<std::filesystem::path> files = {song.pathName};
    for (size_t i = song.tracks.size() >= 2 ? song.tracks.size() - 1 : 0; i-- > 0;) {
        const CTrack& track = *song.tracks[i];
        if (track.type != kWaveTrack)
            continue;
        for (auto event = track.events.rbegin(); event != track.events.rend(); ++event)
            if (const CAudioClip* clip = event->clip())
                addOnce(files, clipFile(song, clip->fileName));
    }
    return files;
}

bool OnFileSend(CSongDoc& song)
{
    if (!song.SaveModified())
        return false;
    IPrompt& prompt = song.context().prompt;
    std::error_code error;
    if (song.pathName.empty() || !std::filesystem::exists(song.pathName, error)) {
        prompt.message("The song must be saved before it can be sent.", PromptIcon::Information);
        return false;
    }
    ISongHost& host = song.context().host;
    std::string reason;
    host.setWaitCursor(true);
    const bool sent = host.SendFileByMail(song.title + ".mid", agreedAttachments(song), reason);
    host.setWaitCursor(false);
    if (!sent)
        prompt.message("The song could not be handed to the mail program:\n" + reason, PromptIcon::Warning);
    return sent;
}

} // namespace rz
