#include "song/quick_transpose.h"

#include "core/midi_bytes.h"
#include "core/synth_lookup.h"
#include "song/song_doc.h"
#include "song/transpose_event.h"
#include "song/undo_record.h"

#include <algorithm>

namespace rz {
namespace {

// The major key signature of each tonic pitch class.
constexpr int kMajorSignature[12] = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
constexpr int kMinorOffset = 9; // a minor key's tonic lies a major sixth above its major's
constexpr int kKeyRowOffset = 7; // row 0 seven flats, 7 none, 14 seven sharps

int pitchClass(int value)
{
    return ((value % 12) + 12) % 12;
}

bool isDrumTrack(const CTrack& track, const ISynthLookup* synths)
{
    if (track.drums != 0)
        return (track.drums & (1 << (track.channel & 0xF))) != 0;
    return synths != nullptr && track.synth >= 0
           && synths->drumsetName(track.synth, track.bank, track.patch).has_value();
}

bool transposable(const CMidiEvent& event)
{
    const uint8_t kind = midi::statusOf(event.kind());
    return kind == midi::kNoteOn || kind == midi::kPolyPressure || event.message == kTextMessage;
}

bool sameEvent(const CMidiEvent& a, const CMidiEvent& b)
{
    if (a.message != b.message || a.spelling != b.spelling)
        return false;
    const auto x = a.data.bytes();
    const auto y = b.data.bytes();
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

MeasureMap transposedMeasures(const MeasureMap& map, int semitones)
{
    MeasureMap moved = map;
    for (MeasureRec& measure : moved)
        measure.key = int8_t(transposedKeySignature(measure.key, measure.mode, semitones));
    return moved;
}

int keyRowAt(const MeasureMap& map, int32_t tick)
{
    const int index = FindMeasure(map, tick);
    return index < 0 ? kKeyRowOffset : map[size_t(index)].key + kKeyRowOffset;
}

// Copies of the changed events of one track, replacing the originals in place.
void transposeTrack(const CSongDoc& song, size_t t, const MeasureMap& keys, int semitones,
                    IChordTable* chords, CEventList& list, bool& clipped)
{
    const CTrack& track = *song.tracks[t];
    CTrack scratch;
    uint32_t changedBefore = 0;
    for (size_t i = 0; i < track.events.size(); ++i) {
        const CMidiEvent& event = track.events[i];
        if (!transposable(event))
            continue;
        scratch.events.assign(1, event);
        TransposeEvent(scratch, 0, semitones, clipped, keyRowAt(keys, event.tick), chords);
        if (sameEvent(scratch.events[0], event))
            continue;
        const uint32_t key = uint32_t(t << 24);
        list.sourceKeys.push_back(key | uint32_t(i));
        list.sortKeys.push_back(key | (uint32_t(i) - changedBefore++));
        list.events.push_back(std::move(scratch.events[0]));
    }
}

} // namespace

int transposedKeySignature(int key, int mode, int semitones)
{
    const int offset = mode == 1 ? kMinorOffset : 0;
    const int tonic = pitchClass(7 * std::clamp(key, -7, 7) + offset);
    return kMajorSignature[pitchClass(tonic + semitones - offset)];
}

QuickTranspose BuildQuickTranspose(const CSongDoc& song, int semitones, const ISynthLookup* synths,
                                   IChordTable* chords)
{
    QuickTranspose result;
    auto record = std::make_unique<CUndoRecord>();
    record->label = "Quick transpose";
    const MeasureMap keys = transposedMeasures(song.measureMap, semitones);
    if (!keys.empty()) {
        record->flags |= kUndoMeasures;
        record->measures = SnapshotMeasureMap(keys, song.timeBase);
    }
    auto list = std::make_unique<CEventList>();
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t)
        if (!isDrumTrack(*song.tracks[t], synths))
            transposeTrack(song, t, keys, semitones, chords, *list, result.clipped);
    if (!list->empty()) {
        record->flags |= kUndoEvents;
        record->events = std::move(list);
    }
    if (record->flags != 0)
        result.record = std::move(record);
    return result;
}

} // namespace rz
