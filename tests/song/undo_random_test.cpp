#include <algorithm>
#include <iterator>
#include <map>
#include <random>

#include <gtest/gtest.h>

#include "undo_fixture.h"

namespace rz::test {
namespace {

constexpr int kSeeds = 60;
constexpr int kStepsPerSeed = 60;
constexpr size_t kMaxUserTracks = 8;

// Builds small, valid records against the song as it is.
class RecordMaker {
public:
    explicit RecordMaker(uint32_t seed) : m_random(seed) {}

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    std::unique_ptr<CUndoRecord> make(CSongDoc& song)
    {
        switch (pick(0, 7)) {
        case 0: return tempo(song);
        case 1: return cues(song);
        case 2: return tracks(song);
        case 3: return props(song);
        case 4: return insertTime();
        case 5: return deleteTime(song);
        case 6: return meter(song);
        default: return events(song);
        }
    }

private:
    static std::unique_ptr<CUndoRecord> record(uint32_t flags)
    {
        auto r = std::make_unique<CUndoRecord>();
        r->flags = flags;
        r->label = "Random";
        return r;
    }

    std::vector<uint32_t> midiTracks(const CSongDoc& song) const
    {
        std::vector<uint32_t> rows;
        for (uint32_t i = 1; i + 1 < song.tracks.size(); ++i)
            if (song.tracks[i]->type == kMidiTrack)
                rows.push_back(i);
        return rows;
    }

    std::unique_ptr<CUndoRecord> events(CSongDoc& song)
    {
        auto r = record(kUndoEvents);
        r->events = std::make_unique<CEventList>();
        const std::vector<uint32_t> rows = midiTracks(song);
        if (rows.empty())
            return insertTime();
        const uint32_t t = rows[size_t(pick(0, int(rows.size()) - 1))];
        const CTrack& track = *song.tracks[t];
        std::vector<uint32_t> removed;
        for (int k = pick(0, 2); k > 0 && !track.events.empty(); --k)
            removed.push_back(uint32_t(pick(0, int(track.events.size()) - 1)));
        std::sort(removed.begin(), removed.end());
        removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
        for (uint32_t i : removed)
            r->events->sourceKeys.push_back(eventKey(t, i));
        std::vector<int32_t> ticks;
        for (int k = pick(0, 3); k > 0; --k)
            ticks.push_back(pick(0, 16) * 60);
        std::sort(ticks.begin(), ticks.end());
        const uint8_t channel = uint8_t(track.channel);
        if (pick(0, 2) == 0) {
            // An explicit place keeps the track in tick order: the event takes
            // the tick of the one it goes after, so events placed by tick at
            // the same place still follow it.
            std::vector<CMidiEvent> left;
            for (uint32_t i = 0; i < track.events.size(); ++i)
                if (!std::binary_search(removed.begin(), removed.end(), i))
                    left.push_back(track.events[i]);
            const size_t p = size_t(pick(0, int(left.size())));
            const int32_t tick = p > 0 ? left[p - 1].tick : 0;
            r->events->sortKeys.push_back(eventKey(t, uint32_t(p)));
            r->events->events.push_back(controller(tick, uint8_t(pick(1, 90)), 64, channel));
        }
        for (int32_t tick : ticks) {
            r->events->sortKeys.push_back(eventKey(t, kComputedPosition));
            r->events->events.push_back(note(tick, uint8_t(pick(40, 80)), 90, 60, channel));
        }
        if (r->events->sourceKeys.empty() && r->events->events.empty())
            return insertTime();
        return r;
    }

    std::unique_ptr<CUndoRecord> tempo(CSongDoc& song)
    {
        auto r = record(kUndoTempo);
        r->tempo = std::make_unique<CTempoSet>();
        if (song.tempoMap.size() > 1 && pick(0, 1) == 0)
            r->tempo->removeKeys.push_back(uint32_t(pick(1, int(song.tempoMap.size()) - 1)));
        TempoEntry entry;
        entry.tick = pick(1, 20) * 120;
        entry.tempo = uint32_t(pick(300, 900) * 1000);
        const bool taken = std::any_of(song.tempoMap.begin(), song.tempoMap.end(),
                                       [&](const TempoEntry& e) { return e.tick == entry.tick; });
        if (!taken)
            r->tempo->entries.push_back(entry);
        if (pick(0, 9) == 0) { // now and then every entry goes
            r->tempo->removeKeys.clear();
            r->tempo->entries.clear();
            for (uint32_t i = 0; i < song.tempoMap.size(); ++i)
                r->tempo->removeKeys.push_back(i);
        }
        return r;
    }

    std::unique_ptr<CUndoRecord> cues(CSongDoc& song)
    {
        auto r = record(kUndoCues);
        r->cues = std::make_unique<CCueSet>();
        if (!song.cues.empty() && pick(0, 1) == 0)
            r->cues->removeKeys.push_back(uint32_t(pick(0, int(song.cues.size()) - 1)));
        const int kind = pick(0, 1) == 0 ? kCueAdLib : pick(0, 4);
        const int32_t a = pick(0, 20) * 60;
        r->cues->cues.push_back(*UndoFixture::cue(kind, a, a + pick(0, 8) * 60, "R"));
        return r;
    }

    std::unique_ptr<CUndoRecord> tracks(CSongDoc& song)
    {
        auto r = record(kUndoTrackList);
        r->tracks = std::make_unique<CTrackList>();
        const size_t users = song.tracks.size() - 2;
        if (users > 1 && (users >= kMaxUserTracks || pick(0, 1) == 0))
            r->tracks->sourceRows.push_back(uint32_t(pick(1, int(users))));
        if (users < kMaxUserTracks) {
            auto track = std::make_unique<CTrack>();
            track->name = "New";
            track->channel = pick(0, 15);
            track->events = {note(pick(0, 8) * 60, 60, 90, 120, uint8_t(track->channel))};
            r->tracks->add(std::move(track));
            r->tracks->targetRows.push_back(uint32_t(pick(1, int(song.tracks.size()) - 1)));
        }
        return r;
    }

    std::unique_ptr<CUndoRecord> props(CSongDoc& song)
    {
        auto r = record(kUndoTrackProps | (pick(0, 1) ? kUndoSelectTracks : 0));
        CTrackProps p(pick(1, int(song.tracks.size()) - 2));
        switch (pick(0, 3)) {
        case 0: p.channel = pick(0, 15); break;
        case 1: p.key = pick(-12, 12); break;
        case 2: p.timeOffset = pick(-4096, 4096); break;
        default: p.name = "Renamed"; p.volume = pick(0, 200); break;
        }
        r->payload = std::vector<CTrackProps>{p};
        return r;
    }

    std::unique_ptr<CUndoRecord> insertTime()
    {
        auto r = record(kUndoInsertTime);
        r->start = pick(0, 20) * 60;
        r->payload = int32_t(pick(1, 8) * 60);
        return r;
    }

    // Takes out everything with a tick inside the span, as the time editor does.
    std::unique_ptr<CUndoRecord> deleteTime(CSongDoc& song)
    {
        const int32_t s = pick(1, 20) * 60;
        const int32_t e = s + pick(1, 8) * 60;
        auto inside = [&](int32_t tick) { return tick >= s && tick < e; };
        auto r = record(kUndoDeleteTime | kUndoEvents | kUndoTempo | kUndoCues);
        r->start = s;
        r->payload = int32_t(e - s);
        r->events = std::make_unique<CEventList>();
        for (uint32_t t = 0; t + 1 < song.tracks.size(); ++t)
            for (uint32_t i = 0; i < song.tracks[t]->events.size(); ++i)
                if (inside(song.tracks[t]->events[i].tick))
                    r->events->sourceKeys.push_back(eventKey(t, i));
        r->tempo = std::make_unique<CTempoSet>();
        for (uint32_t i = 0; i < song.tempoMap.size(); ++i)
            if (inside(song.tempoMap[i].tick))
                r->tempo->removeKeys.push_back(i);
        r->cues = std::make_unique<CCueSet>();
        for (uint32_t i = 0; i < song.cues.size(); ++i)
            if (inside(song.cues[i]->time) || inside(song.cues[i]->secondTime))
                r->cues->removeKeys.push_back(i);
        return r;
    }

    std::unique_ptr<CUndoRecord> meter(CSongDoc& song)
    {
        auto r = record(kUndoMeasures);
        std::vector<MeasureRec> map = song.measureMap;
        MeasureRec& m = map[size_t(pick(0, int(map.size()) - 1))];
        m.numerator = uint8_t(pick(2, 7));
        m.key = int8_t(pick(-3, 3));
        CSongDoc scratch(song.context());
        scratch.timeBase = song.timeBase;
        scratch.measureMap = map;
        r->measures = scratch.SnapshotMeasureMap();
        return r;
    }

    std::mt19937 m_random;
};

size_t positionIndex(const CSongDoc& song)
{
    return size_t(std::distance(song.undoList.begin(), UndoList::const_iterator(song.undoPosition)));
}

TEST(UndoRandom, EveryUndoPositionKeepsItsFirstState)
{
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        UndoFixture f;
        auto song = f.smallSong();
        RecordMaker maker(seed);
        std::map<size_t, std::string> seen{{0, DescribeSong(*song)}};
        for (int step = 0; step < kStepsPerSeed; ++step) {
            const int action = maker.pick(0, 9);
            if (action < 5) {
                ASSERT_EQ(song->ApplyEdit(maker.make(*song)), ApplyResult::Applied) << "step " << step;
                const size_t at = positionIndex(*song);
                seen.erase(seen.lower_bound(at), seen.end());
                seen[at] = DescribeSong(*song);
                continue;
            }
            if (action < 8)
                song->Undo();
            else
                song->Redo();
            const size_t at = positionIndex(*song);
            const std::string now = DescribeSong(*song);
            ASSERT_EQ(firstDifference(seen.at(at), now), "") << "step " << step << " position " << at;
        }
    }
}

} // namespace
} // namespace rz::test
