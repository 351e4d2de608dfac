// Edit > Audio effect and File > Wave remix/export of the song document:
// the dialogs behind IAudioTools write the files, the song takes them in as
// one undoable edit. GUI thread.

#include <algorithm>
#include <system_error>

#include "core/audio_tools.h"
#include "core/prompt.h"
#include "core/track_rows.h"
#include "song/clipboard_edit.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr char kNoClipSelected[] = "Please select at least one audio clip.";
constexpr char kFilterOutputMissing[] =
    "The audio effect did not write a new file for every clip; the song is unchanged.";
constexpr char kMixMissing[] = "The mixed file could not be found; the song is unchanged.";

// One clip an audio effect runs over.
struct TakenClip {
    uint32_t key = 0; // track << 24 | event index
    int64_t durationMs = 0;
    std::filesystem::path file;
};

// A stored clip name as a path: either separator, relative to the song's folder.
std::filesystem::path clipPath(const CSongDoc& song, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path path(name);
    return path.is_absolute() || song.songFolder.empty() ? path : song.songFolder / path;
}

// With whole tracks selected (and nothing else), a selected waveform row
// gives all its clips.
bool takesWholeTrack(const CSongDoc& song, size_t track)
{
    const ITrackRows* rows = song.context().trackRows;
    return song.selectionKind == kSelectTracks && rows != nullptr && !rows->currentRowMode()
           && rows->IsRowSelected(int(track));
}

// Last track first, and within a track last clip first.
std::vector<TakenClip> takeClips(const CSongDoc& song)
{
    std::vector<TakenClip> taken;
    for (size_t t = song.tracks.size() >= 2 ? song.tracks.size() - 1 : 0; t-- > 0;) {
        const CTrack& track = *song.tracks[t];
        if (track.type != kWaveTrack)
            continue;
        const bool whole = takesWholeTrack(song, t);
        for (size_t e = track.events.size(); e-- > 0;) {
            const CMidiEvent& event = track.events[e];
            const CAudioClip* clip = event.clip();
            if (clip == nullptr || (!whole && event.selectionStamp != song.selectionStamp))
                continue;
            taken.push_back(TakenClip{uint32_t(t << 24 | e), clip->length / 10000,
                                      clipPath(song, clip->fileName)});
        }
    }
    return taken;
}

bool allFilesExist(const std::vector<std::filesystem::path>& files)
{
    return std::all_of(files.begin(), files.end(), [](const std::filesystem::path& file) {
        std::error_code error;
        return std::filesystem::is_regular_file(file, error);
    });
}

// Removes what the effect wrote, sparing the clips' own files should a
// faulty list name one of them.
void removeOutputs(const std::vector<std::filesystem::path>& outputs,
                   const std::vector<std::filesystem::path>& inputs)
{
    for (const std::filesystem::path& file : outputs) {
        std::error_code error;
        const bool input = std::any_of(inputs.begin(), inputs.end(), [&](const std::filesystem::path& in) {
            return std::filesystem::equivalent(file, in, error);
        });
        if (!input)
            std::filesystem::remove(file, error);
    }
}

// The clip event in the new file's place: the old event with only its clip
// changed, repeat count included.
CMidiEvent replacementEvent(const CMidiEvent& old, const std::filesystem::path& file)
{
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = file.string();
    clip->number = old.clip()->number;
    CMidiEvent event;
    event.tick = old.tick;
    event.value2 = old.value2;
    event.notation = old.notation;
    event.spelling = old.spelling;
    event.SetClip(std::move(clip));
    return event;
}

// Each taken clip out, its new clip in at the very index it leaves: the
// insert key is its index less the removals before it on its track.
std::unique_ptr<CUndoRecord> filterRecord(const CSongDoc& song, const std::vector<TakenClip>& taken,
                                          const std::vector<std::filesystem::path>& outputs)
{
    std::vector<size_t> order(taken.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return taken[a].key < taken[b].key; });
    EventListBuilder builder;
    uint32_t earlier = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        const uint32_t key = taken[order[k]].key;
        if (k > 0 && key >> 24 != taken[order[k - 1]].key >> 24)
            earlier = 0;
        const CMidiEvent& old = song.tracks[key >> 24]->events[key & 0xFFFFFF];
        builder.remove(key);
        builder.insert(replacementEvent(old, outputs[order[k]]), key - earlier++);
    }
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Audio filter";
    record->events = builder.build();
    return record;
}

std::unique_ptr<CUndoRecord> remixRecord(const CSongDoc& song, const WaveMix& mix)
{
    auto track = std::make_unique<CTrack>();
    track->type = kWaveTrack;
    track->name = "Remix";
    auto tracks = std::make_unique<CTrackList>();
    tracks->add(std::move(track));
    tracks->targetRows = {1};

    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = mix.path.string();
    clip->number = 1;
    CMidiEvent event;
    event.tick = song.TimeToTick(double(mix.start) * 0.1); // 100 ns to µs
    event.SetClip(std::move(clip));
    auto events = std::make_unique<CEventList>();
    events->sortKeys = {1u << 24};
    events->events.push_back(std::move(event));

    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList | kUndoEvents;
    record->label = "Audio mix/resample";
    record->tracks = std::move(tracks);
    record->events = std::move(events);
    return record;
}

// Calls releaseApplyResources however the effect's run ends.
class ApplyResources {
public:
    explicit ApplyResources(IAudioTools& tools) : m_tools(tools) {}
    ~ApplyResources() { m_tools.releaseApplyResources(); }
    ApplyResources(const ApplyResources&) = delete;
    ApplyResources& operator=(const ApplyResources&) = delete;

private:
    IAudioTools& m_tools;
};

} // namespace

void CSongDoc::OnEditAudioEffect(const std::string& effect)
{
    IAudioTools* tools = m_context.audioTools;
    if (!editingAllowed() || tools == nullptr || !tools->has(AudioTool::FilterSheet)
        || !tools->has(AudioTool::ApplyFilter))
        return;
    const std::vector<TakenClip> taken = takeClips(*this);
    if (taken.empty()) {
        m_context.prompt.message(kNoClipSelected);
        return;
    }
    std::vector<std::filesystem::path> files;
    std::vector<int64_t> durations;
    for (const TakenClip& clip : taken) {
        files.push_back(clip.file);
        durations.push_back(clip.durationMs);
    }
    ApplyResources release(*tools);
    if (!tools->runFilterSheet(effect, files, files.front()))
        return;
    const std::optional<std::vector<std::filesystem::path>> outputs =
        tools->runApplyFilter(effect, files, durations);
    if (!outputs)
        return;
    if (outputs->size() != taken.size() || !allFilesExist(*outputs)) {
        removeOutputs(*outputs, files);
        m_context.prompt.message(kFilterOutputMissing, PromptIcon::Stop);
        return;
    }
    ApplyEdit(filterRecord(*this, taken, *outputs));
}

void CSongDoc::OnFileWaveRemix()
{
    if (!OnUpdateFileWaveRemix())
        return;
    const std::optional<WaveMix> mix = m_context.audioTools->runWaveMixer(*this);
    if (!mix || mix->destination != MixDestination::NewWaveTrack)
        return;
    if (!allFilesExist({mix->path})) {
        m_context.prompt.message(kMixMissing, PromptIcon::Stop);
        return;
    }
    ApplyEdit(remixRecord(*this, *mix));
}

bool CSongDoc::OnUpdateFileWaveRemix() const
{
    const IAudioTools* tools = m_context.audioTools;
    if (!editingAllowed() || tools == nullptr || !tools->has(AudioTool::WaveMixer))
        return false;
    if (selectionKind & kSelectAudioClip)
        return true;
    const ITrackRows* rows = m_context.trackRows;
    if (rows == nullptr || rows->currentRowMode())
        return false;
    for (size_t t = 1; t + 1 < tracks.size(); ++t)
        if (tracks[t]->type == kWaveTrack && rows->IsRowSelected(int(t)))
            return true;
    return false;
}

} // namespace rz
