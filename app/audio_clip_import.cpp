// File > Import > Audio clip. GUI thread.
#include "app/audio_clip_import.h"

#include "core/prompt.h"
#include "core/song_host.h"
#include "engine/audio/wave_grabber.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>

namespace rz {
namespace {

// The work files an import made; they go unless the import is kept.
class MadeFiles {
public:
    MadeFiles() = default;
    MadeFiles(const MadeFiles&) = delete;
    MadeFiles& operator=(const MadeFiles&) = delete;
    ~MadeFiles()
    {
        std::error_code error;
        for (const std::filesystem::path& path : m_paths)
            std::filesystem::remove(path, error);
    }
    void add(const std::filesystem::path& path) { m_paths.push_back(path); }
    void keep() { m_paths.clear(); }

private:
    std::vector<std::filesystem::path> m_paths;
};

std::unique_ptr<CTrack> clipTrack(const std::filesystem::path& source, const std::filesystem::path& target,
                                  int32_t tick)
{
    auto track = std::make_unique<CTrack>();
    track->type = kWaveTrack;
    track->name = source.stem().string();
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = target.string();
    clip->number = 1;
    CMidiEvent event;
    event.tick = tick;
    event.SetClip(std::move(clip));
    track->events.push_back(std::move(event));
    return track;
}

// Converts into `target`; false, with the message given when it could not
// start, when nothing usable came of it.
bool convert(const std::filesystem::path& source, const std::filesystem::path& target,
             const AudioClipImportServices& services, IPrompt& prompt)
{
    std::unique_ptr<IAudioConversion> conversion = services.makeConversion(source, target);
    const int32_t code = conversion->start();
    if (code != 0) {
        prompt.message(WaveConvertorMessage(code), PromptIcon::Stop);
        return false;
    }
    const bool finished = services.showProgress([&](double* progress) { return conversion->step(progress); });
    conversion->finish();
    return finished;
}

} // namespace

bool ImportAudioClips(CSongDoc& song, const std::vector<std::filesystem::path>& files,
                      const AudioClipImportServices& services)
{
    if (files.empty() || song.tracks.size() < 2)
        return false;
    ISongHost& host = song.context().host;
    IPrompt& prompt = song.context().prompt;
    const int32_t tick = std::max(song.position(), 0);
    MadeFiles made;
    auto list = std::make_unique<CTrackList>();
    for (const std::filesystem::path& source : files) {
        std::filesystem::path target = source;
        host.MakeUniqueAudioFileName(target);
        if (!services.needsConversion(source)) {
            std::error_code error;
            std::filesystem::copy_file(source, target, error);
            if (error) {
                std::filesystem::remove(target, error);
                prompt.message(kCopyFailed, PromptIcon::Stop);
                return false;
            }
            made.add(target);
        } else {
            made.add(target);
            if (!convert(source, target, services, prompt))
                return false;
        }
        list->add(clipTrack(source, target, tick));
        list->targetRows.push_back(1);
    }
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Import audio clips";
    record->tracks = std::move(list);
    if (song.ApplyEdit(std::move(record)) != ApplyResult::Applied)
        return false;
    made.keep();
    return true;
}

} // namespace rz
