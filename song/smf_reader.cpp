// Opening a song file: the AutoRecover offer, the Standard MIDI File and the
// steps that bring the song into use. GUI thread.
#include "song/smf_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <system_error>
#include <tuple>

#include "core/ascii_case.h"
#include "core/file_names.h"
#include "core/input_file.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "song/auto_recover.h"
#include "song/build_maps.h"
#include "song/clipboard_edit.h"
#include "song/fs.h"
#include "song/play_images.h"
#include "song/prefault.h"
#include "song/rsd_import.h"
#include "song/smf_header.h"
#include "song/smf_song_tracks.h"
#include "song/song_doc.h"

namespace rz {
namespace {

// A format 1 file may add its conductor and a "@DO4_META" chunk to the user
// tracks; more chunks than this can never open.
constexpr size_t kMaxTrackChunks = kMaxUserTracks + 2;

bool failOpen(CSongDoc& song, std::string& reason, std::string why)
{
    reason = std::move(why);
    // Not content yet: emptying the song must not delete its AutoRecover copy.
    song.contentFlag = false;
    song.DeleteContents();
    song.modified = false;
    return false;
}

// A file's bytes, read in one go into memory that is not cleared first: the
// read writes every byte.
struct FileBytes {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;

    std::span<const uint8_t> span() const { return {data.get(), size}; }
};

bool readFileBytes(const std::filesystem::path& path, FileBytes& bytes, std::string& reason)
{
    auto file = InputFile::open(path, kMaxSongFileBytes, reason);
    bool read = file.has_value();
    if (read) {
        bytes.size = size_t(file->size());
        bytes.data = std::make_unique_for_overwrite<uint8_t[]>(bytes.size);
        read = file->readAt(0, bytes.data.get(), bytes.size, reason);
    }
    if (!read) {
        constexpr std::string_view kOpenFailed = "cannot open: "; // said once is enough
        if (reason.starts_with(kOpenFailed))
            reason.erase(0, kOpenFailed.size());
        reason = "cannot read " + path.string() + ": " + reason;
        return false;
    }
    return true;
}

void loadTrackChunks(CSongDoc& song, const SmfLayout& layout)
{
    song.tracks.clear();
    for (const auto chunk : layout.trackChunks) {
        auto track = std::make_unique<CTrack>();
        // Room for what the encoder adds when it rewrites the image in place
        // (name, settings, marker), so the memory the file used is reused.
        track->playImage.reserve(chunk.size() + chunk.size() / 8 + 256);
        prefaultForWrite(track->playImage.data(), track->playImage.capacity());
        track->playImage.assign(chunk.begin(), chunk.end());
        song.tracks.push_back(std::move(track));
    }
    if (layout.missingEndBytes > 0) {
        const std::span<const uint8_t> end(kEndOfTrackBytes);
        std::vector<uint8_t>& image = song.tracks.back()->playImage;
        image.insert(image.end(), end.end() - std::ptrdiff_t(layout.missingEndBytes), end.end());
    }
    for (auto& track : song.tracks)
        track->RewindReader();
    if (song.tracks.empty())
        song.tracks.push_back(std::make_unique<CTrack>());
}

bool shapeTracks(CSongDoc& song, size_t chunkCount, std::vector<SkippedMessages>& skippedMessages,
                 std::string& reason)
{
    if (song.format == 0 && chunkCount == 1) {
        if (!convertFormat0(song, reason))
            return false;
    } else {
        // A "format 0" file with several chunks is read as the format 1 file it is.
        song.format = 1;
        if (!readFormat1Tracks(song, skippedMessages, reason))
            return false;
    }
    moveConductorLeftovers(song);
    if (readSetting(song.context().profile, settings::kOpenSplitPatches) != 0)
        splitByPatches(song);
    return checkTrackLimits(song, reason);
}

// The end the song will have: its tracks' last ticks, cues and tempo changes.
int32_t songEnd(const CSongDoc& song)
{
    int32_t end = song.tempoMap.empty() ? 0 : song.tempoMap.back().tick;
    for (const auto& track : song.tracks)
        end = std::max(end, track->endTick);
    for (const auto& cue : song.cues)
        end = std::max({end, cue->time, cue->secondTime});
    return end;
}

bool finishMaps(CSongDoc& song, std::string& reason)
{
    const std::string tooLong = "the song needs more than " + std::to_string(kMaxSongMeasures) + " measures";
    // Checked before the images are built: a far-away event would make them huge.
    if (!measureMapCanReach(song, songEnd(song))) {
        reason = tooLong;
        return false;
    }
    song.tracks.push_back(std::make_unique<CTrack>());
    RebuildPlayImages(song, false);
    if (!measureMapCanReach(song, songEnd(song))) {
        reason = tooLong;
        return false;
    }
    song.ExtendMeasureMap();
    song.RecomputeMeasureStarts();
    return true;
}

// Cues at one time stand as a read of the saved song would place them:
// markers, which it reads from the conductor first, before the other cues.
// A rescale, or cues read from stored records, may have placed them otherwise.
void keepCueOrderOfARead(CueList& cues)
{
    std::stable_sort(cues.begin(), cues.end(), [](const auto& a, const auto& b) {
        const auto key = [](const CCue& cue) {
            const int32_t earlier = std::min(cue.time, cue.secondTime);
            return std::tuple(cue.GetTime(), earlier, cue.kind == kCueMarker ? 0 : 1);
        };
        return key(*a) < key(*b);
    });
}

void adjustTimeBase(CSongDoc& song)
{
    if (song.timeBase % 3 == 0)
        return;
    char text[160];
    std::snprintf(text, sizeof text,
                  "The MIDI time base (PPQN) will be adjusted to a supported value (from %d to %d).",
                  int(song.timeBase), int(kSupportedTimeBase));
    RescalePpq(song, kSupportedTimeBase);
    song.context().prompt.message(text, PromptIcon::Information);
}

// Once per file and kind: the messages that were skipped, by track chunk
// counted from 1 in file order.
void reportSkipped(CSongDoc& song, const std::vector<SkippedMessages>& skippedByChunk,
                   uint32_t SkippedMessages::*count, std::string_view what)
{
    uint64_t total = 0;
    std::string where;
    for (size_t i = 0; i < skippedByChunk.size(); ++i) {
        const uint32_t n = skippedByChunk[i].*count;
        if (n == 0)
            continue;
        total += n;
        where += (where.empty() ? "" : ", ") + std::to_string(n) + " in track " + std::to_string(i + 1);
    }
    if (total == 0)
        return;
    song.context().prompt.message("Skipped " + std::to_string(total) + " " + std::string(what) + ": "
                                      + where + ".",
                                  PromptIcon::Warning);
}

void reportMoved(CSongDoc& song, const std::vector<SkippedMessages>& movedByChunk)
{
    uint64_t total = 0;
    for (const SkippedMessages& chunk : movedByChunk)
        total += chunk.moved;
    if (total == 0)
        return;
    song.context().prompt.message("Moved " + std::to_string(total) + " events that lie past tick "
                                      + std::to_string(kLastEditTick) + ", the end a song can have, to it.",
                                  PromptIcon::Warning);
}

// The chunks that end in bytes that are no whole event, counted from 1 in
// file order; every whole event before those bytes was read.
void reportCutChunks(CSongDoc& song, const std::vector<SkippedMessages>& byChunk)
{
    std::string where;
    size_t count = 0;
    for (size_t i = 0; i < byChunk.size(); ++i) {
        if (byChunk[i].cutShort == 0)
            continue;
        where += (where.empty() ? "" : ", ") + std::to_string(i + 1);
        ++count;
    }
    if (count == 0)
        return;
    song.context().prompt.message(count == 1 ? "Track " + where
                                                   + " is cut short: the bytes after its last whole event "
                                                     "are no event and were left out."
                                             : "Tracks " + where
                                                   + " are cut short: the bytes after their last whole "
                                                     "events are no events and were left out.",
                                  PromptIcon::Warning);
}

void reportSkippedMessages(CSongDoc& song, const std::vector<SkippedMessages>& skippedByChunk)
{
    reportCutChunks(song, skippedByChunk);
    reportSkipped(song, skippedByChunk, &SkippedMessages::system,
                  "system common or real-time messages, which a song does not hold");
    reportSkipped(song, skippedByChunk, &SkippedMessages::malformed,
                  "channel messages with a status byte where a data byte belongs");
    reportMoved(song, skippedByChunk);
}

void reportCutShort(CSongDoc& song, const SmfLayout& layout)
{
    if (layout.missingEndBytes == 0)
        return;
    song.context().prompt.message("The file is cut short inside the End of Track of track "
                                      + std::to_string(layout.trackChunks.size())
                                      + "; all of its events were read.",
                                  PromptIcon::Warning);
}

} // namespace

SongFileKind songFileKind(const std::filesystem::path& path)
{
    std::string name = path.filename().string();
    const std::string last = AsciiLower(name.size() >= 3 ? name.substr(name.size() - 3) : name);
    return SongFileKind{.karaoke = last == "kar", .rss = last == "rss", .rsd = last == "rsd"};
}

bool OpenSongBytes(CSongDoc& song, std::span<const uint8_t> bytes, SongFileKind kind,
                   std::string& reason)
{
    song.contentFlag = false;
    song.DeleteContents();
    if (kind.rsd) {
        std::string why;
        return ImportRsd(song, bytes, why) || failOpen(song, reason, why);
    }
    SmfLayout layout;
    SongTiming timing;
    std::string why;
    if (!parseSmfLayout(bytes, layout, why) || !timingFromDivision(layout.division, timing, why))
        return failOpen(song, reason, why);
    if (layout.trackChunks.size() > kMaxTrackChunks)
        return failOpen(song, reason, "more than " + std::to_string(kMaxUserTracks) + " tracks");
    song.contentFlag = true;
    song.karaoke = kind.karaoke;
    song.format = layout.format;
    song.timeBase = timing.timeBase;
    loadTrackChunks(song, layout);
    const BuildMapsOptions options{.rss = kind.rss, .fixedTempo = timing.fixedTempo};
    if (!BuildMaps(song, options, why))
        return failOpen(song, reason, why);
    std::vector<SkippedMessages> skippedMessages{song.tracks[0]->skipped};
    song.SetGridFamily();
    if (!shapeTracks(song, layout.trackChunks.size(), skippedMessages, why) || !finishMaps(song, why))
        return failOpen(song, reason, why);
    adjustTimeBase(song);
    keepCueOrderOfARead(song.cues);
    reportCutShort(song, layout);
    reportSkippedMessages(song, skippedMessages);
    return true;
}

namespace {

std::string songTitle(const std::filesystem::path& path)
{
    std::string title = path.filename().string();
    StripKnownExtension(title);
    return title;
}

} // namespace

AutoRecoverAnswer AskAutoRecover(IPrompt& prompt, const std::filesystem::path& path)
{
    if (!hasAutoRecoverCopy(path))
        return AutoRecoverAnswer::NoCopy;
    const std::string question = "AutoRecover files were found for " + songTitle(path)
                                 + "--do you want to open them instead?";
    return prompt.askOkCancel(question, PromptIcon::Question) == PromptAnswer::Ok
               ? AutoRecoverAnswer::OpenCopy
               : AutoRecoverAnswer::DropCopy;
}

bool OpenSong(CSongDoc& song, const std::filesystem::path& path, std::string& reason)
{
    return OpenSong(song, path, reason, AskAutoRecover(song.context().prompt, path));
}

bool OpenSong(CSongDoc& song, const std::filesystem::path& path, std::string& reason,
              AutoRecoverAnswer recover)
{
    song.pathName = path;
    song.songFolder = path.parent_path();
    song.title = songTitle(path);
    const SongFileKind kind = songFileKind(path);
    RemoveScratchLeftovers(path);
    FileBytes bytes;
    if (recover == AutoRecoverAnswer::OpenCopy && hasAutoRecoverCopy(path)) {
        // The copy replaces the song only once it has opened.
        const std::filesystem::path copy = AutoRecoverPath(path);
        std::string ignored;
        if (readFileBytes(copy, bytes, ignored) && OpenSongBytes(song, bytes.span(), kind, ignored)) {
            std::error_code error;
            std::filesystem::rename(copy, path, error);
            return true;
        }
    } else if (recover == AutoRecoverAnswer::DropCopy) {
        deleteAutoRecoverCopy(path);
    }
    if (!readFileBytes(path, bytes, reason)) {
        song.contentFlag = false;
        song.DeleteContents();
        return false;
    }
    return OpenSongBytes(song, bytes.span(), kind, reason);
}

} // namespace rz
