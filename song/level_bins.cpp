#include "song/level_bins.h"

#include "core/midi_bytes.h"
#include "song/song_doc.h"
#include "song/track.h"

#include <algorithm>
#include <vector>

namespace rz {
namespace {

constexpr int32_t kStartVolume = 100;
constexpr int32_t kStartExpression = 127;

// The play cursor of a track, so reading the image for the statistics
// leaves it where the sequencer had it.
struct SavedCursor {
    uint32_t readPosition;
    uint8_t runningStatus;
    int32_t nextTick;
    int32_t tempoIndex;
    double timeOffsetUs;
    double nextTime;
    int32_t metEndOfTrack;
    bool pastLastTick;
    SkippedMessages skipped;

    explicit SavedCursor(const CTrack& t)
        : readPosition(t.readPosition), runningStatus(t.runningStatus), nextTick(t.nextTick),
          tempoIndex(t.tempoIndex), timeOffsetUs(t.timeOffsetUs), nextTime(t.nextTime),
          metEndOfTrack(t.metEndOfTrack), pastLastTick(t.pastLastTick), skipped(t.skipped)
    {
    }
    void restore(CTrack& t) const
    {
        t.readPosition = readPosition;
        t.runningStatus = runningStatus;
        t.nextTick = nextTick;
        t.tempoIndex = tempoIndex;
        t.timeOffsetUs = timeOffsetUs;
        t.nextTime = nextTime;
        t.metEndOfTrack = metEndOfTrack;
        t.pastLastTick = pastLastTick;
        t.skipped = skipped;
    }
};

struct SoundingNote {
    uint8_t status; // note-on with its channel
    uint8_t key;
    uint8_t velocity;
    int32_t counted; // tick up to which it is in the bins
};

class GroupReader {
public:
    explicit GroupReader(LevelBins& bins) : m_bins(bins) {}

    void read(std::vector<CTrack*>& group)
    {
        std::vector<RawEvent> next(group.size());
        std::vector<bool> has(group.size());
        for (size_t i = 0; i < group.size(); ++i) {
            group[i]->RewindReader();
            has[i] = group[i]->ReadNextEvent(next[i]);
        }
        for (;;) {
            size_t pick = group.size();
            for (size_t i = 0; i < group.size(); ++i)
                if (has[i] && (pick == group.size() || next[i].tick <= next[pick].tick))
                    pick = i; // ties go to the later track
            if (pick == group.size())
                break;
            take(next[pick]);
            has[pick] = group[pick]->ReadNextEvent(next[pick]);
        }
    }

private:
    void account(int32_t tick)
    {
        for (SoundingNote& note : m_sounding) {
            const uint64_t level = uint64_t(note.velocity) * uint64_t(m_volume) * uint64_t(m_expression);
            const size_t bin = std::min<size_t>(level / 127 / 64, kLevelBinCount - 1);
            if (tick > note.counted)
                m_bins[bin] += uint64_t(tick - note.counted) * level;
            note.counted = tick;
        }
    }

    void endNote(uint8_t status, uint8_t key)
    {
        for (size_t i = m_sounding.size(); i-- > 0;) {
            if (m_sounding[i].status == status && m_sounding[i].key == key) {
                m_sounding.erase(m_sounding.begin() + std::ptrdiff_t(i));
                return;
            }
        }
    }

    void take(const RawEvent& e)
    {
        const uint8_t kind = midi::statusOf(e.kind);
        const uint8_t noteOn = uint8_t(midi::kNoteOn | (e.kind & 0x0F));
        if (kind == midi::kNoteOn) {
            account(e.tick);
            if (e.data2 == 0)
                endNote(e.kind, e.data1);
            else
                m_sounding.push_back({e.kind, e.data1, e.data2, e.tick});
        } else if (kind == midi::kNoteOff) {
            endNote(noteOn, e.data1);
        } else if (kind == midi::kControlChange && (e.data1 == cc::kVolume || e.data1 == cc::kExpression)) {
            account(e.tick);
            (e.data1 == cc::kVolume ? m_volume : m_expression) = e.data2;
        }
    }

    LevelBins& m_bins;
    int32_t m_volume = kStartVolume;
    int32_t m_expression = kStartExpression;
    std::vector<SoundingNote> m_sounding;
};

} // namespace

LevelBins ComputeLevelBins(CSongDoc& song)
{
    LevelBins bins{};
    const size_t count = song.tracks.size() > 0 ? song.tracks.size() - 1 : 0; // the last is always empty
    std::vector<bool> counted(count, false);
    std::vector<CTrack*> group;
    for (size_t t = 0; t < count; ++t) {
        if (counted[t])
            continue;
        counted[t] = true;
        CTrack& track = *song.tracks[t];
        if (track.type != kMidiTrack)
            continue;
        group.assign(1, &track);
        if (track.patch >= 0) {
            for (size_t other = t + 1; other < count; ++other) {
                const CTrack& o = *song.tracks[other];
                if (!counted[other] && o.type == kMidiTrack && o.patch >= 0 && o.port == track.port
                    && o.channel == track.channel) {
                    counted[other] = true;
                    group.push_back(song.tracks[other].get());
                }
            }
        }
        std::vector<SavedCursor> saved;
        saved.reserve(group.size());
        for (const CTrack* member : group)
            saved.emplace_back(*member);
        GroupReader(bins).read(group);
        for (size_t i = 0; i < group.size(); ++i)
            saved[i].restore(*group[i]);
    }
    return bins;
}

} // namespace rz
