#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rz {

// The RPN or NRPN that a channel's data entries address, as the controllers
// sent so far leave it. Selecting one deselects the other; 16383 (the null
// parameter 127/127) is none.
struct ParameterSelection {
    static constexpr int kNone = 16383;

    int rpn = kNone;
    int nrpn = kNone;
    int data = 0;       // the data entry value, 14 bits
    int32_t tick = -1;  // when the selection last changed; -1 never

    // Follows a selection (CC 98-101) or data entry (CC 6, 38) controller;
    // other controllers change nothing. True for a data entry.
    bool follow(int controller, int value, int32_t at);
};

// One selection per MIDI channel.
using ChannelSelections = std::array<ParameterSelection, 16>;

// Quarter notes between two seek points of a play image.
inline constexpr int32_t kSeekQuarters = 16;

// Where play-out can resume inside a track's play image: the cursor state at
// the start of a 16-quarter-note stretch and what must be chased there.
struct SeekPoint {
    uint32_t readPosition = 0;   // offset into the play image
    int32_t nextTick = 0;
    uint8_t runningStatus = 0;
    // Note-on messages sounding here, tagged with the track index in bits 24-31.
    std::vector<uint32_t> soundingNotes;
    // Events-array indices of those notes, parallel to soundingNotes.
    std::vector<uint32_t> soundingNoteIndices;
    // Chase list: the last controller (per number), program, channel pressure
    // and pitch bend before the stretch, with their ticks.
    std::vector<int32_t> chaseTicks;
    std::vector<uint32_t> chaseMessages;
    // The image writes a selection only when it changes, so a data entry in
    // the stretch may rely on one made before it.
    ChannelSelections selections{};
};

// A track's seek points, one per stretch of its image. The stretches an
// item's delta crosses all resume at that item, so they share one point: a
// far event after a long silence costs one point, not one per stretch.
class SeekPointList {
public:
    class Iterator {
    public:
        using value_type = SeekPoint;
        using difference_type = std::ptrdiff_t;
        Iterator(const SeekPointList& list, size_t stretch) : m_list(&list), m_stretch(stretch) {}
        const SeekPoint& operator*() const { return (*m_list)[m_stretch]; }
        Iterator& operator++()
        {
            ++m_stretch;
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_stretch == other.m_stretch; }

    private:
        const SeekPointList* m_list;
        size_t m_stretch;
    };

    // The number of stretches covered.
    size_t size() const { return m_stretches; }
    bool empty() const { return m_stretches == 0; }
    // The distinct points held.
    size_t pointCount() const { return m_points.size(); }
    // The point where play-out resumes for the stretch; stretch < size().
    const SeekPoint& operator[](size_t stretch) const;
    const SeekPoint& back() const { return m_points.back(); }
    Iterator begin() const { return Iterator(*this, 0); }
    Iterator end() const { return Iterator(*this, m_stretches); }

    void clear();
    // Room for `points` points, so they are not moved while the list grows.
    void reserve(size_t points)
    {
        m_points.reserve(points);
        m_firstStretch.reserve(points);
    }
    // The point resumes the next `stretches` stretches (at least one).
    void append(SeekPoint point, size_t stretches = 1);

private:
    std::vector<SeekPoint> m_points;
    std::vector<size_t> m_firstStretch; // of each point, ascending
    size_t m_stretches = 0;
};

// What the chase does with a controller: keep its last value, keep the
// channel's last mode message (omni, mono, poly: one key for all four),
// clear what "reset all controllers" resets, or nothing (data entries and
// selections, followed apart; all sound and notes off, which leave no state).
enum class ControllerChase { Value, Mode, ResetAll, None };
ControllerChase controllerChase(int number);

// A chase list's key of a message: its bits under this mask. Controllers and
// RPNs match on their number too; the four mode messages share one key.
uint32_t chaseKeyMask(uint32_t message);

// Pitch bend, channel pressure and the controllers "reset all controllers"
// returns to their defaults: a chase does not restore them past one.
bool clearedByResetAll(uint32_t message);

// Keeps one entry per key in a chase list: the key is the message's bits under
// mask. Replaces the latest entry with the same key and returns false, or
// appends and returns true.
bool SetKeyedValue(uint32_t message, uint32_t mask, int32_t tick, std::vector<uint32_t>& messages,
                   std::vector<int32_t>& ticks);

} // namespace rz
