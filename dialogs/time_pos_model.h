#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace rz {

class CSongDoc;
struct MeasureRec;

// The three fields of a song position.
enum class TimeField { Measure, Beat, Tick };

// A song position shown as measure:beat:tick against the song's measure map,
// and the typing, focus-out parses and steps that move it. The song is only
// read. Positions past the map continue in the last measure's meter; nothing
// moves on an empty map. GUI thread.
class TimePosModel {
public:
    static constexpr int32_t kNoPosition = -1;

    // A negative tick is no position: the fields start empty.
    TimePosModel(const CSongDoc& song, int32_t tick, bool measureOnly = false);

    int32_t tick() const { return m_tick; }
    // Stores the tick and shows it (a negative tick leaves the fields as they are).
    void setTick(int32_t tick);
    bool measureOnly() const { return m_measureOnly; }

    const std::string& text(TimeField field) const { return m_text[size_t(field)]; }
    // Typing: a new measure resets beat and tick to "1" and "0", a new beat the tick.
    void edit(TimeField field, std::string text);

    // Focus-out parses; each ends showing the position.
    void commitMeasure();
    void commitBeat();
    void commitTick();
    void commit(TimeField field);

    // Spin steps: up is later. From no position, a step goes to the song's position.
    void stepUp(TimeField field);
    void stepDown(TimeField field);

    // The control's width in pixels at a screen's dots per inch.
    static int widthAt(int dpi);
    // One field's edit with its arrows, and the gap between fields.
    static int fieldWidthAt(int dpi);
    static int gapAt(int dpi);
    static int heightAt(int dpi);

    // "12A", or "A" for a measure numbered 0.
    static std::string label(const MeasureRec& measure);

private:
    struct Place {
        const MeasureRec* measure; // the entry whose meter counts the beats
        int64_t start;             // first tick of the measure holding the position
    };
    Place placeOf(int64_t tick) const;
    int32_t beatTicks(const MeasureRec& measure) const;
    void refresh();
    void moveTo(int64_t tick);
    int64_t stepped(TimeField field, bool up) const;
    int32_t number(TimeField field) const;

    const CSongDoc& m_song;
    int32_t m_tick = kNoPosition;
    bool m_measureOnly = false;
    std::array<std::string, 3> m_text;
};

} // namespace rz
