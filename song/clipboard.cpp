#include "song/clipboard.h"

#include "song/audio_clip.h"

#include <algorithm>
#include <system_error>

namespace rz {
namespace {

void releaseEvents(std::vector<CMidiEvent>& events, const std::filesystem::path& workFolder)
{
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
        const CAudioClip* clip = it->message == kAudioClipMessage ? it->clip() : nullptr;
        if (clip != nullptr && !clip->fileName.empty()) {
            const std::filesystem::path file(clip->fileName);
            std::error_code ignored;
            if (isInsideFolder(file, workFolder))
                std::filesystem::remove(file, ignored);
        }
        it->Clear();
    }
    events.clear();
}

} // namespace

bool isInsideFolder(const std::filesystem::path& file, const std::filesystem::path& folder)
{
    if (file.empty() || folder.empty())
        return false;
    std::error_code error;
    const std::filesystem::path f = std::filesystem::weakly_canonical(file, error);
    if (error)
        return false;
    std::filesystem::path d = std::filesystem::weakly_canonical(folder, error);
    if (error)
        return false;
    if (!d.has_filename())
        d = d.parent_path();
    const auto [dEnd, fAt] = std::mismatch(d.begin(), d.end(), f.begin(), f.end());
    return dEnd == d.end() && fAt != f.end();
}

void ClearClipboard(AppClipboard& clipboard, const std::filesystem::path& workFolder)
{
    for (auto it = clipboard.tracks.rbegin(); it != clipboard.tracks.rend(); ++it)
        releaseEvents((*it)->events, workFolder);
    clipboard.tracks.clear();
    releaseEvents(clipboard.events, workFolder);
    clipboard.cues.clear();
    clipboard.tempos.clear();
    clipboard.measures.clear();
    clipboard.measures.shrink_to_fit();
    clipboard.songPath.clear();
    clipboard.kind = 0;
    clipboard.span = 0;
}

} // namespace rz
