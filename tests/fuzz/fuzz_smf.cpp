// Fuzz target of the song file reader and writer: opens the bytes as a song
// with "AutoProps" on and off, and as an ".rsd" document, plays every track
// through the play cursor, saves the song and opens the saved bytes again,
// which must hold the same system-exclusive data.
// Without libFuzzer, main() replays the fixture folder given as its argument
// and runs a seeded mutation sweep; a watchdog fails any case over 2 s.
#include "plain_driver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <vector>

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

// Answers every question as a cancelling user would.
class SilentPrompt : public IPrompt {
public:
    void message(std::string_view, PromptIcon) override {} // nobody reads it
    PromptAnswer askYesNo(std::string_view, PromptIcon) override { return PromptAnswer::No; }
    PromptAnswer askOkCancel(std::string_view, PromptIcon) override { return PromptAnswer::Cancel; }
    PromptAnswer askYesNoCancel(std::string_view, PromptIcon) override { return PromptAnswer::Cancel; }
    std::optional<std::filesystem::path> chooseSavePath(std::string_view, const std::filesystem::path&,
                                                        std::string_view) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseOpenPath(std::string_view, const std::filesystem::path&,
                                                        std::string_view) override
    {
        return std::nullopt;
    }
    std::vector<std::filesystem::path> chooseOpenPaths(std::string_view, const std::filesystem::path&,
                                                       std::string_view) override
    {
        return {};
    }
    std::optional<std::filesystem::path> chooseFolder(std::string_view, const std::filesystem::path&) override
    {
        return std::nullopt;
    }
    std::optional<Color> chooseColor(Color) override { return std::nullopt; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return std::nullopt; }
};

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

// The system-exclusive blocks of the song in track order, one a line. The
// writer must keep each whole: a block it splits or merges loses the events
// after it when the saved file is read.
std::string describeSysex(const CSongDoc& song)
{
    std::string text;
    char hex[4];
    for (const auto& track : song.tracks) {
        for (const CMidiEvent& event : track->events) {
            if (event.kind() != 0xF0 && event.kind() != 0xF7)
                continue;
            for (uint8_t byte : event.data.bytes()) {
                std::snprintf(hex, sizeof hex, "%02x ", byte);
                text += hex;
            }
            text += '\n';
        }
    }
    return text;
}

// Every song that opens can be saved, and what is saved opens again with the
// same system-exclusive data.
void saveAndReopen(const CSongDoc& song, const SongContext& context)
{
    std::vector<uint8_t> saved;
    std::string reason;
    if (!BuildSongFile(song, saved, reason))
        fail("a song that opened cannot be saved", reason);
    CSongDoc again(context);
    if (!OpenSongBytes(again, saved, SongFileKind{}, reason))
        fail("the saved bytes do not open again", reason);
    const std::string difference = firstDifference(describeSysex(song), describeSysex(again));
    if (!difference.empty())
        fail("the saved bytes open with other system-exclusive data", difference);
}

void openOnce(std::span<const uint8_t> bytes, bool autoProps, SongFileKind kind)
{
    MemoryProfile profile;
    profile.writeInt("OpenOptions", "SplitPatches", bytes.empty() ? 0 : bytes.back() & 1);
    SilentPrompt prompt;
    FakeSongHost host;
    host.autoPropsFlag = autoProps;
    FakeEngineLink engine;
    const SongContext context{.profile = profile, .prompt = prompt, .host = host, .engine = engine};
    CSongDoc song(context);
    std::string reason;
    if (OpenSongBytes(song, bytes, kind, reason)) {
        playEveryTrack(song);
        saveAndReopen(song, context);
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
