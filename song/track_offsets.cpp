#include "song/track_offsets.h"

#include "core/midi_bytes.h"
#include "song/clipboard_edit.h"
#include "song/edit_transforms.h"
#include "song/song_doc.h"
#include "song/track_props.h"
#include "song/undo_record.h"

#include <algorithm>

namespace rz {

namespace {

// Note on and off with a velocity above 0.
bool hasVelocity(uint32_t message)
{
    const uint32_t kind = midi::statusOf(message);
    return (kind == midi::kNoteOn || kind == midi::kNoteOff) && ((message >> 16) & 0x7F) != 0;
}

uint32_t withVelocity(uint32_t message, int32_t offset)
{
    const int32_t velocity = std::clamp(int32_t((message >> 16) & 0x7F) + offset, 1, 127);
    return (message & ~0xFF0000u) | uint32_t(velocity) << 16;
}

// The event with the track's offsets; false when none of them touches it.
bool applyOffsets(const CSongDoc& song, const CTrack& track, OffsetKinds which, CMidiEvent& event)
{
    bool changed = false;
    const uint8_t kind = midi::statusOf(event.message);
    if (which.key && track.key != 0 && kind >= midi::kNoteOff && kind <= midi::kPolyPressure) {
        event.message = transposeKey(event.message, track.key);
        changed = true;
    }
    if (which.velocity && track.velocityOffset != 0 && hasVelocity(event.message)) {
        event.message = withVelocity(event.message, track.velocityOffset);
        changed = true;
    }
    if (which.time && track.timeOffset != 0) {
        double time = song.TickToTime(event.tick) + double(track.timeOffset) * 1000.0;
        event.tick = song.TimeToTick(std::max(time, 0.0));
        changed = true;
    }
    return changed;
}

} // namespace

std::unique_ptr<CUndoRecord> BuildOffsetsRecord(const CSongDoc& song, std::span<const size_t> tracks,
                                                int32_t from, int32_t to, OffsetKinds which)
{
    TransformRecord events;
    std::vector<CTrackProps> props;
    for (const size_t t : tracks) {
        if (t == 0 || t + 1 >= song.tracks.size())
            continue;
        const CTrack& track = *song.tracks[t];
        for (size_t e = 0; e < track.events.size(); ++e) {
            if (track.events[e].tick < from || track.events[e].tick >= to)
                continue;
            CMidiEvent copy = track.events[e];
            if (applyOffsets(song, track, which, copy))
                events.replace(t, e, std::move(copy));
        }
        CTrackProps& cleared = props.emplace_back(int32_t(t));
        if (which.key)
            cleared.key = 0;
        if (which.velocity)
            cleared.velocityOffset = 0;
        if (which.time)
            cleared.timeOffset = 0;
    }
    std::unique_ptr<CUndoRecord> record = eventRecord("Apply offsets", events);
    if (!record)
        return nullptr;
    record->flags |= kUndoTrackProps;
    record->payload = std::move(props);
    return record;
}

} // namespace rz
