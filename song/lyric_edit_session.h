#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CTrack;
struct CUndoRecord;

// The lyric editor's working list: the syllables of one track (its lyric and
// text meta events, but not the program's "@" texts), edited one at a time
// on copies and kept in tick order. Nothing touches the track until the
// caller applies record(). GUI thread.
class LyricEditSession {
public:
    static constexpr std::string_view kNewSyllable = "la ";

    struct Syllable {
        int32_t tick = 0;
        std::string bytes;       // the meta event's data
        uint8_t type = 0;        // meta type
        int32_t trackIndex = -1; // the event it came from; -1 for a new one
        bool edited = false;     // an own copy replaces the event
    };

    // Opens on the syllable of `startEvent`; when that is not one (or the
    // track has none), on a new syllable at `position`.
    LyricEditSession(const CTrack& track, int32_t trackIndex, int32_t startEvent, int32_t position);

    const std::vector<Syllable>& syllables() const { return m_syllables; }
    // -1 when the list is empty.
    int current() const { return m_current; }
    const Syllable* currentSyllable() const;
    // The meta type of new and rewritten syllables: the last collected
    // syllable's, Lyric when there was none.
    uint8_t metaType() const { return m_type; }

    // Puts what the editor shows into the current syllable. A change makes
    // it an own copy of the editor's meta type; a new tick moves it to its
    // place in tick order, and the current index follows it.
    void store(int32_t tick, std::string_view bytes);
    bool hasPrevious() const { return m_current > 0; }
    bool hasNext() const { return m_current >= 0 && m_current + 1 < int(m_syllables.size()); }
    void previous();
    void next();
    // A new "la " a tick after the current syllable (at `position` when
    // there is none), made current.
    void insert(int32_t position);
    // Drops the current syllable; the next one (else the last) becomes current.
    void remove();

    // The "Edit Lyric" edit of the track: the deleted and replaced events
    // removed, the own copies inserted. Null when nothing changed.
    std::unique_ptr<CUndoRecord> record() const;

private:
    void addNew(int32_t tick);
    // Moves the current syllable to its place by tick.
    void resort();

    int32_t m_trackIndex;
    uint8_t m_type;
    std::vector<Syllable> m_syllables;
    std::vector<int32_t> m_deleted; // track indices, in deletion order
    int m_current = -1;
};

} // namespace rz
