// Importing a song: a copy of the song file and of its clips goes into the
// set folder, then joins the set at the selection. GUI thread.
#include "set/set_document.h"

#include "core/prompt.h"
#include "song/audio_clip.h"
#include "song/fs.h"
#include "song/play_images.h"
#include "song/smf_reader.h"
#include "song/smf_writer.h"

#include <algorithm>

namespace rz {
namespace {

constexpr const char* kCopyFailed = "Sorry, the file copy operation failed.  Do you have enough disk space?";

// A clip's stored name as a path: either separator, relative to the folder
// the song was read from.
std::filesystem::path clipSource(const std::filesystem::path& songFolder, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path path(name);
    return path.is_absolute() ? path : songFolder / path;
}

// The clip files an import wrote, removed again unless it succeeds; a
// "WaveData" folder it made goes with them.
class ClipCopies {
public:
    explicit ClipCopies(std::filesystem::path waveData) : m_waveData(std::move(waveData))
    {
        std::error_code error;
        m_folderExisted = std::filesystem::exists(m_waveData, error);
    }
    ~ClipCopies()
    {
        if (m_kept)
            return;
        std::error_code error;
        for (const auto& file : m_files)
            std::filesystem::remove(file, error);
        if (!m_folderExisted && std::filesystem::is_empty(m_waveData, error))
            std::filesystem::remove(m_waveData, error);
    }
    ClipCopies(const ClipCopies&) = delete;
    ClipCopies& operator=(const ClipCopies&) = delete;

    void add(const std::filesystem::path& file) { m_files.push_back(file); }
    void keep() { m_kept = true; }

private:
    std::filesystem::path m_waveData;
    std::vector<std::filesystem::path> m_files;
    bool m_folderExisted = false;
    bool m_kept = false;
};

// Every clip of the waveform tracks, last track and last clip first, gets
// a copy of its file in the song's "WaveData" folder.
bool copyClips(CSongDoc& song, const std::filesystem::path& sourceFolder, ClipCopies& copies)
{
    for (size_t t = song.tracks.size() >= 2 ? song.tracks.size() - 2 : 0; t >= 1; --t) {
        CTrack& track = *song.tracks[t];
        if (track.type != kWaveTrack)
            continue;
        for (auto event = track.events.rbegin(); event != track.events.rend(); ++event) {
            const CAudioClip* clip = event->clip();
            if (clip == nullptr)
                continue;
            const std::filesystem::path source = clipSource(sourceFolder, clip->fileName);
            std::filesystem::path target = source;
            song.MakeClipFileName(target);
            std::string reason;
            if (!CopyFileOverwrite(source, target, reason))
                return false;
            copies.add(target);
            auto copied = std::make_unique<CAudioClip>();
            copied->fileName = target.string();
            copied->number = clip->number;
            copied->length = clip->length;
            event->SetClip(std::move(copied));
        }
    }
    return true;
}

// The file only: the song's own save would ask questions and rename the
// file after the song's title.
bool writeSong(CSongDoc& song, const std::filesystem::path& target)
{
    RebuildPlayImages(song, false);
    std::vector<uint8_t> bytes;
    std::string reason;
    std::string backupProblem;
    return BuildSongFile(song, bytes, reason) && WriteFileAtomic(target, bytes, {}, reason, backupProblem);
}

} // namespace

bool SetDocument::ImportSong(const std::filesystem::path& path)
{
    const std::string name = path.stem().string();
    const std::filesystem::path target = m_folder / (name + ".mid");
    if (path.lexically_normal() == target.lexically_normal()) {
        InsertSongAtSelection(path);
        return true;
    }
    IPrompt& prompt = m_songContext.prompt;
    std::error_code error;
    if (std::filesystem::exists(target, error)) {
        prompt.message("Sorry, '" + name + "' already exists in this set--rename or delete and try again.",
                       PromptIcon::Warning);
        return false;
    }
    // A song of its own: it tells the set nothing while it is copied.
    SongContext context = m_songContext;
    context.setLink = nullptr;
    auto song = std::make_unique<CSongDoc>(context);
    std::string reason;
    ClipCopies copies(m_folder / "WaveData");
    bool copied = OpenSong(*song, path, reason);
    if (copied) {
        song->FreeTrackCaches();
        const std::filesystem::path sourceFolder = song->songFolder;
        song->SetPathName(target);
        copied = copyClips(*song, sourceFolder, copies) && writeSong(*song, target);
    }
    song->SetModifiedFlag(false);
    song.reset();
    if (!copied) {
        prompt.message(kCopyFailed, PromptIcon::Warning);
        return false;
    }
    copies.keep();
    InsertSongAtSelection(target);
    return true;
}

} // namespace rz
