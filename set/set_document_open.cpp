// Opening a set file: reading it whole, rebuilding the tree, finding songs
// whose stored paths came from another machine, and the songs found in the
// set folder that the file does not list. GUI thread.
#include "set/set_document.h"

#include "core/ascii_case.h"
#include "core/input_file.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/text_codec.h"
#include "set/set_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace rz {
namespace {

// A set file lists paths; anything near this size is not one.
constexpr std::uintmax_t kMaxSetFileBytes = 64u << 20;
constexpr const char* kLoadingPrompt = "Loading set...";

bool endsWith(const std::string& text, std::string_view ending)
{
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

bool readWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& reason)
{
    auto read = ReadWholeFileBytes(path, kMaxSetFileBytes, reason);
    if (!read)
        return false;
    bytes = std::move(*read);
    return true;
}

// Sets made on case-insensitive systems may name "Song.mid" for "song.MID".
// Only a unique match counts.
std::filesystem::path caseInsensitiveMatch(const std::filesystem::path& folder, const std::string& name)
{
    const std::string wanted = AsciiLower(name);
    std::filesystem::path found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error) || AsciiLower(entry.path().filename().string()) != wanted)
            continue;
        if (!found.empty())
            return {};
        found = entry.path();
    }
    return found;
}

bool isSongFileName(const std::filesystem::path& path)
{
    const std::string name = AsciiLower(path.filename().string());
    return endsWith(name, ".mid") || endsWith(name, ".kar");
}

bool holdsASet(const std::filesystem::path& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file(error) && endsWith(AsciiLower(entry.path().filename().string()), ".set"))
            return true;
    return false;
}

void scanInto(const std::filesystem::path& folder, std::vector<std::filesystem::path>& list)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_symlink(error) && entry.is_directory(error))
            continue;
        if (entry.is_directory(error)) {
            if (!holdsASet(entry.path()))
                scanInto(entry.path(), list);
        } else if (entry.is_regular_file(error) && isSongFileName(entry.path())) {
            list.push_back(entry.path());
        }
    }
}

} // namespace

void SetDocument::ScanFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& list)
{
    const size_t first = list.size();
    scanInto(folder, list);
    std::sort(list.begin() + std::ptrdiff_t(first), list.end());
}

bool SetDocument::OnOpenDocument(const std::filesystem::path& path)
{
    IPrompt& prompt = m_songContext.prompt;
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!readWholeFile(path, bytes, reason)) {
        prompt.message("Unable to open '" + path.string() + "' (" + reason + ").", PromptIcon::Stop);
        return false;
    }
    auto decoded = decodeSetFile(bytes);
    if (const auto* error = std::get_if<SetFileError>(&decoded)) {
        prompt.message("Sorry, '" + path.string() + "' is not a valid set file (" + error->reason + ").",
                       PromptIcon::Stop);
        return false;
    }
    ISongHost& host = m_songContext.host;
    if (contains(host.currentSong()))
        host.SetCurrentSong(nullptr);
    // Its views could not let go of the song: nothing may be destroyed yet.
    if (contains(host.currentSong()))
        return false;
    DeleteContents();
    m_path = std::filesystem::absolute(path).lexically_normal();
    m_folder = m_path.parent_path();
    m_noSetFile = false;
    m_modified = false;
    readImage(std::get<SetFileImage>(decoded));
    addStraySongs();
    SelectSongByIndex(0);
    host.UpdateTitle();
    return true;
}

// A depth that grows by more than one level goes one level down, and only
// into a folder just inserted at the current level; without one the entry
// stays where it is.
void SetDocument::readImage(const SetFileImage& image)
{
    const bool big = int64_t(image.entries.size())
                     > readSetting(m_songContext.profile, settings::kSetMaxSetSize);
    uint32_t depth = 0;
    SetTreeItem* parent = nullptr;
    SetTreeItem* lastFolder = nullptr;
    // Songs by path, so that a large set opens in time that grows with its
    // size, not with its square.
    std::unordered_map<std::string, CSongDoc*> byPath;
    for (CSongDoc* song : songs())
        byPath.emplace(song->pathName.lexically_normal().string(), song);
    for (const SetFileEntry& entry : image.entries) {
        if (entry.name.empty())
            continue;
        if (entry.depth > depth && lastFolder != nullptr) {
            parent = lastFolder;
            lastFolder = nullptr;
            ++depth;
        }
        for (; entry.depth < depth && parent != nullptr; --depth) {
            parent->collapsed = true;
            parent = parent->parent;
            lastFolder = nullptr;
        }
        const TreePlace place = parent ? TreePlace::end(parent) : m_tree.beforeStatus();
        if (entry.folder) {
            lastFolder = m_tree.InsertFolder(entry.name, place);
            continue;
        }
        const size_t slash = entry.name.find_last_of("\\/");
        m_host.showSetProgress(kLoadingPrompt, decodeText(entry.name.substr(slash == std::string::npos ? 0 : slash + 1)));
        const std::filesystem::path resolved = resolveStoredPath(entry.name);
        const int mode = entry.disabled ? -1 : big ? 0 : 1;
        CSongDoc*& known = byPath[resolved.lexically_normal().string()];
        const bool wasKnown = known != nullptr;
        bool select = false;
        CSongDoc* song = placeSong(known, resolved, place, mode, select, nullptr);
        known = song;
        SongEntry* added = entryOf(song);
        if (!wasKnown) {
            added->storedName = entry.name;
            added->storedPath = resolved;
        }
        if (mode < 1 && song->contentFlag)
            unloadSong(*song);
    }
    for (; parent != nullptr; parent = parent->parent)
        parent->collapsed = true;
    UpdateTotals();
    if (image.performanceLock) {
        m_modified = false;
        m_host.lockPerformance();
    }
    m_host.endSetProgress();
}

// The file name is the text after the stored path's last separator: first
// in the set folder, then in a sub-folder named after the song, then any
// unique name that differs only in case. A name that is not UTF-8 is tried
// as Windows-1252 text too. Else the path as stored.
std::filesystem::path SetDocument::resolveStoredPath(const std::string& stored) const
{
    const size_t slash = stored.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? stored : stored.substr(slash + 1);
    std::vector<std::string> names;
    if (!name.empty())
        names.push_back(name);
    if (!name.empty() && !isValidUtf8(name))
        names.push_back(decodeText(name));
    std::error_code error;
    for (const std::string& candidate : names) {
        const std::filesystem::path inFolder = m_folder / candidate;
        if (std::filesystem::exists(inFolder, error))
            return inFolder;
        if (endsWith(candidate, ".mid")) {
            const std::filesystem::path own = m_folder / candidate.substr(0, candidate.size() - 4) / candidate;
            if (std::filesystem::exists(own, error))
                return own;
        }
    }
    for (const std::string& candidate : names) {
        const std::filesystem::path match = caseInsensitiveMatch(m_folder, candidate);
        if (!match.empty())
            return match;
    }
    return std::filesystem::path(stored);
}

// Song files below the set folder that the set does not list join at the
// top where they lie, so nothing the set file does not name is moved.
void SetDocument::addStraySongs()
{
    std::vector<std::filesystem::path> found;
    ScanFolder(m_folder, found);
    std::unordered_set<std::string> listed;
    for (const CSongDoc* song : songs())
        listed.insert(song->pathName.lexically_normal().string());
    std::erase_if(found, [&](const std::filesystem::path& path) {
        return listed.contains(path.lexically_normal().string());
    });
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        AddSong(*it, TreePlace::first(), 1, false);
        SetModifiedFlag(true);
    }
}

} // namespace rz
