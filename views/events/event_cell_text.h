#pragma once

#include "core/color.h"

#include <string>

namespace rz {

class CSongDoc;
struct CMidiEvent;

// The texts of the event list's cells and the colour of each kind of event.
// Names come from the synthesizer database when the song has one. Pure
// apart from the database look-ups.
struct EventCellText {
    // The text of `column` (event_column) for event `event` of track row `track`.
    static std::string text(const CSongDoc& song, int track, const CMidiEvent& event, int column);
    // "Note", "Control", "RPN" ... by the kind byte.
    static std::string typeText(const CMidiEvent& event);
    // The Note/Number column.
    static std::string numberText(const CSongDoc& song, int track, const CMidiEvent& event);
    static std::string durationText(const CSongDoc& song, const CMidiEvent& event);
    // The text colour of a kind of event (a COLORREF value).
    static Color kindColor(uint8_t kind);
};

} // namespace rz
