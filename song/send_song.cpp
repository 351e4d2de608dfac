// File > Send...: the song file and its audio files handed to the mail
// program. GUI thread.
#include "song/send_song.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "core/prompt.h"
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
    const bool sent = host.SendFileByMail(song.title + ".mid", songMailAttachments(song), reason);
    host.setWaitCursor(false);
    if (!sent)
        prompt.message("The song could not be handed to the mail program:\n" + reason, PromptIcon::Warning);
    return sent;
}

} // namespace rz
