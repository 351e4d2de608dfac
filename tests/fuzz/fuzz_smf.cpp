// Fuzz target of the song file reader and writer: opens the bytes as a song
// with "AutoProps" on and off, and as an ".rsd" document, plays every track
// through the play cursor, saves the song and opens the saved bytes again,
// which must hold the same events and save to the same bytes.
// Without libFuzzer, main() replays the fixture folder given as its argument
// and runs a seeded mutation sweep; a watchdog fails any case over 2 s.
#include "plain_driver.h"
#include "silent_prompt.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "core/midi_bytes.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "song/describe_song.h"
#include "song/smf_reader.h"
#include "song/smf_writer.h"
#include "song/song_doc.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"

namespace rz {
namespace {

using fuzz::SilentPrompt;

void playEveryTrack(CSongDoc& song)
{
    RawEvent raw;
    for (auto& track : song.tracks) {
        track->RewindReader();
        while (track->ReadNextEvent(raw)) {
        }
    }
}

[[noreturn]] void fail(const char* what, const std::string& reason)
{
    std::fprintf(stderr, "fuzz_smf: %s: %s\n", what, reason.c_str());
    std::abort();
}

// A note's channel and key: the reader ends the first sounding note that
// matches them, a stored note-off of velocity 0 included.
uint32_t pairingKey(uint32_t message) { return message & 0xFF0F; }

bool holdsOverlappingNotes(const CTrack& track)
{
    std::map<uint32_t, int64_t> ends;
    for (const CMidiEvent& event : track.events) {
        if (!midi::isNote(event.message))
            continue;
        int64_t& end = ends.try_emplace(pairingKey(event.message), INT64_MIN).first->second;
        if (event.tick < end)
            return true;
        end = int64_t(event.tick) + event.value2;
    }
    return false;
}

// The note-offs of each channel and key, sorted: which of two overlapping
// notes of one key a note-off ends is the reader's choice, where they end is
// the file's.
std::string describeNoteEnds(const CTrack& track)
{
    std::map<uint32_t, std::vector<int64_t>> ends;
    for (const CMidiEvent& event : track.events) {
        if (midi::isNote(event.message))
            ends[pairingKey(event.message)].push_back(int64_t(event.tick) + event.value2);
    }
    std::string text;
    for (auto& [key, list] : ends) {
        std::sort(list.begin(), list.end());
        text += "  note-offs " + std::to_string(key) + ":";
        for (int64_t end : list)
            text += " " + std::to_string(end);
        text += '\n';
    }
    return text;
}

// The tracks whose notes of one key overlap in either song: their note-offs
// are compared as sorted lists.
std::vector<bool> tracksToListEnds(const CSongDoc& a, const CSongDoc& b)
{
    std::vector<bool> list(std::max(a.tracks.size(), b.tracks.size()), false);
    for (const CSongDoc* song : {&a, &b}) {
        for (size_t t = 0; t < song->tracks.size(); ++t)
            list[t] = list[t] || holdsOverlappingNotes(*song->tracks[t]);
    }
    return list;
}

// Every event of every track, one a line: tick, message, second value, the
// notation attributes and the data. A block the writer splits or merges, a
// note whose note-off pairs with another, an event that moves or is lost
// all show here.
std::string describeEvents(const CSongDoc& song, const std::vector<bool>& listEnds)
{
    std::string text;
    char line[80];
    for (size_t t = 0; t < song.tracks.size(); ++t) {
        text += "track " + std::to_string(t) + "\n";
        const CTrack& track = *song.tracks[t];
        // A meta track's file events come back from two chunks, its own
        // first at each tick: their order within a tick is not kept.
        const bool tickSorted = track.type == kMetaTrack;
        std::vector<std::string> atTick;
        auto flushTick = [&] {
            if (tickSorted)
                std::sort(atTick.begin(), atTick.end());
            for (const std::string& entry : atTick)
                text += entry;
            atTick.clear();
        };
        int32_t tick = INT32_MIN;
        for (const CMidiEvent& event : track.events) {
            if (event.tick != tick)
                flushTick();
            tick = event.tick;
            const bool endListed = listEnds[t] && midi::isNote(event.message);
            std::snprintf(line, sizeof line, "  %d %08x %d %d %d", event.tick, event.message,
                          endListed ? -1 : event.value2, int(event.notation), int(event.spelling));
            std::string& entry = atTick.emplace_back(line);
            if (const CAudioClip* clip = event.clip()) {
                // Both separators are read: a "/" written as a backslash
                // names the same file.
                std::string name = clip->fileName;
                std::replace(name.begin(), name.end(), '\\', '/');
                entry += " clip " + std::to_string(clip->number) + " " + name;
            } else {
                for (uint8_t byte : event.data.bytes()) {
                    std::snprintf(line, sizeof line, " %02x", byte);
                    entry += line;
                }
            }
            entry += '\n';
        }
        flushTick();
        if (listEnds[t])
            text += describeNoteEnds(track);
    }
    return text;
}

std::vector<uint8_t> save(const CSongDoc& song)
{
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!BuildSongFile(song, bytes, reason))
        fail("a song that opened cannot be saved", reason);
    return bytes;
}

std::unique_ptr<CSongDoc> reopen(const std::vector<uint8_t>& bytes, const SongContext& context,
                                 SongFileKind kind)
{
    auto song = std::make_unique<CSongDoc>(context);
    std::string reason;
    if (!OpenSongBytes(*song, bytes, kind, reason))
        fail("the saved bytes do not open again", reason);
    return song;
}

// Where two byte strings first differ, and their lengths.
std::string firstByteDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    char text[96];
    std::snprintf(text, sizeof text, "offset %zu of %zu and %zu bytes", size_t(at.first - a.begin()), a.size(),
                  b.size());
    return text;
}

// Every song that opens can be saved, and what is saved opens again with the
// same events and saves again to the same bytes. Some changes on the first
// reopen are by design, so then the comparison starts from the reopened
// song: with "AutoProps" on, the reader makes managed controllers, bank and
// program before a track's first note its settings, which a track split by
// patches gains that way; with it off, the settings a split gave a track
// are written at its start and read back as events; and a format 0 file
// holds markers as texts, which a ".kar" file reads as lyrics.
void saveAndReopen(const CSongDoc& opened, const SongContext& context, SongFileKind kind, bool autoProps,
                   bool splitPatches)
{
    const bool changesOnce = autoProps || splitPatches || (opened.format == 0 && kind.karaoke);
    std::unique_ptr<CSongDoc> reopened;
    if (changesOnce)
        reopened = reopen(save(opened), context, kind);
    const CSongDoc& song = changesOnce ? *reopened : opened;
    const std::vector<uint8_t> saved = save(song);
    const std::unique_ptr<CSongDoc> again = reopen(saved, context, kind);
    const std::vector<bool> listEnds = tracksToListEnds(song, *again);
    const std::string difference = firstDifference(describeEvents(song, listEnds), describeEvents(*again, listEnds));
    if (!difference.empty())
        fail("the saved bytes open with other events", difference);
    const std::vector<uint8_t> savedAgain = save(*again);
    if (savedAgain != saved)
        fail("the reopened song saves to other bytes", firstByteDifference(saved, savedAgain));
}

void openOnce(std::span<const uint8_t> bytes, bool autoProps, SongFileKind kind)
{
    MemoryProfile profile;
    const bool splitPatches = !bytes.empty() && (bytes.back() & 1) != 0;
    profile.writeInt("OpenOptions", "SplitPatches", splitPatches ? 1 : 0);
    SilentPrompt prompt;
    FakeSongHost host;
    host.autoPropsFlag = autoProps;
    FakeEngineLink engine;
    const SongContext context{.profile = profile, .prompt = prompt, .host = host, .engine = engine};
    CSongDoc song(context);
    std::string reason;
    if (OpenSongBytes(song, bytes, kind, reason)) {
        playEveryTrack(song);
        // Splitting by patches is a step of importing a file: the saved song
        // is split already, and would split its tracks' own programs again.
        profile.writeInt("OpenOptions", "SplitPatches", 0);
        saveAndReopen(song, context, SongFileKind{.karaoke = kind.karaoke, .rss = kind.rss}, autoProps,
                      splitPatches);
    }
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    const rz::SongFileKind kind{.karaoke = size % 3 == 1, .rss = size % 3 == 2};
    rz::openOnce(bytes, true, kind);
    rz::openOnce(bytes, false, kind);
    // Any bytes are ".rsd" records, so every import builds a whole song: one
    // input in eight keeps the sweep short.
    if (size % 8 == 0)
        rz::openOnce(bytes, size % 16 == 0, rz::SongFileKind{.rsd = true});
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x2F, 0x7F, 0x80, 0x81, 0xF0, 0xF7, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_smf", ".mid", kBoundary, 20240611}, argc, argv);
}
#endif
