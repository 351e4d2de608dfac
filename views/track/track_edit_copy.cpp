#include "views/track/track_edit_copy.h"

#include "core/midi_bytes.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "song/clipboard.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "views/track/track_cell_text.h"
#include "views/track/track_columns.h"
#include "views/patch_names.h"

#include <algorithm>
#include <climits>

namespace rz {
namespace {

class WaitCursor {
public:
    explicit WaitCursor(ISongViews& host) : m_host(host) { m_host.setWaitCursor(true); }
    ~WaitCursor() { m_host.setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    ISongViews& m_host;
};

bool fits(int64_t ticks)
{
    return ticks >= INT32_MIN && ticks <= INT32_MAX;
}

int initialControllerOf(const CTrack& track, uint8_t controller)
{
    const auto& numbers = kInitialControllerNumbers;
    const size_t slot = size_t(std::find(numbers.begin(), numbers.end(), controller) - numbers.begin());
    return slot < track.initialControllers.size() ? track.initialControllers[slot] : -1;
}

} // namespace

TrackCopy copyTracks(CSongDoc& song, const std::vector<int>& selected)
{
    ISongFilesHost& host = song.context().host;
    WaitCursor wait(song.context().host);
    ClearClipboard(host.clipboard(), host.workFolder());
    std::vector<int> rows = selected;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    AppClipboard board;
    ClipFileCopies files(song);
    const int timeBase = song.timeBase;
    for (int row : rows) {
        if (row < 1 || size_t(row) + 1 >= song.tracks.size())
            continue;
        const CTrack& source = *song.tracks[size_t(row)];
        std::unique_ptr<CTrack> copy = copyTrackSettings(source);
        copy->events.reserve(source.events.size());
        for (const CMidiEvent& original : source.events) {
            CMidiEvent event = original;
            event.selectionStamp = 0;
            event.pendingChange = 0;
            const int64_t tick = toClipboardTicks(original.tick, timeBase);
            const int64_t length = event.isNote() ? toClipboardTicks(original.value2, timeBase) : 0;
            if (!fits(tick) || !fits(length)) {
                song.context().prompt.message(kTracksTooLong, PromptIcon::Stop);
                return TrackCopy::TooLong;
            }
            event.tick = int32_t(tick);
            if (event.isNote())
                event.value2 = int32_t(length);
            if (!files.duplicate(event))
                return TrackCopy::FileFailed;
            copy->events.push_back(std::move(event));
        }
        board.tracks.push_back(std::move(copy));
    }
    if (board.tracks.empty())
        return TrackCopy::Nothing;
    board.kind = kClipboardTracks;
    host.clipboard() = std::move(board);
    files.keep();
    return TrackCopy::Copied;
}

std::string cellCopyText(const CTrack& t, int column)
{
    int value = 0;
    switch (column) {
    case kColumnTrack: return t.name;
    case kColumnIn: value = t.playEnabled; break;
    case kColumnPatch: value = t.patch + patchBase(t); break;
    case kColumnBank: value = bankMsbOnly(t) ? t.bank / 128 : t.bank; break;
    case kColumnPort: value = t.port; break;
    case kColumnChannel: value = t.channel + 1; break;
    case kColumnKey: value = t.key; break;
    case kColumnVelocity: value = t.velocityOffset; break;
    case kColumnTime: value = t.timeOffset; break;
    case kColumnVolume: value = initialControllerOf(t, cc::kVolume); break;
    case kColumnPan: value = initialControllerOf(t, cc::kPan) - 64; break;
    case kColumnReverb: value = initialControllerOf(t, cc::kReverbSend); break;
    case kColumnChorus: value = initialControllerOf(t, cc::kChorusSend); break;
    case kColumnMix: value = t.volume; break;
    default: return std::string();
    }
    return std::to_string(value);
}

} // namespace rz
