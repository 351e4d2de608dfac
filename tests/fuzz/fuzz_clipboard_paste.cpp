// Fuzz target of Edit > Paste: a song read from the bytes is copied to the
// application clipboard (a time range in each copy mode, selected events,
// cues or controller points, or whole tracks), so the clipboard holds the
// texts, system-exclusive bytes, tempos and meters of the fuzzed file; the
// clipboard is then pasted into the song at a fuzzed position with fuzzed
// dialog answers and track rows. A paste that applied must undo to the song
// before it and redo to the song after it.
// The last bytes of the input steer the copy and the paste; the reader
// mostly skips them (the end of the last track). Without libFuzzer, main()
// replays the song fixtures and runs a seeded mutation sweep.
#include "plain_driver.h"
#include "silent_prompt.h"

#include "core/profile.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/selection.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/fake_track_rows.h"
#include "tests/support/scripted_edit_dialogs.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

namespace rz {
namespace {

// What the last bytes choose; a short input takes zeros.
struct Steering {
    std::array<uint8_t, 12> b{};
    explicit Steering(std::span<const uint8_t> bytes)
    {
        for (size_t i = 0; i < b.size() && i < bytes.size(); ++i)
            b[i] = bytes[bytes.size() - 1 - i];
    }
    // A tick of the song as a share of its end; past the end up to twice it.
    int32_t tickAt(uint8_t share, int32_t end) const { return int32_t(int64_t(end) * share / 128); }
};

[[noreturn]] void fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "fuzz_clipboard_paste: %s: %s\n", what, detail.c_str());
    std::abort();
}

// Copy files are file I/O, not what this target reads: a clip names any
// file on the machine. The images are then encoded as every edit encodes
// them, not kept as the file had them, so an undo can give the same.
void dropClipsAndReencode(CSongDoc& song)
{
    for (auto& track : song.tracks)
        std::erase_if(track->events, [](const CMidiEvent& e) { return e.clip() != nullptr; });
    RebuildPlayImages(song, false);
}

// Every `step`th event of the user tracks and every cue, with the stamp.
void selectItems(CSongDoc& song, uint32_t kind, size_t step)
{
    ++song.selectionStamp;
    song.selectionKind = kind;
    size_t n = 0;
    for (size_t t = 1; t + 1 < song.tracks.size(); ++t)
        for (CMidiEvent& e : song.tracks[t]->events)
            if (n++ % step == 0)
                e.selectionStamp = song.selectionStamp;
    if (kind & kSelectCues)
        for (auto& cue : song.cues)
            cue->selectionStamp = song.selectionStamp;
}

void copy(CSongDoc& song, AppClipboard& board, const Steering& s)
{
    const int32_t end = std::max<int32_t>(song.endTick, 1);
    const int32_t from = s.tickAt(s.b[1], end);
    const int32_t to = from + 1 + s.tickAt(s.b[2], end);
    song.selectionKind = kSelectTimeRange;
    song.selectionFrom = from;
    song.selectionTo = to;
    ++song.selectionStamp;
    const int32_t offset = int32_t(int8_t(s.b[3])) * song.timeBase / 4;
    switch (s.b[0] % 8) {
    case 0:
    case 1:
    case 2:
    case 3: // a time range in each copy mode
        song.CopySelection(offset, s.b[0] % 4);
        break;
    case 4: // whole tracks, as the track list copies them
        song.selectionFrom = 0;
        song.selectionTo = end;
        song.CopySelection(0, 0);
        board.kind = board.tracks.empty() ? 0 : kClipboardTracks;
        break;
    case 5:
        selectItems(song, kSelectEvents | kSelectCues, 1 + s.b[3] % 4);
        song.OnEditCopy();
        break;
    case 6:
        selectItems(song, kSelectCues, 1);
        song.OnEditCopy();
        break;
    default:
        selectItems(song, kSelectEvents | kSelectControllerPoints, 1 + s.b[3] % 4);
        song.OnEditCopy();
        break;
    }
}

void answerDialogs(ScriptedEditDialogs& dialogs, const CSongDoc& song, const Steering& s)
{
    const int32_t end = std::max<int32_t>(song.endTick, 1);
    PasteTimeParams time;
    time.firstCopy = s.tickAt(s.b[4], end);
    time.copies = s.b[6] % 5;
    time.method = PasteMethod(s.b[5] % 3);
    time.offset = int32_t(int8_t(s.b[7])) * song.timeBase / 8;
    time.stretch = (s.b[5] & 0x04) != 0;
    time.stretchThreshold = s.b[7] * song.timeBase / 64;
    time.cues = (s.b[5] & 0x08) == 0;
    time.tempos = (s.b[5] & 0x10) == 0;
    time.events = (s.b[5] & 0x20) == 0;
    time.selectedTracksOnly = (s.b[5] & 0x40) != 0;
    time.measures = (s.b[5] & 0x80) == 0;
    time.preserveNumbers = (s.b[6] & 0x80) != 0;
    dialogs.pasteTimeAnswer = time;
    PasteEventsParams events;
    events.firstCopy = time.firstCopy;
    events.secondCopy = time.firstCopy + s.tickAt(s.b[10], end);
    events.copies = s.b[6] % 5;
    events.target = PasteTarget(s.b[8] % 3);
    events.onlyNotes = (s.b[8] & 0x80) != 0;
    dialogs.pasteEventsAnswer = events;
}

// Rows 1..7 from a bit mask; the high bit puts the list in current-row mode.
void selectRows(FakeTrackRows& rows, uint8_t mask)
{
    for (int row = 1; row < 8; ++row)
        if (mask & (1 << (row - 1)))
            rows.selected.insert(row);
    rows.currentOnly = (mask & 0x80) != 0;
    rows.current = mask % 9;
}

void copyAndPaste(std::span<const uint8_t> bytes)
{
    MemoryProfile profile;
    fuzz::SilentPrompt prompt;
    FakeSongHost host;
    host.autoPropsFlag = bytes.size() % 2 == 0;
    FakeEngineLink engine;
    ScriptedEditDialogs dialogs;
    FakeTrackRows rows;
    const Steering steering(bytes);
    selectRows(rows, steering.b[9]);
    CSongDoc song(SongContext{.profile = profile,
                              .prompt = prompt,
                              .host = host,
                              .engine = engine,
                              .trackRows = &rows,
                              .editDialogs = &dialogs});
    host.current = &song;
    std::string reason;
    if (!OpenSongBytes(song, bytes, SongFileKind{}, reason))
        return;
    dropClipsAndReencode(song);
    copy(song, host.clipboardContent, steering);
    if (host.clipboardContent.kind == 0)
        return;
    answerDialogs(dialogs, song, steering);
    song.setPosition(steering.tickAt(steering.b[4], std::max<int32_t>(song.endTick, 1)));
    const std::string before = DescribeSong(song);
    const size_t records = song.undoList.size();
    song.OnEditPaste();
    if (song.undoList.size() == records)
        return;
    const std::string pasted = DescribeSong(song);
    if (!song.Undo())
        fail("the paste does not undo", "");
    if (const std::string d = firstDifference(before, DescribeSong(song)); !d.empty())
        fail("undoing the paste leaves another song", d);
    if (!song.Redo())
        fail("the paste does not redo", "");
    if (const std::string d = firstDifference(pasted, DescribeSong(song)); !d.empty())
        fail("redoing the paste makes another song", d);
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    rz::copyAndPaste(std::span<const uint8_t>(data, size));
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {0x00, 0x01, 0x2F, 0x7F, 0x80, 0x81, 0xF0, 0xF7, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_clipboard_paste", ".mid", kBoundary, 20261212}, argc, argv);
}
#endif
