#pragma once

#include "song/measure_map.h"

#include <QFont>
#include <QRect>
#include <QRegion>
#include <QStaticText>

#include <functional>
#include <map>
#include <optional>
#include <string>

class QPainter;

namespace rz {

class SpectrumDisplay;

// Everything the transport panel shows, as texts and picture numbers. The
// application gathers it; the panel only draws it.
struct PanelState {
    int mode = 0; // 0 meter and key, 1 set times, 2 large song time
    std::string title;
    int stateIcon = 0; // bitmap id; 0 none
    std::string position;
    std::string elapsed;
    std::string remaining;
    std::string setElapsed;
    std::string setRemaining;
    std::string measureField; // the label, or the count-in beats left
    std::string tempo;
    std::string skip;
    int beatDigit = 0;
    MeasureRec measure; // key and meter for the staff
    bool spectrum = false; // the spectrum shows instead of the beat digit
    bool marker = false;   // the level marker shows beside the beat digit

    bool operator==(const PanelState&) const = default;
};

// The LCD-like display in the frame's lower left, drawn over the panel's
// background under the frame's buttons and faders. Remembers the fields it
// last reported, so that a refresh repaints only those that changed.
// GUI thread.
class TransportPanel {
public:
    // Draws the meter and key on the five-line staff inside the rectangle.
    using StaffHeaderPainter = std::function<void(QPainter&, const QRect&, const MeasureRec&)>;

    // Panel-relative places of the fields that are not text lines.
    static constexpr QRect kSpectrumRect{288, 33, 154, 110};
    static constexpr QRect kMarkerRect{404, 29, 13, 123};
    static constexpr QRect kBeatDigitRect{296, 28, 96, 125};
    // Tall enough for the treble clef and the highest sharp of the key.
    static constexpr QRect kStaffRect{12, 27, 96, 52};

    // Draws the staff in meter-and-key mode; without one the field stays empty.
    void setStaffHeaderPainter(StaffHeaderPainter painter);

    // Draws every field of `state` into `panel`.
    void paint(QPainter& painter, const QRect& panel, const PanelState& state,
               const SpectrumDisplay& spectrum) const;

    // The panel-relative region of the fields that differ from the state
    // last given here (everything the first time); remembers `state`.
    QRegion changedRegion(const PanelState& state);
    // Forgets the remembered state: the next refresh repaints everything.
    void invalidate() { m_shown.reset(); }

private:
    void paintSongFields(QPainter& p, const PanelState& state) const;
    void paintStaff(QPainter& p, const MeasureRec& measure) const;
    void paintRightFields(QPainter& p, const PanelState& state,
                          const SpectrumDisplay& spectrum) const;

    void text(QPainter& p, const QRect& rect, const std::string& value, int flags = Qt::AlignLeft) const;

    // A text field's layout, kept while its text and font stay.
    struct FieldText {
        std::string value;
        QFont font;
        QStaticText layout;
    };

    StaffHeaderPainter m_staffHeader;
    std::optional<PanelState> m_shown;
    // Painting state: the panel-relative region being painted, and the
    // fields' layouts by their rectangle's top left.
    mutable QRegion m_dirty;
    mutable std::map<std::pair<int, int>, FieldText> m_texts;
};

} // namespace rz
