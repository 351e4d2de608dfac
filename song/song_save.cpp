// Saving a song: Save and Save As, the offsets question, clip files moved to
// where they belong, the atomic write with its backup, AutoRecover copies,
// and renaming the file and folder after the title. GUI thread.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <system_error>

#include "core/ascii_case.h"
#include "core/file_names.h"
#include "core/midi_bytes.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/set_link.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "song/auto_recover.h"
#include "song/fs.h"
#include "song/play_images.h"
#include "song/smf_reader.h"
#include "song/smf_writer.h"
#include "song/song_doc.h"
#include "song/undo_internal.h"

namespace rz {
namespace {

constexpr const char* kSongFilter = "MIDI files (*.mid)";
// A proposed name ends before the first of these.
constexpr const char* kDubiousNameCharacters = " #%;/\\";

enum class SaveKind {
    Normal,      // the song's file: questions, clip moves, backup, renaming
    AutoRecover, // the ".sav" copy: bytes only, the song stays modified
    Copy,        // Save Copy As: the song keeps its path and modified state
};

std::string lastFour(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    return AsciiLower(name.size() > 4 ? name.substr(name.size() - 4) : name);
}

bool isAutoRecoverPath(const std::filesystem::path& path)
{
    return lastFour(path) == ".sav";
}

// The file name split into its stem and its known extension ("Song", ".MID");
// an unknown extension stays with the name's own extension split off.
struct NameParts {
    std::string stem;
    std::string extension;
};

NameParts splitName(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    std::string stem = name;
    StripKnownExtension(stem);
    if (stem.size() == name.size())
        return {path.stem().string(), path.extension().string()};
    return {stem, name.substr(stem.size())};
}

std::filesystem::path backupPath(const std::filesystem::path& songPath)
{
    return songPath.parent_path() / (splitName(songPath).stem + ".bak");
}

// A folder without a trailing separator, for comparing.
std::filesystem::path plainFolder(const std::filesystem::path& folder)
{
    std::filesystem::path normal = folder.lexically_normal();
    return normal.has_filename() ? normal : normal.parent_path();
}

// A stored clip name as a path: either separator, relative to the song's folder.
std::filesystem::path clipPath(const CSongDoc& song, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path path(name);
    return path.is_absolute() || song.songFolder.empty() ? path : song.songFolder / path;
}

bool inWorkFolder(const CSongDoc& song, const std::string& clipName)
{
    const std::filesystem::path work = song.context().host.workFolder();
    return !work.empty() && plainFolder(clipPath(song, clipName).parent_path()) == plainFolder(work);
}

template <class Visit>
void forEachSongClip(CSongDoc& song, Visit&& visit)
{
    for (size_t i = song.tracks.size() >= 2 ? song.tracks.size() - 2 : 0; i >= 1; --i) {
        CTrack& track = *song.tracks[i];
        if (track.type != kWaveTrack)
            continue;
        for (CMidiEvent& event : track.events)
            if (CAudioClip* clip = event.clip())
                visit(*clip);
    }
}

// Every reference to a clip file, in the song and its undo records, follows it.
void renameClipEverywhere(CSongDoc& song, const std::string& oldName, const std::string& newName)
{
    forEachSongClip(song, [&](CAudioClip& clip) {
        if (clip.fileName == oldName)
            clip.fileName = newName;
    });
    song.RenameClipFiles(oldName, newName);
}

void report(CSongDoc& song, const std::filesystem::path& path, const std::string& reason)
{
    song.context().prompt.message("Unable to save " + path.string() + ":\n" + reason, PromptIcon::Warning);
}

// Checked before anything changes: a read-only target, or a folder where the
// new file cannot be made.
bool targetWritable(CSongDoc& song, const std::filesystem::path& path)
{
    if (IsReadOnly(path)) {
        song.context().prompt.message(path.string() + " is read-only and may not be overwritten.",
                                      PromptIcon::Warning);
        return false;
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    if (!IsWritableFolder(folder)) {
        report(song, path, "the folder " + folder.string() + " cannot be written");
        return false;
    }
    return true;
}

// "\nTrack %d:  key; velocity; " for each user track, last first, whose
// offsets had to be clipped when its image was encoded.
std::string clippedOffsetLines(const CSongDoc& song)
{
    std::string lines;
    for (size_t i = song.tracks.size() >= 2 ? song.tracks.size() - 2 : 0; i >= 1; --i) {
        const uint32_t bits = song.tracks[i]->clipFlags & 3;
        if (bits == 0)
            continue;
        lines += "\nTrack " + std::to_string(i) + ":  ";
        if (bits & 1)
            lines += "key; ";
        if (bits & 2)
            lines += "velocity; ";
    }
    return lines;
}

int32_t foldKey(int32_t key)
{
    if (key < 0)
        return key + 12 * ((11 - key) / 12);
    if (key > 127)
        return key - 12 * ((key - 116) / 12);
    return key;
}

// The track's offsets made part of a note or pressure event, as the encoder
// applies them; false when the event does not change.
bool bakeOffsets(CMidiEvent& event, const CTrack& track, uint32_t bits)
{
    const uint8_t kind = event.kind();
    if (kind < midi::kNoteOff || kind >= midi::kControlChange)
        return false;
    uint32_t message = event.message;
    if ((bits & 1) && track.key != 0) {
        const int32_t key = foldKey(int32_t(event.data1() & 0x7F) + std::clamp(track.key, -1000, 1000));
        message = (message & ~0xFF00u) | uint32_t(key) << 8;
    }
    const int32_t velocity = event.data2() & 0x7F;
    if ((bits & 2) && kind < midi::kPolyPressure && velocity != 0 && track.velocityOffset != 0) {
        const int32_t changed = std::clamp(velocity + std::clamp(track.velocityOffset, -1000, 1000), 1, 127);
        message = (message & ~0xFF0000u) | uint32_t(changed) << 16;
    }
    if (message == event.message)
        return false;
    event.message = message;
    return true;
}

// Each changed event goes out and its new copy back in at the same place:
// an insert key is the event's index less the earlier ones taken out.
void addOffsetChanges(const CTrack& track, uint32_t index, uint32_t bits, CEventList& list)
{
    uint32_t taken = 0;
    for (uint32_t e = 0; e < track.events.size(); ++e) {
        CMidiEvent changed = track.events[e];
        if (!bakeOffsets(changed, track, bits))
            continue;
        list.sourceKeys.push_back(index << 24 | e);
        list.sortKeys.push_back(index << 24 | (e - taken++));
        list.events.push_back(std::move(changed));
    }
}

std::unique_ptr<CUndoRecord> offsetsRecord(const CSongDoc& song)
{
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents | kUndoTrackProps;
    record->label = "Apply offsets";
    record->events = std::make_unique<CEventList>();
    std::vector<CTrackProps> props;
    for (uint32_t i = 1; i + 1 < song.tracks.size(); ++i) {
        const CTrack& track = *song.tracks[i];
        const uint32_t bits = track.clipFlags & 3;
        if (bits == 0)
            continue;
        CTrackProps change{int32_t(i)};
        if (bits & 1)
            change.key = 0;
        if (bits & 2)
            change.velocityOffset = 0;
        props.push_back(change);
        addOffsetChanges(track, i, bits, *record->events);
    }
    record->payload = std::move(props);
    return record;
}

// Asks before offsets that clip are made part of the notes; false when the
// user cancels or the edit is refused.
bool applyClippedOffsets(CSongDoc& song)
{
    const std::string lines = clippedOffsetLines(song);
    if (lines.empty())
        return true;
    const std::string question = "NOTE:\nTrack offsets will cause values to be clipped (set at limits):\n"
                                 + lines + "\n\nApply these offsets and save anyway?";
    if (song.context().prompt.askOkCancel(question, PromptIcon::Question) != PromptAnswer::Ok)
        return false;
    return song.applyWithLastEdit(offsetsRecord(song)) == ApplyResult::Applied;
}

// Clips the song plays from the work folder move into its "WaveData" folder.
bool moveWorkClipsIntoSong(CSongDoc& song, std::string& reason)
{
    std::vector<std::string> names;
    forEachSongClip(song, [&](CAudioClip& clip) {
        if (inWorkFolder(song, clip.fileName)
            && std::find(names.begin(), names.end(), clip.fileName) == names.end())
            names.push_back(clip.fileName);
    });
    for (const std::string& name : names) {
        std::filesystem::path target = clipPath(song, name);
        song.MakeClipFileName(target);
        if (!MoveFileNoReplace(clipPath(song, name), target, reason))
            return false;
        renameClipEverywhere(song, name, target.string());
    }
    return true;
}

// Files only undo records still use go to the work folder, so the song's
// "WaveData" folder holds what the song plays. One that cannot move stays.
void moveUndoOnlyClipsToWork(CSongDoc& song)
{
    std::set<std::string> used;
    forEachSongClip(song, [&](CAudioClip& clip) { used.insert(AsciiLower(clip.fileName)); });
    std::vector<std::string> names;
    for (auto& record : song.undoList) {
        if ((record->flags & kUndoViewMark) || !(record->flags & (kUndoEvents | kUndoTrackList)))
            continue;
        forEachRecordClip(*record, [&](CAudioClip& clip) {
            if (!inWorkFolder(song, clip.fileName) && used.count(AsciiLower(clip.fileName)) == 0
                && std::find(names.begin(), names.end(), clip.fileName) == names.end())
                names.push_back(clip.fileName);
        });
    }
    for (const std::string& name : names) {
        std::filesystem::path target = clipPath(song, name);
        song.context().host.MakeUniqueAudioFileName(target);
        std::string ignored;
        if (MoveFileNoReplace(clipPath(song, name), target, ignored))
            song.RenameClipFiles(name, target.string());
    }
}

// Offsets, clip files and images, before a normal save or a copy is written.
bool prepareSong(CSongDoc& song, const std::filesystem::path& path)
{
    if (!applyClippedOffsets(song))
        return false;
    std::string reason;
    if (!moveWorkClipsIntoSong(song, reason)) {
        report(song, path, reason);
        return false;
    }
    moveUndoOnlyClipsToWork(song);
    RebuildPlayImages(song, false);
    return true;
}

// Clips inside a renamed folder keep pointing at their files.
void followRenamedFolder(CSongDoc& song, const std::filesystem::path& from, const std::filesystem::path& to)
{
    const std::string prefix = from.string() + "/";
    auto follow = [&](CAudioClip& clip) {
        if (clip.fileName.starts_with(prefix))
            clip.fileName = to.string() + "/" + clip.fileName.substr(prefix.size());
    };
    forEachSongClip(song, follow);
    for (auto& record : song.undoList)
        forEachRecordClip(*record, follow);
}

// The recent-file list and start-up path of a song of its own, or the set
// whose song list holds the path.
void announceNewPath(CSongDoc& song, const std::filesystem::path& path)
{
    ISetLink* set = song.context().setLink;
    if (set == nullptr || set->isStandAlone()) {
        song.context().host.removeNewestRecentSong();
        song.context().host.SetAutoOpenPath(path);
    } else {
        set->setModified();
    }
}

// The folder (when the song has one of its own) and the file take the
// title's name. Names already taken, and an empty title, keep the old ones.
void renameAfterTitle(CSongDoc& song, const std::filesystem::path& path)
{
    std::string newName = song.title;
    newName.erase(newName.find_last_not_of(' ') + 1);
    SanitizeFileName(newName);
    const NameParts old = splitName(path);
    if (newName.empty() || newName == old.stem)
        return;
    std::filesystem::path folder = path.parent_path();
    std::filesystem::path newPath = path;
    std::error_code error;
    if (folder.filename() == old.stem) {
        const std::filesystem::path newFolder = folder.parent_path() / newName;
        if (RenameNoReplace(folder, newFolder, error)) {
            followRenamedFolder(song, folder, newFolder);
            folder = newFolder;
            newPath = folder / path.filename();
        }
    }
    const std::filesystem::path target = folder / (newName + AsciiLower(old.extension));
    if (RenameNoReplace(newPath, target, error)) {
        RenameNoReplace(folder / (old.stem + ".bak"), folder / (newName + ".bak"), error);
        newPath = target;
    }
    if (newPath != path) {
        song.SetPathName(newPath, false);
        announceNewPath(song, newPath);
    }
}

void finishNormalSave(CSongDoc& song, const std::filesystem::path& path)
{
    deleteAutoRecoverCopy(path);
    song.autoRecoverMark = false;
    if (readSetting(song.context().profile, settings::kSaveRename) != 0)
        renameAfterTitle(song, path);
    song.savedRecord = song.GetUndoRecord();
    song.SetModifiedFlag(false);
}

// Whether two files hold the same bytes.
bool sameContents(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(a, error);
    if (error || std::filesystem::file_size(b, error) != size || error)
        return false;
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    return first && second
           && std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                         std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

// Copies a clip file of the song's own "WaveData" folder into the one beside
// the copy, under its own name unless another file has it; the copy's name.
bool copyClipFile(CSongDoc& song, const std::filesystem::path& from, std::filesystem::path& to,
                  std::string& reason)
{
    to = song.songFolder / "WaveData" / from.filename();
    std::error_code error;
    if (std::filesystem::exists(to, error)) {
        if (sameContents(from, to))
            return true;
        song.MakeClipFileName(to);
    }
    std::filesystem::create_directories(to.parent_path(), error);
    return CopyFileOverwrite(from, to, reason);
}

// The waveform tracks' images encoded again, with the song's folder and clip
// names as they are now.
void reencodeWaveTracks(CSongDoc& song)
{
    for (auto& track : song.tracks)
        if (track->type == kWaveTrack)
            track->chased = 0;
    RebuildPlayImages(song, true);
}

// Whether a save target lies in the song's own folder.
bool inSongFolder(const CSongDoc& song, const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    return std::filesystem::equivalent(folder, song.songFolder, error)
           || plainFolder(std::filesystem::absolute(folder, error))
                  == plainFolder(std::filesystem::absolute(song.songFolder, error));
}

// The clip files of the song's own "WaveData" folder that exist, by the
// names the song gives them.
std::vector<std::string> ownClipNames(CSongDoc& song)
{
    const std::filesystem::path waveData = plainFolder(song.songFolder / "WaveData");
    std::vector<std::string> names;
    forEachSongClip(song, [&](CAudioClip& clip) {
        const std::filesystem::path file = clipPath(song, clip.fileName);
        std::error_code error;
        if (plainFolder(file.parent_path()) == waveData && std::filesystem::is_regular_file(file, error)
            && std::find(names.begin(), names.end(), clip.fileName) == names.end())
            names.push_back(clip.fileName);
    });
    return names;
}

// A copy saved in another folder gets the clips of the song's "WaveData"
// folder in a "WaveData" folder beside it, and names them there, so it opens
// with its audio. The song keeps its own folder, clip names and images.
bool buildCopyElsewhere(CSongDoc& song, const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                        std::string& reason)
{
    const std::filesystem::path ownFolder = song.songFolder;
    const std::vector<std::string> names = ownClipNames(song);
    std::vector<std::filesystem::path> sources;
    for (const std::string& name : names)
        sources.push_back(clipPath(song, name));
    song.songFolder = path.has_parent_path() ? path.parent_path() : ".";
    std::map<std::string, std::string> copies; // the song's clip name -> the copy's
    bool ok = true;
    for (size_t i = 0; ok && i < names.size(); ++i) {
        std::filesystem::path copy;
        ok = copyClipFile(song, sources[i], copy, reason);
        copies[names[i]] = copy.string();
    }
    if (ok) {
        std::vector<std::pair<CAudioClip*, std::string>> ownNames;
        forEachSongClip(song, [&](CAudioClip& clip) {
            if (const auto it = copies.find(clip.fileName); it != copies.end()) {
                ownNames.emplace_back(&clip, clip.fileName);
                clip.fileName = it->second;
            }
        });
        reencodeWaveTracks(song);
        ok = BuildSongFile(song, bytes, reason);
        for (auto& [clip, name] : ownNames)
            clip->fileName = name;
    }
    song.songFolder = ownFolder;
    reencodeWaveTracks(song);
    return ok;
}

bool saveSong(CSongDoc& song, const std::filesystem::path& path, SaveKind kind)
{
    song.RecomputeMeasureStarts();
    if (!targetWritable(song, path))
        return false;
    if (kind != SaveKind::AutoRecover && !prepareSong(song, path))
        return false;
    const IProfile& profile = song.context().profile;
    if (song.format != 0 && readSetting(profile, settings::kSaveLayout) != 0)
        song.context().host.SnapshotLayout(song.layoutText);
    const bool backup = kind == SaveKind::Normal && readSetting(profile, settings::kSaveBackups) != 0;
    std::vector<uint8_t> bytes;
    std::string reason;
    std::string backupProblem;
    // A song that is a link keeps its backup beside the file it names.
    const std::filesystem::path backupFile = backup ? backupPath(SaveTarget(path)) : std::filesystem::path();
    const bool elsewhere = kind == SaveKind::Copy && !song.songFolder.empty() && !inSongFolder(song, path);
    const bool built = elsewhere ? buildCopyElsewhere(song, path, bytes, reason) : BuildSongFile(song, bytes, reason);
    if (!built || !WriteFileAtomic(path, bytes, backupFile, reason, backupProblem)) {
        report(song, path, reason);
        return false;
    }
    if (!backupProblem.empty())
        song.context().prompt.message(path.string() + " was saved, but no backup was kept:\n" + backupProblem,
                                      PromptIcon::Warning);
    if (kind == SaveKind::AutoRecover)
        song.autoRecoverMark = true;
    else if (kind == SaveKind::Normal)
        finishNormalSave(song, path);
    return true;
}

std::filesystem::path proposedSavePath(const CSongDoc& song)
{
    if (song.pathName.empty()) {
        std::string name = song.title.substr(0, song.title.find_first_of(kDubiousNameCharacters));
        return (name.empty() ? std::string("Untitled") : name) + ".mid";
    }
    std::filesystem::path proposed = song.pathName;
    if (lastFour(proposed) == ".rsd")
        proposed.replace_extension(".mid");
    return proposed;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return !b.empty() && std::filesystem::equivalent(a, b, error);
}

// The Save As question, and the replace question for a file that exists.
std::optional<std::filesystem::path> chooseSaveTarget(CSongDoc& song, bool replace)
{
    IPrompt& prompt = song.context().prompt;
    std::optional<std::filesystem::path> chosen =
        prompt.chooseSavePath(replace ? "Save As" : "Save Copy As", proposedSavePath(song), kSongFilter);
    if (!chosen)
        return std::nullopt;
    if (!chosen->has_extension())
        *chosen += ".mid";
    std::error_code error;
    if (std::filesystem::exists(*chosen, error) && !sameFile(*chosen, song.pathName)) {
        const std::string question = "'" + chosen->string() + "' already exists. Replace it?";
        if (prompt.askYesNo(question, PromptIcon::Warning) != PromptAnswer::Yes)
            return std::nullopt;
    }
    return chosen;
}

} // namespace

bool CSongDoc::OnSaveDocument(const std::filesystem::path& path)
{
    if (!isAutoRecoverPath(path))
        return saveSong(*this, path, SaveKind::Normal);
    // Opening an ".rsd" song would read its copy as records, not as the
    // Standard MIDI File it is: such a song gets no copy until saved as one.
    if (songFileKind(pathName).rsd)
        return false;
    return saveSong(*this, path, SaveKind::AutoRecover);
}

bool CSongDoc::DoFileSave()
{
    if (pathName.empty() || IsReadOnly(pathName) || lastFour(pathName) == ".rsd")
        return DoSave(std::nullopt, true);
    return DoSave(pathName, true);
}

bool CSongDoc::DoSave(const std::optional<std::filesystem::path>& path, bool replace)
{
    if (path)
        return replace ? OnSaveDocument(*path) : saveSong(*this, *path, SaveKind::Copy);
    const std::optional<std::filesystem::path> chosen = chooseSaveTarget(*this, replace);
    if (!chosen)
        return false;
    if (!replace)
        return saveSong(*this, *chosen, SaveKind::Copy);
    // The title is written into the file and names it, so the song takes
    // both first, and gets its own back when the save fails.
    const std::filesystem::path oldPath = pathName;
    const std::filesystem::path oldFolder = songFolder;
    const std::string oldTitle = title;
    SetPathName(*chosen, false);
    title = splitName(*chosen).stem;
    if (!saveSong(*this, *chosen, SaveKind::Normal)) {
        pathName = oldPath;
        songFolder = oldFolder;
        title = oldTitle;
        return false;
    }
    // The old file's AutoRecover copy holds this song, no longer that file.
    if (!oldPath.empty() && !sameFile(oldPath, pathName))
        deleteAutoRecoverCopy(oldPath);
    return true;
}

void CSongDoc::SetPathName(const std::filesystem::path& path, [[maybe_unused]] bool addToRecent)
{
    pathName = path;
    if (!contentFlag) {
        title = path.filename().string();
        StripKnownExtension(title);
    }
    songFolder = path.parent_path();
}

int CSongDoc::RenameClipFiles(const std::string& oldName, const std::string& newName)
{
    int count = 0;
    for (auto& record : undoList) {
        if (!(record->flags & (kUndoEvents | kUndoTrackList)))
            continue;
        forEachRecordClip(*record, [&](CAudioClip& clip) {
            if (clip.fileName == oldName) {
                clip.fileName = newName;
                ++count;
            }
        });
    }
    return count;
}

} // namespace rz
