#include "song/clipboard_edit.h"

#include <algorithm>
#include <numeric>
#include <system_error>

#include "core/midi_bytes.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/fs.h"
#include "song/key_fold.h"
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

} // namespace

bool hasEditDialog(const CSongDoc& song, EditDialog dialog)
{
    const IEditDialogs* dialogs = song.context().editDialogs;
    return dialogs != nullptr && dialogs->has(dialog);
}

bool isRowSelected(const CSongDoc& song, size_t track)
{
    const ITrackRows* rows = song.context().trackRows;
    if (rows == nullptr)
        return false;
    if (rows->currentRowMode())
        return rows->currentRow() == int(track);
    return rows->IsRowSelected(int(track));
}

uint32_t transposeKey(uint32_t message, int semitones)
{
    const uint32_t kind = midi::statusOf(message);
    if (semitones == 0 || kind < midi::kNoteOff || kind > midi::kPolyPressure)
        return message;
    const int key = transposeFolded(int((message >> 8) & 0xFF), semitones);
    return (message & ~0xFF00u) | uint32_t(key) << 8;
}

int32_t tickOf(int64_t tick)
{
    return int32_t(std::clamp<int64_t>(tick, INT32_MIN, INT32_MAX));
}

std::unique_ptr<CTrack> copyTrackSettings(const CTrack& source)
{
    auto track = std::make_unique<CTrack>();
    CTrack& t = *track;
    t.flags = source.flags;
    t.type = source.type;
    t.name = source.name;
    t.playEnabled = source.playEnabled;
    t.savedPlayEnabled = source.savedPlayEnabled;
    t.port = source.port;
    t.channel = source.channel;
    t.inputDevice = source.inputDevice;
    t.inputChannel = source.inputChannel;
    t.bank = source.bank;
    t.patch = source.patch;
    t.volume = source.volume;
    t.initialControllers = source.initialControllers;
    t.key = source.key;
    t.timeOffset = source.timeOffset;
    t.velocityOffset = source.velocityOffset;
    t.rpnValues = source.rpnValues;
    t.channelPressureDest = source.channelPressureDest;
    t.keyPressureDest = source.keyPressureDest;
    t.controllerDest = source.controllerDest;
    t.destController = source.destController;
    t.notationSetting = source.notationSetting;
    t.notationValue = source.notationValue;
    t.color = source.color;
    t.textColor = source.textColor;
    t.portName = source.portName;
    t.leftGain = source.leftGain;
    t.rightGain = source.rightGain;
    return track;
}

ClipFileCopies::~ClipFileCopies()
{
    std::error_code ignored;
    for (const std::filesystem::path& file : m_made)
        std::filesystem::remove(file, ignored);
}

bool ClipFileCopies::duplicate(CMidiEvent& event)
{
    const CAudioClip* source = event.clip();
    if (source == nullptr)
        return true;
    if (m_failed)
        return false;
    const std::filesystem::path from = clipFile(m_song, source->fileName);
    std::filesystem::path to = from;
    m_song.context().host.MakeUniqueAudioFileName(to);
    std::string reason;
    if (!CopyFileOverwrite(from, to, reason)) {
        m_failed = true;
        m_song.context().prompt.message(kFileCopyFailed, PromptIcon::Stop);
        return false;
    }
    m_made.push_back(to);
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = to.string();
    clip->number = source->number;
    event.data.setClip(std::move(clip));
    return true;
}

void EventListBuilder::insert(CMidiEvent event, uint32_t sortKey)
{
    m_entries.push_back(Entry{sortKey, std::move(event)});
}

std::unique_ptr<CEventList> EventListBuilder::build()
{
    auto list = std::make_unique<CEventList>();
    std::sort(m_sourceKeys.begin(), m_sourceKeys.end());
    m_sourceKeys.erase(std::unique(m_sourceKeys.begin(), m_sourceKeys.end()), m_sourceKeys.end());
    list->sourceKeys = std::move(m_sourceKeys);
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
        return a.sortKey < b.sortKey || (a.sortKey == b.sortKey && a.event.tick < b.event.tick);
    });
    list->sortKeys.reserve(m_entries.size());
    list->events.reserve(m_entries.size());
    for (Entry& entry : m_entries) {
        list->sortKeys.push_back(entry.sortKey);
        list->events.push_back(std::move(entry.event));
    }
    m_entries.clear();
    return list;
}

void sortCuesByTime(std::vector<CCue>& cues)
{
    std::stable_sort(cues.begin(), cues.end(), [](const CCue& a, const CCue& b) {
        return a.GetTime() < b.GetTime()
               || (a.GetTime() == b.GetTime()
                   && std::min(a.time, a.secondTime) < std::min(b.time, b.secondTime));
    });
}

bool encroaches(const CMidiEvent& event, int64_t windowStart, int64_t from, int32_t threshold)
{
    return event.isNote() && event.tick < windowStart
           && int64_t(event.tick) + event.value2 >= from + threshold;
}

int32_t shortenedDuration(const CMidiEvent& note, int64_t from, int32_t threshold, int64_t removed)
{
    const int64_t toThreshold = from - note.tick + threshold;
    return tickOf(std::max(toThreshold, int64_t(note.value2) - removed));
}

} // namespace rz
