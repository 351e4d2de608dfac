#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "song/undo_record.h"

namespace rz {

class CSongDoc;

// Checks a record against the song before it is applied: shows the refusal
// messages and answers Applied when the record may go ahead. A record whose
// keys do not fit the song asserts in debug builds and is Malformed.
ApplyResult checkEdit(CSongDoc& song, const CUndoRecord& record);

// The index arithmetic of the track-list exchange, over any slot type (the
// song's owning pointers, or plain pointers for a dry run). Remove keys are
// ascending indices into `song`. Insert keys are ascending positions in the
// list as it was, each lowered past every removed slot below it; equal keys
// go in one after another. Afterwards `buffered` holds the removed slots and
// the keys describe the way back.
template <class Slot>
void exchangeSlots(std::vector<Slot>& song, std::vector<Slot>& buffered,
                   std::vector<uint32_t>& removeKeys, std::vector<uint32_t>& insertKeys)
{
    std::vector<Slot> removed(removeKeys.size());
    for (size_t k = removeKeys.size(); k-- > 0;) {
        const uint32_t r = removeKeys[k];
        removed[k] = std::move(song[r]);
        song.erase(song.begin() + std::ptrdiff_t(r));
        for (uint32_t& key : insertKeys)
            if (key > r)
                --key;
    }
    std::vector<uint32_t> inserted;
    inserted.reserve(insertKeys.size());
    for (size_t k = 0; k < insertKeys.size(); ++k) {
        const uint32_t i = insertKeys[k];
        song.insert(song.begin() + std::ptrdiff_t(i), std::move(buffered[k]));
        inserted.push_back(i);
        for (uint32_t& r : removeKeys)
            if (r > i)
                ++r;
        for (size_t j = k + 1; j < insertKeys.size(); ++j)
            if (insertKeys[j] >= i)
                ++insertKeys[j];
    }
    for (size_t k = 0; k < removeKeys.size(); ++k)
        removeKeys[k] -= uint32_t(k);
    insertKeys = std::move(removeKeys);
    removeKeys = std::move(inserted);
    buffered = std::move(removed);
}

// Runs every audio clip a record holds through `visit`: those of its events
// and of the tracks it owns (a borrowing list's tracks are the song's), and
// those of the records that follow it in its step.
template <class Visit>
void forEachRecordClip(CUndoRecord& record, Visit&& visit)
{
    if (record.events)
        for (CMidiEvent& event : record.events->events)
            if (CAudioClip* clip = event.clip())
                visit(*clip);
    if (record.tracks && record.tracks->ownsTracks)
        for (auto& track : record.tracks->tracks)
            if (track)
                for (CMidiEvent& event : track->events)
                    if (CAudioClip* clip = event.clip())
                        visit(*clip);
    if (record.follower)
        forEachRecordClip(*record.follower, visit);
}

} // namespace rz
