#include "views/track/track_edit.h"

#include "core/engine_link.h"
#include "core/locks.h"
#include "core/midi_bytes.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song/undo_record.h"
#include "views/track/track_cell_text.h"
#include "views/track/track_columns.h"
#include "views/patch_names.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rz {
namespace {

constexpr size_t kMaxCellText = 99;
constexpr int kMaxBank = 16383;
constexpr int kMaxPatch = 127;

struct Range {
    int low;
    int high;
};

// The numbers each column takes; the name takes any text.
constexpr Range kRanges[kTrackColumnCount] = {
    {INT_MIN, INT_MAX}, {0, 1},       {-1, 128},    {-1, kMaxBank}, {0, 15},
    {1, 16},            {-127, 127},  {-127, 127},  {-4096, 4096},  {-1, 127},
    {-65, 63},          {-1, 127},    {-1, 127},    {-1, 127},      {0, 200},
};

size_t controllerSlot(uint8_t controller)
{
    const auto& numbers = kInitialControllerNumbers;
    return size_t(std::find(numbers.begin(), numbers.end(), controller) - numbers.begin());
}

bool transportStopped(const CSongDoc& song)
{
    return song.context().engine.transportState() == TransportState::Stopped;
}

bool columnOfKind(int type, int column)
{
    switch (type) {
    case kMetaTrack: return column == kColumnTrack;
    case kWaveTrack:
        return column == kColumnTrack || column == kColumnIn || column == kColumnPort
               || column == kColumnTime || column == kColumnVolume || column == kColumnPan;
    default: return column != kColumnSize;
    }
}

// The bank a number (and an LSB after "/") stands for; nothing when refused.
std::optional<int> bankOf(const CTrack& track, int number, std::string_view text)
{
    if (number < 0)
        return -1;
    if (bankMsbOnly(track))
        return number > 127 ? std::nullopt : std::optional<int>(number * 128);
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return number;
    const long bank = long(number) * 128 + leadingNumber(text.substr(slash + 1));
    // A negative LSB would store a bank no synthesizer has.
    if (bank < 0 || bank > kMaxBank)
        return std::nullopt;
    return int(bank);
}

// Sets the column's field of `props`; false when the value is refused.
bool setField(CTrackProps& props, const CTrack& track, int column, int number, std::string_view text)
{
    switch (column) {
    case kColumnTrack: props.name = std::string(text); return !text.empty();
    case kColumnIn: props.playEnabled = number; return true;
    case kColumnPatch: {
        const int base = patchBase(track);
        const int patch = number < base ? -1 : number - base;
        props.patch = patch;
        return patch <= kMaxPatch; // 128 with patches from 0 is no patch
    }
    case kColumnBank: {
        const std::optional<int> bank = bankOf(track, number, text);
        props.bank = bank.value_or(CTrackProps::kUnchangedSetting);
        return bank.has_value();
    }
    case kColumnPort: props.port = number; return true;
    case kColumnChannel: props.channel = number - 1; return true;
    case kColumnKey: props.key = number; return true;
    case kColumnVelocity: props.velocityOffset = number; return true;
    case kColumnTime: props.timeOffset = number; return true;
    case kColumnVolume: props.initialControllers[controllerSlot(cc::kVolume)] = number; return true;
    case kColumnPan: props.initialControllers[controllerSlot(cc::kPan)] = number + 64; return true;
    case kColumnReverb:
        props.initialControllers[controllerSlot(cc::kReverbSend)] = number;
        return true;
    case kColumnChorus:
        props.initialControllers[controllerSlot(cc::kChorusSend)] = number;
        return true;
    case kColumnMix: props.volume = number; return true;
    default: return false;
    }
}

CellEdit applied(ApplyResult result)
{
    return result == ApplyResult::Applied ? CellEdit::Applied : CellEdit::Refused;
}

CellEdit insertNewTrack(CSongDoc& song, int row, std::string_view name)
{
    if (name.empty())
        return CellEdit::Ignored;
    auto track = std::make_unique<CTrack>();
    track->name = std::string(name);
    track->bank = 0;
    track->patch = 0;
    track->initialControllers[controllerSlot(cc::kVolume)] = 100;
    track->initialControllers[controllerSlot(cc::kPan)] = 64;
    auto list = std::make_unique<CTrackList>(true);
    list->add(std::move(track));
    list->targetRows.push_back(uint32_t(row));
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Insert Track";
    record->tracks = std::move(list);
    return applied(song.ApplyEdit(std::move(record)));
}

// The engine's tick reads play flags and volumes: they change under the SongMutex.
CellEdit changeLive(CSongDoc& song, CTrack& track, int column, int number)
{
    IEngineLink& engine = song.context().engine;
    {
        LockGuard guard(SongMutex(), "live track change", song.context().lockWait);
        if (!guard)
            return CellEdit::Ignored;
        track.UpdateAudioGains(engine.masterVolume());
        if (column == kColumnIn) {
            track.playEnabled = number;
            if (!song.soloActive)
                track.savedPlayEnabled = number;
        } else {
            track.SetVolume(number, VolumeScale{song.relativeVolume, engine.masterVolume()});
        }
    }
    song.RestartPlayback();
    return CellEdit::Live;
}

} // namespace

std::string_view cellInput(std::string_view text)
{
    text = text.substr(0, std::min(text.size(), kMaxCellText));
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

bool CanEditCell(const CSongDoc* song, int row, int column, bool cellMode, bool performanceMode)
{
    if (song == nullptr || !cellMode || row < 1 || column < 0 || column >= kTrackColumnCount)
        return false;
    const int count = int(song->tracks.size());
    if (row >= count || column == kColumnSize)
        return false;
    if (!transportStopped(*song) || performanceMode)
        return column == kColumnIn && row < count - 1 && song->tracks[size_t(row)]->type != kMetaTrack;
    if (row == count - 1)
        return column == kColumnTrack;
    return columnOfKind(song->tracks[size_t(row)]->type, column);
}

CellEdit InsertTrack(CSongDoc& song, int row, int column, std::string_view typed, bool performanceMode)
{
    const int count = int(song.tracks.size());
    if (row < 1 || row >= count || column < 0 || column >= kTrackColumnCount)
        return CellEdit::Ignored;
    const std::string_view text = cellInput(typed);
    if (row == count - 1)
        return insertNewTrack(song, row, text);
    const int number = leadingNumber(text);
    const Range range = kRanges[column];
    if (column != kColumnTrack && (number < range.low || number > range.high))
        return CellEdit::Ignored;
    CTrack& track = *song.tracks[size_t(row)];
    const bool live = song.soloActive || !transportStopped(song) || performanceMode;
    if (live && (column == kColumnIn || column == kColumnMix))
        return changeLive(song, track, column, number);
    CTrackProps props(row);
    if (!setField(props, track, column, number, text) || !props.hasChanges())
        return CellEdit::Ignored;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackProps;
    record->label = "Change Track Property";
    record->payload = std::vector<CTrackProps>{std::move(props)};
    return applied(song.ApplyEdit(std::move(record)));
}

} // namespace rz
